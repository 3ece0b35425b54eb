"""Checks orowan-setup's lines against orowan-batch and against the
set-up's own rules, for the mill files given (or a generated sweep).

Every stand's pass is re-run through the built orowan-batch from the
stand's typed values (R, H1, H2, SGB, SGF, U, the material, EPS, E, NU,
V = ROLL_SPEED) in the file's units; its ROLLING_FORCE, R_FLAT, EPS_OUT,
FORWARD_SLIP and V_EXIT must be the same text, hence the same single
value, and POWER_TOTAL the batch's POWER (kW/m) times the width. Then:
thicknesses chain from H_entry to H_exit, tensions chain from the reels
through the interstand values, H2 * V_EXIT is the same on every stand of
a tandem mill to single precision, and the ratios asked are met within
0.5 %.

    check_against_batch.py SETUP BATCH [--sweep N] [MILL.toml ...]
"""
import csv
import io
import math
import random
import struct
import subprocess
import sys
import tempfile
import tomllib

ALLOWED_MISS = 0.005


def single(x):
    return struct.unpack("f", struct.pack("f", float(x)))[0]


def text(x):
    """A TOML or CSV number the way a user would type it."""
    return repr(float(x))


def sweep_file(count, seed=7):
    """A five-stand mill and `count` coils of assorted gauges, materials,
    tensions and ratios (force, power, reduction); some rigid stands."""
    rnd = random.Random(seed)
    lines = ['units = "si"', "[mill]", 'kind = "tandem"']
    for i in range(5):
        lines += ["[[stand]]", f"R = {rnd.choice([200.0, 250.0, 300.0])}", f"U = {0.08 - 0.008 * i:.3f}",
                  "E = 210000.0"]
    for c in range(count):
        h_entry = round(rnd.uniform(2.0, 4.0), 2)
        h_exit = round(h_entry * rnd.uniform(0.25, 0.4), 3)
        by = ["force", "power", "reduction"][c % 3]
        ratios = [1.0, round(rnd.uniform(0.85, 1.05), 2), round(rnd.uniform(0.8, 1.0), 2),
                  round(rnd.uniform(0.7, 0.95), 2), round(rnd.uniform(0.65, 0.9), 2)]
        if by == "reduction":
            ratios = [round(r * 0.3, 3) for r in ratios]
        material = (f'{{ CURVE = "swift", K = {rnd.choice([550.0, 650.0, 750.0])}, N = {rnd.choice([0.15, 0.2, 0.25])}, EPS0 = 0.01 }}'
                    if c % 4 else f"{{ Y = {rnd.choice([250.0, 300.0, 350.0])} }}")
        tensions = [round(rnd.uniform(80, 140), 1) for _ in range(4)]
        lines += ["[[coil]]", f'name = "S{c + 1}"', f"width = {rnd.choice([900.0, 1200.0, 1500.0])}",
                  f"H_entry = {h_entry}", f"H_exit = {h_exit}", f"material = {material}",
                  f"tension_entry = {round(rnd.uniform(20, 60), 1)}", f"tension_exit = {round(rnd.uniform(40, 80), 1)}",
                  f"tensions = [{', '.join(map(str, tensions))}]", f"V_exit = {rnd.choice([600.0, 900.0, 1200.0])}",
                  f'distribution = {{ by = "{by}", ratios = [{", ".join(map(str, ratios))}] }}']
    return "\n".join(lines) + "\n"


def run_setup(setup, path):
    done = subprocess.run([setup, path], capture_output=True, text=True)
    return list(csv.DictReader(io.StringIO(done.stdout))), done


def batch_lines(mill, coil, rows):
    """The batch tool's CSV input for the coil's stands."""
    out = io.StringIO()
    names = ["R", "H1", "H2", "Y", "SGB", "SGF", "U", "CURVE", "K", "N", "EPS0", "S0", "EPS", "E", "NU", "V"]
    w = csv.DictWriter(out, fieldnames=names)
    w.writeheader()
    material = coil["material"]
    for row in rows:
        stand = mill["stand"][int(row["stand"]) - 1 if mill["mill"]["kind"] == "tandem" else 0]
        line = {"R": text(stand["R"]), "H1": row["H1"], "H2": row["H2"], "SGB": row["SGB"], "SGF": row["SGF"],
                "U": text(stand["U"]), "EPS": row["EPS_IN"], "V": row["ROLL_SPEED"]}
        for key in ("Y", "CURVE", "K", "N", "EPS0", "S0"):
            if key in material:
                line[key] = material[key] if key == "CURVE" else text(material[key])
        for key in ("E", "NU"):
            if key in stand:
                line[key] = text(stand[key])
        w.writerow(line)
    return out.getvalue()


