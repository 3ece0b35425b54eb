"""Generated pass lines with every input column of the batch tool, for
comparing front ends: constant yield stress and flow curves (Swift and
Ludwik, with the strain brought in or carried by a schedule), tensions,
roll flattening with and without Poisson's ratio, roll speeds, and lines
made to end each way (no neutral point, a fault, no flattened radius).

Numbers are written with at most four decimals, so the texts are the same
values whichever front end reads them. `python3 batch_lines.py N SEED`
prints the CSV (for byte comparisons of whole runs)."""
import random
import sys

HEADER = "R,H1,H2,Y,SGB,SGF,U,CURVE,K,N,EPS0,S0,EPS,E,NU,V"
CONSTANT_HEADER = "R,H1,H2,Y,SGB,SGF,U"


def _num(x, places=4):
    text = f"{x:.{places}f}".rstrip("0").rstrip(".")
    return text if text not in ("", "-0") else "0"


def _pass(rng):
    """R, H1, H2 and the friction of an ordinary cold or warm pass."""
    R = rng.choice([50, 100, 150, 250, 400]) + rng.randint(0, 99)
    H1 = round(rng.uniform(0.3, 6.0), 3)
    H2 = round(H1 * (1 - rng.uniform(0.03, 0.45)), 3)
    return R, H1, max(H2, 0.05), round(rng.uniform(0.0, 0.3), 3)


def _line(rng, **columns):
    return ",".join(columns.get(name, "") for name in HEADER.split(","))


def _ending(rng, R, H1, H2, U):
    """A line made to end in a fault or without a neutral point."""
    kind = rng.randrange(4)
    if kind == 0:  # thicker after the pass: a square root of a negative number
        return dict(R=_num(R), H1=_num(H2), H2=_num(H1), Y="20", U=_num(U))
    if kind == 1:  # no friction: a division by zero
        return dict(R=_num(R), H1=_num(H1), H2=_num(H2), Y="20", U="0")
    if kind == 2:  # a front tension above the yield stress
        return dict(R=_num(R), H1=_num(H1), H2=_num(H2), Y="20", SGF="30", U=_num(U))
    return dict(R="0", H1=_num(H1), H2=_num(H1), Y="20", U=_num(U))  # no reduction, no radius


def lines(count, seed, converged_only=False):
    """`count` CSV lines (without the header) from `seed`."""
    rng = random.Random(seed)
    out = []
    while len(out) < count:
        R, H1, H2, U = _pass(rng)
        base = dict(R=_num(R), H1=_num(H1), H2=_num(H2), U=_num(U))
        tension = {"SGB": _num(rng.uniform(0, 8), 2), "SGF": _num(rng.uniform(0, 8), 2)} if rng.random() < 0.4 else {}
        roll = rng.random()
        if converged_only:
            row = dict(base, Y=_num(rng.uniform(5, 80), 2), **tension) if roll < 0.9 else _ending(rng, R, H1, H2, U)
            out.append(",".join(row.get(n, "") for n in CONSTANT_HEADER.split(",")))
            continue
        if roll < 0.08:
            out.append(_line(rng, **_ending(rng, R, H1, H2, U)))
            continue
        row = dict(base, **tension)
        if rng.random() < 0.45:
            if rng.random() < 0.5:
                row.update(CURVE="swift", K=_num(rng.uniform(30, 90), 2), N=_num(rng.uniform(0.05, 0.4), 3),
                           EPS0=_num(rng.uniform(0, 0.05), 3) if rng.random() < 0.8 else "")
            else:
                row.update(CURVE=rng.choice(["ludwik", "Ludwik"]), K=_num(rng.uniform(20, 70), 2),
                           N=_num(rng.uniform(0.1, 0.6), 3), S0=_num(rng.uniform(5, 30), 2))
            if rng.random() < 0.5:
                row["EPS"] = _num(rng.uniform(0, 0.8), 3)
            if row.get("EPS", "") == "" and row.get("EPS0", "x") == "":
                row["EPS0"] = "0.01"  # Hollomon's curve from zero strain has no stress there
        else:
            row["Y"] = _num(rng.uniform(5, 80), 2)
        if rng.random() < 0.3:
            row["E"] = rng.choice(["21000", "21500", "6000", "300"])
            if rng.random() < 0.4:
                row["NU"] = _num(rng.uniform(0.2, 0.35), 2)
        if rng.random() < 0.4:
            row["V"] = _num(rng.uniform(10, 1500), 1)
        out.append(_line(rng, **row))
        if rng.random() < 0.15:  # a schedule: the next pass takes thickness and strain over
            follow = dict(row, H1="", H2=_num(H2 * (1 - rng.uniform(0.05, 0.3)), 3), EPS="")
            out.append(_line(rng, **follow))
    return out[:count]


def csv_text(count, seed, converged_only=False):
    header = CONSTANT_HEADER if converged_only else HEADER
    return header + "\n" + "\n".join(lines(count, seed, converged_only)) + "\n"


if __name__ == "__main__":
    count, seed = int(sys.argv[1]), int(sys.argv[2])
    converged = len(sys.argv) > 3 and sys.argv[3] == "converged"
    sys.stdout.write(csv_text(count, seed, converged))
