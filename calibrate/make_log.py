#!/usr/bin/env python3
"""A plant log made by orowan-batch itself from known laws plus stated noise.

Friction U = U0 + U_V * V (V the roll speed, m/min), flow stress Y times a
factor per steel grade; each pass solved by orowan-batch with the true U
and Y, its ROLLING_FORCE and FORWARD_SLIP read with normal relative noise
(and, with --outliers, a share of forces read 30 % high). The log gives the
nominal Y, the grade and the speed, as a mill's log would.

    make_log.py BATCH LINES NOISE OUTLIERS SEED > log.csv
"""
import csv
import io
import random
import subprocess
import sys

U0, U_V = 0.16, -0.00015
FACTORS = {"A": 1.0, "B": 1.15, "C": 0.9}


def passes(lines, rng):
    """The passes with their nominal and true values."""
    out = []
    for _ in range(lines):
        grade = rng.choice(sorted(FACTORS))
        h1 = rng.uniform(1.5, 4)
        p = {"R": f"{rng.uniform(150, 400):.1f}", "H1": f"{h1:.3f}", "H2": f"{h1 * rng.uniform(0.7, 0.85):.3f}",
             "Y": f"{rng.uniform(20, 45):.2f}", "SGB": f"{rng.uniform(0, 5):.2f}", "SGF": f"{rng.uniform(0, 6):.2f}",
             "V": f"{rng.uniform(100, 500):.0f}", "GRADE": grade}
        p["U_TRUE"] = f"{U0 + U_V * float(p['V']):.6g}"
        p["Y_TRUE"] = f"{float(p['Y']) * FACTORS[grade]:.6g}"
        out.append(p)
    return out


def solved(batch, rows):
    """orowan-batch's ROLLING_FORCE and FORWARD_SLIP at the true values."""
    text = "R,H1,H2,Y,SGB,SGF,U\n" + "".join(
        f"{p['R']},{p['H1']},{p['H2']},{p['Y_TRUE']},{p['SGB']},{p['SGF']},{p['U_TRUE']}\n" for p in rows)
    run = subprocess.run([batch], input=text, capture_output=True, text=True, check=True)
    return list(csv.DictReader(io.StringIO(run.stdout)))


def main():
    batch, lines, noise, outliers, seed = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4]), int(sys.argv[5])
    rng = random.Random(seed)
    rows = passes(lines, rng)
    out = csv.writer(sys.stdout, lineterminator="\n")
    out.writerow(["R", "H1", "H2", "Y", "SGB", "SGF", "V", "GRADE", "FORCE_MEASURED", "FORWARD_SLIP_MEASURED"])
    for p, r in zip(rows, solved(batch, rows)):
        if r["status"] != "ok":
            continue
        force = float(r["ROLLING_FORCE"]) * (1 + noise * rng.gauss(0, 1))
        if rng.random() < outliers:
            force *= 1.3
        slip = float(r["FORWARD_SLIP"]) * (1 + noise * rng.gauss(0, 1))
        out.writerow([p[k] for k in ("R", "H1", "H2", "Y", "SGB", "SGF", "V", "GRADE")] + [f"{force:.6g}", f"{slip:.6g}"])


if __name__ == "__main__":
    main()