def check_coil(batch, mill, coil, rows, units, problems):
    name = coil.get("name", "?")
    def fail(what):
        problems.append(f"coil {name}: {what}")
    with tempfile.NamedTemporaryFile("w", suffix=".csv", delete=False) as f:
        f.write(batch_lines(mill, coil, rows))
    # The batch tool calls the report units "kgf".
    done = subprocess.run([batch, "--units", "si" if units == "si" else "kgf", f.name], capture_output=True, text=True)
    got = list(csv.DictReader(io.StringIO(done.stdout)))
    if len(got) != len(rows):
        fail(f"the batch tool gave {len(got)} lines for {len(rows)} stands: {done.stderr}")
        return 0.0
    for row, b in zip(rows, got):
        for key in ("ROLLING_FORCE", "R_FLAT", "EPS_OUT", "FORWARD_SLIP", "V_EXIT"):
            if row[key] != b[key]:
                fail(f"stand {row['stand']} {key}: set-up {row[key]}, batch {b[key]}")
        power = single(single(b["POWER"]) * single(coil["width"]) / 1000.0)
        if single(float(row["POWER_TOTAL"])) != power:
            fail(f"stand {row['stand']} POWER_TOTAL {row['POWER_TOTAL']}, batch POWER x width {power!r}")
    # Thicknesses and tensions chain.
    passes = len(rows)
    if single(float(rows[0]["H1"])) != single(coil["H_entry"]) or single(float(rows[-1]["H2"])) != single(coil["H_exit"]):
        fail("the schedule does not run from H_entry to H_exit")
    tensions = [coil.get("tension_entry", 0.0)] + list(coil.get("tensions", [])) + [coil.get("tension_exit", 0.0)]
    for i, row in enumerate(rows):
        if i + 1 < passes and rows[i + 1]["H1"] != row["H2"]:
            fail(f"H2 of pass {i + 1} is not H1 of pass {i + 2}")
        if i + 1 < passes and rows[i + 1]["EPS_IN"] != row["EPS_OUT"]:
            fail(f"EPS_OUT of pass {i + 1} is not EPS_IN of pass {i + 2}")
        if single(float(row["SGB"])) != single(tensions[i]) or single(float(row["SGF"])) != single(tensions[i + 1]):
            fail(f"pass {i + 1}: tensions {row['SGB']}, {row['SGF']}, expected {tensions[i]}, {tensions[i + 1]}")
    if mill["mill"]["kind"] == "tandem":
        flows = [float(r["H2"]) * float(r["V_EXIT"]) for r in rows]
        if max(flows) - min(flows) > 4 * 2.0 ** -24 * max(flows):
            fail(f"H2 * V_EXIT differs between stands: {flows}")
    by = coil["distribution"]["by"]
    if by == "given":
        for i, h in enumerate(coil["distribution"]["H"]):
            if single(float(rows[i]["H2"])) != single(h):
                fail(f"given H2 of pass {i + 1} is {rows[i]['H2']}, not {h}")
        return 0.0
    ratios = coil["distribution"]["ratios"]
    load = {"force": lambda r: float(r["ROLLING_FORCE"]), "power": lambda r: float(r["POWER_TOTAL"]),
            "reduction": lambda r: 1 - float(r["H2"]) / float(r["H1"])}[by]
    miss = max(abs(load(r) / load(rows[0]) / (ratios[i] / ratios[0]) - 1) for i, r in enumerate(rows))
    if miss > ALLOWED_MISS:
        fail(f"{by} ratios missed by {miss:.4%}")
    if abs(miss - float(rows[0]["RATIO_MISS"])) > 2e-3 * max(miss, 1e-3):
        fail(f"RATIO_MISS {rows[0]['RATIO_MISS']}, the lines' own miss {miss}")
    return miss


def check_file(setup, batch, path, problems):
    with open(path, "rb") as f:
        mill = tomllib.load(f)
    units = mill.get("units", "report")
    rows, done = run_setup(setup, path)
    worst, checked, refused = 0.0, 0, []
    for coil in mill["coil"]:
        mine = [r for r in rows if r["coil"] == coil.get("name")]
        if not mine:
            problems.append(f"coil {coil.get('name')}: no lines: {done.stderr}")
            continue
        if mine[0]["status"] in ("error", "no set-up"):
            # Said in words, and nothing of it shown as if valid.
            shown = [k for k in ("H2", "ROLLING_FORCE", "FORCE_TOTAL", "ROLL_SPEED", "RATIO_MISS") if any(r[k] for r in mine)]
            if not mine[0]["message"] or shown or done.returncode != 1:
                problems.append(f"coil {coil.get('name')}: a failed set-up shows {shown} or says nothing")
            refused.append(f"{coil.get('name')}: {mine[0]['message']}")
            continue
        worst = max(worst, check_coil(batch, mill, coil, mine, units, problems))
        checked += 1
    return worst, checked, refused


def main():
    setup, batch, rest = sys.argv[1], sys.argv[2], sys.argv[3:]
    files = []
    if rest[:1] == ["--sweep"]:
        with tempfile.NamedTemporaryFile("w", suffix=".toml", delete=False) as f:
            f.write(sweep_file(int(rest[1])))
        files.append(f.name)
        rest = rest[2:]
    files += rest
    problems, worst, checked, refused = [], 0.0, 0, []
    for path in files:
        w, c, r = check_file(setup, batch, path, problems)
        worst, checked, refused = max(worst, w), checked + c, refused + r
    for p in problems:
        print("FAIL", p)
    for r in refused:
        print("no set-up:", r)
    print(f"{checked} coils set up and checked against orowan-batch; {len(refused)} with no set-up; "
          f"largest ratio miss {worst:.4%}")
    return 1 if problems or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
