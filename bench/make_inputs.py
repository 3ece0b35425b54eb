#!/usr/bin/env python3
"""Deterministic inputs for the calculator, for timing and for checking that
an optimisation leaves every output byte as it was.

  make_inputs.py cases DIR [COUNT]   writes COUNT (300) varied case files
  make_inputs.py passes COUNT        prints one input of COUNT passes

The cases mix slipping, sticking and mixed passes, passes without a neutral
point, faults (bad values, end of input, sqrt domain, division by zero),
null answers and multi-pass runs. The same arguments give the same bytes.
"""
import random
import sys

EXAMPLE = ["100", "2 1.5", "20", "0 0", "0.1"]


def real(rng, low, high, places=4):
    return f"{rng.uniform(low, high):.{places}f}"


def slip_pass(rng):
    h1 = rng.uniform(0.5, 10.0)
    h2 = h1 * rng.uniform(0.55, 0.98)
    return [real(rng, 20, 500), f"{h1:.4f} {h2:.4f}", real(rng, 5, 80),
            f"{real(rng, 0, 5)} {real(rng, 0, 5)}", real(rng, 0.02, 0.15)]


def stick_pass(rng):
    # High friction: the strip sticks over much or all of the arc.
    p = slip_pass(rng)
    p[4] = real(rng, 0.3, 2.0)
    return p


def mixed_pass(rng):
    p = slip_pass(rng)
    p[4] = real(rng, 0.12, 0.35)
    return p


def tension_pass(rng):
    # Large tensions: often no neutral point, sometimes a sqrt domain error.
    p = slip_pass(rng)
    y = float(p[2])
    p[3] = f"{rng.uniform(0, 1.2) * y:.3f} {rng.uniform(0, 1.2) * y:.3f}"
    return p


def odd_pass(rng):
    # Answers in other free forms: repeats, commas, exponents, one line.
    kind = rng.randrange(6)
    if kind == 0:
        return ["100", "2*1.5", "20", "2*0", "0.1"]
    if kind == 1:
        return ["1.0E2", "2.0d0,1.5", "2E1", "0,0", ".1"]
    if kind == 2:
        return ["100 2 1.5 20 0 0 0.1"]  # all on one line: later reads wait
    if kind == 3:
        return ["250", "4 4", "30", "0 0", "0.1"]  # no reduction
    if kind == 4:
        return ["100", "1.5 2", "20", "0 0", "0.1"]  # H2 > H1
    return ["100", "2 1.5", "20", "0 0", "0"]  # zero friction


FAULTS = ["abc", "1.5x", "1E400", "3.4028235E38", "'5'", "0*5", "2*3*4", "1e", "(5)",
          "x" * 300]


def fault_case(rng):
    lines = list(EXAMPLE)
    at = rng.randrange(len(lines))
    lines[at] = rng.choice(FAULTS)
    return lines


def pass_lines(rng):
    kind = rng.randrange(5)
    return [slip_pass, stick_pass, mixed_pass, tension_pass, odd_pass][kind](rng)


def case(rng, n):
    if n % 10 == 7:
        return "\n".join(fault_case(rng)) + "\n"
    passes = 1 + (rng.randrange(3) if n % 4 == 0 else 0)
    lines = []
    for p in range(passes):
        one = pass_lines(rng)
        if p > 0 and rng.random() < 0.3:
            one = [",", ", ,", "/", "/", one[4]]  # null answers keep the values
        lines += one
        lines.append("1" if p + 1 < passes else rng.choice(["0", "2", "-1"]))
    text = "\n".join(lines) + "\n"
    if n % 13 == 5:
        text = text[: rng.randrange(len(text))]  # input ends early
    if n % 17 == 3:
        text = text.replace("\n", "\r\n")
    return text


def write_cases(directory, count):
    rng = random.Random(20240607)
    for n in range(count):
        with open(f"{directory}/case{n:03d}.in", "w", newline="") as f:
            f.write(case(rng, n))


def write_passes(count):
    rng = random.Random(5)
    out = []
    for n in range(count):
        one = EXAMPLE if n == 0 else [slip_pass, mixed_pass][n % 2](rng)
        out += one
        out.append("1" if n + 1 < count else "0")
    sys.stdout.write("\n".join(out) + "\n")


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "cases":
        write_cases(sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 300)
    elif len(sys.argv) == 3 and sys.argv[1] == "passes":
        write_passes(int(sys.argv[2]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
