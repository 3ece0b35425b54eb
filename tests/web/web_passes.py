"""The passes of the browser test, as the batch tool's JSON input: the
generated lines of tests/python/batch_lines.py (constant yield stress and
flow curves, tensions, roll flattening, roll speeds, schedules, endings of
every kind) and passes made to fault with each M number in each stage the
analysis can fault in, each with neighbours of its own values.

`python3 web_passes.py COUNT SEED` prints the JSON array."""
import json
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python"))
import batch_lines  # noqa: E402

COLUMNS = batch_lines.HEADER.split(",")

# R, H1, H2, Y, SGB, SGF, U of passes that fault: the number and the
# operation that raises it (the console's faults, as the library test has them).
FAULTS = [
    ("100", "2", "0", "20", "0", "0", "0.1"),        # 6101 F/H = 0/0, exit march
    ("100", "1.5", "1.5", "20", "0", "0", "0.1"),    # 6101 the torque arm 0/0, load
    ("0", "2", "2", "20", "0", "0", "0.1"),          # 6101 the contact angle 0/0, geometry
    ("100", "2", "1.5", "0", "0", "0", "0.1"),       # 6101 yield 0: F/H/RK = 0/0
    ("100", "2", "1.5", "20", "0", "0", "0"),        # 6103 friction 0
    ("100", "2", "1.5", "0", "0", "1", "0.1"),       # 6103 yield 0 with tension
    ("1", "3", "1", "20", "0", "0", "0.1"),          # 6103 a reduction of 2R
    ("100", "2", "1.5", "3.4E38", "0", "0", "0.1"),  # 6104 1.15 Y, input
    ("100", "2", "1.5", "20", "0", "0", "1E-45"),    # 6104 -0.5/U, exit march
    ("3.4028234E38", "2", "1.5", "20", "0", "0", "0.1"),  # 6104 the roll diameter, geometry
    ("100", "1.5", "2", "20", "0", "0", "0.1"),      # 6201 H2 > H1, geometry
    ("100", "2", "1.5", "20", "0", "1000", "0.1"),   # 6201 front tension, exit march
    ("100", "2", "1.5", "20", "1000", "0", "0.1"),   # 6201 back tension, entry march
]


def _number(text):
    """A value text as a JSON number token (kept as written)."""
    return json.loads(text) if text not in ("inf", "nan") else text


def _object(row):
    """A CSV row of batch_lines as a JSON object; empty cells left out."""
    cells = row.split(",")
    obj = {}
    for name, cell in zip(COLUMNS, cells):
        if cell == "":
            continue
        obj[name] = cell if name == "CURVE" else _number(cell)
    return obj


def _fault_variant(rng, fault):
    """A fault pass with its ordinary values moved a little: the same fault
    at another place."""
    names = ["R", "H1", "H2", "Y", "SGB", "SGF", "U"]
    obj = {}
    for name, text in zip(names, fault):
        value = float(text)
        if 0.5 < value < 1e6 and rng.random() < 0.5 and name not in ("H1", "H2"):
            value = round(value * rng.uniform(0.7, 1.3), 3)
            text = repr(value)
        obj[name] = _number(text)
    return obj


def passes(count, seed):
    rng = random.Random(seed)
    faults = [_number_row(f) for f in FAULTS]
    variants = [_fault_variant(rng, FAULTS[i % len(FAULTS)]) for i in range(3 * len(FAULTS))]
    generated = [_object(row) for row in batch_lines.lines(max(count - len(faults) - len(variants), 0), seed)]
    return (faults + variants + generated)[:count]


def _number_row(fault):
    return {name: _number(text) for name, text in zip(["R", "H1", "H2", "Y", "SGB", "SGF", "U"], fault)}


if __name__ == "__main__":
    json.dump(passes(int(sys.argv[1]), int(sys.argv[2])), sys.stdout, indent=0)
    sys.stdout.write("\n")
