#!/usr/bin/env python3
"""Program inputs, the same on every machine: for the compiler-independence
test, for checking that a change leaves every output byte as it was, and
for timing.

  generate_inputs.py cases DIRECTORY [COUNT]   COUNT (240) files NNN.in
  generate_inputs.py passes COUNT              one input of COUNT passes
  generate_inputs.py csv COUNT                 COUNT passes for orowan-batch (CSV)

Each case is one file of typed answers: slipping, sticking and mixed
passes, passes without a neutral point (tensions), answers in the other
free forms (repeats, commas, exponents, one line, null answers keeping the
previous pass's values), CR LF line ends, several passes in one run, and
inputs that end in a run-time error (bad values, end of input, arithmetic
faults). The numbers come from a fixed 64-bit linear congruential
generator, so the set never depends on the Python version.
"""
import os
import sys


class Numbers:
    """Knuth's MMIX LCG; the upper bits give the fractions."""

    def __init__(self, seed):
        self.state = seed

    def fraction(self):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2**64
        return (self.state >> 11) / 2**53

    def between(self, low, high):
        return low + (high - low) * self.fraction()

    def index(self, n):
        return int(self.fraction() * n) % n


def text(rng, x):
    """x typed in one of the free forms the reader takes."""
    form = rng.index(8)
    if form == 0:
        return "%.1f" % x
    if form == 1:
        return "%.4f" % x
    if form == 2:
        return "%.6e" % x
    if form == 3:
        return ("%.3fD0" % x)
    return "%.3f" % x


def pass_lines(rng, kind):
    """The five answers of one pass of the given kind."""
    R = rng.between(30, 400)
    H1 = rng.between(0.5, 8)
    reduction = rng.between(0.05, 0.4)
    H2 = H1 * (1 - reduction)
    yield_stress = rng.between(5, 60)
    back, front = 0.0, 0.0
    friction = rng.between(0.05, 0.15)
    if kind == "stick":
        friction = rng.between(0.5, 1.2)
    elif kind == "mixed":
        friction = rng.between(0.15, 0.4)
    elif kind == "tensions":
        back = yield_stress * rng.between(0, 0.6)
        front = yield_stress * rng.between(0, 0.6)
    elif kind == "no neutral point":
        front = yield_stress * rng.between(0.6, 1.5)
        friction = rng.between(0.03, 0.1)
    elif kind == "no reduction":
        H2 = H1
        back = yield_stress * rng.between(0.05, 0.3)
    separator = [" ", ",", "\n", " , "][rng.index(4)]
    return [text(rng, R),
            text(rng, H1) + separator + text(rng, H2),
            text(rng, yield_stress),
            text(rng, back) + " " + text(rng, front),
            text(rng, friction)]


PASS_KINDS = ["slip", "stick", "mixed", "tensions", "no neutral point", "no reduction"]

# Whole passes typed in the reader's other forms.
ODD_PASSES = [
    ["100", "2*1.5", "20", "2*0", "0.1"],          # repeats: H1 = H2 = 1.5
    ["1.0E2", "2.0d0,1.5", "2E1", "0,0", ".1"],   # exponent letters, commas
    ["100 2 1.5 20 0 0 0.1"],                      # one line: later reads wait
    [",", ", ,", "/", "/", "0.2"],                 # null answers keep the values
]

# Faults, each put in place of one answer of a pass: (prompt index, text).
FAULTS = [
    (4, "0"),            # friction 0: divide by zero
    (2, "0"),            # yield stress 0
    (1, "1.5 2"),        # thicker after the pass: sqrt domain
    (1, "2 2"),          # no reduction and no tensions: invalid (torque arm)
    (0, "abc"),          # no digits
    (0, "1.5x"),         # leftover
    (0, "3.4028235E38"), # beyond single precision
    (0, "1E400"),        # beyond double precision
    (1, "'2' 1"),        # quoted
    (1, "2*3*4"),        # repeat count pending
    (1, "0*5"),          # repeat count zero
    (3, "0 5000"),       # front tension far beyond the yield stress: sqrt domain
    (3, "5000 0"),       # back tension far beyond
    (0, "3.4028234E38"), # largest single: overflow in the geometry
    (4, "1E-45"),        # smallest denormal friction: overflow
    (2, "x" * 300),      # a value longer than the reader holds
    (4, "(5)"),          # parenthesised
    (0, "1e"),           # exponent without digits: leftover
]


def one_input(rng, number):
    """The answers of input `number`: several passes, perhaps a fault."""
    lines = []
    passes = 1 + rng.index(3)
    for p in range(passes):
        kind = PASS_KINDS[(number + p) % len(PASS_KINDS)]
        answers = pass_lines(rng, kind)
        if p > 0 and number % 5 == 2:
            answers = list(ODD_PASSES[(number // 5) % len(ODD_PASSES)])
        last = p == passes - 1
        if last and number % 4 == 3:
            prompt, bad = FAULTS[(number // 4) % len(FAULTS)]
            answers[prompt] = bad
        lines += answers
        lines.append("1" if not last else ["0", "2", "-1"][rng.index(3)])
    if number % 9 == 5:  # end of input at some prompt of the last pass
        del lines[len(lines) - 1 - rng.index(6):]
    text = "\n".join(lines) + ("\n" if lines else "")
    if number % 17 == 3:
        text = text.replace("\n", "\r\n")
    if number % 13 == 7:  # input ends inside a line
        text = text[:rng.index(len(text) + 1)]
    return text


def write_cases(directory, count):
    os.makedirs(directory, exist_ok=True)
    rng = Numbers(20240601)
    for number in range(count):
        with open(os.path.join(directory, "%03d.in" % number), "w", newline="") as f:
            f.write(one_input(rng, number))


def write_passes(count):
    """The example pass, then slipping and mixed passes, answer 1 between."""
    rng = Numbers(5)
    lines = []
    for n in range(count):
        kind = "mixed" if n % 2 else "slip"
        lines += ["100", "2 1.5", "20", "0 0", "0.1"] if n == 0 else pass_lines(rng, kind)
        lines.append("1" if n + 1 < count else "0")
    sys.stdout.write("\n".join(lines) + "\n")


def write_csv(count):
    """The example pass, then slipping, sticking, mixed and tensioned
    passes, one CSV line each, with the batch tool's column names."""
    rng = Numbers(7)
    lines = ["R,H1,H2,Y,SGB,SGF,U", "100,2,1.5,20,0,0,0.1"]
    for n in range(1, count):
        kind = PASS_KINDS[n % 4]
        R, H1, Y = rng.between(30, 400), rng.between(0.5, 8), rng.between(5, 60)
        H2 = H1 * (1 - rng.between(0.05, 0.4))
        U = {"stick": rng.between(0.5, 1.2), "mixed": rng.between(0.15, 0.4)}.get(kind, rng.between(0.05, 0.15))
        SGB, SGF = (Y * rng.between(0, 0.5), Y * rng.between(0, 0.5)) if kind == "tensions" else (0, 0)
        lines.append("%.3f,%.4f,%.4f,%.2f,%.2f,%.2f,%.4f" % (R, H1, H2, Y, SGB, SGF, U))
    sys.stdout.write("\n".join(lines) + "\n")


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "cases":
        write_cases(sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 240)
    elif len(sys.argv) == 3 and sys.argv[1] == "passes":
        write_passes(int(sys.argv[2]))
    elif len(sys.argv) == 3 and sys.argv[1] == "csv":
        write_csv(int(sys.argv[2]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
