"""Runs the built orowan-batch as a user would and reads what it wrote.

Shared by the tests that read its results and pictures back. The tool's
numbers are single floats written as the shortest text that reads back;
f32 rounds a Python float to single precision, text32 gives such a text.
"""
import json
import os
import struct
import subprocess
import tempfile
from decimal import Decimal

BATCH = os.environ.get("OROWAN_BATCH", "orowan-batch")
NEWTONS_PER_KGF = 9.80665

# The columns in a stress or force unit (kgf/mm², kgf/mm, t/m, t·m/m; in SI
# MPa, kN/m, kN·m/m), as the batch guide's column tables give them.
STRESS_INPUTS = {"Y", "SGB", "SGF", "K", "S0", "E", "A"}
CONVERTED_RESULTS = {"NEUTRAL_F", "NEUTRAL_P", "PM", "ROLLING_FORCE", "G", "Y_ENTRY", "Y_EXIT", "Y_MEAN"}
CONVERTED_STEPS = {"F", "P", "SGX", "TAU", "RK"}


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def text32(x):
    """The shortest decimal text (no exponent) that reads back to the single x."""
    x = f32(x)
    for digits in range(1, 10):
        text = "%.*g" % (digits, x)
        if f32(float(text)) == x:
            return format(Decimal(text), "f")
    raise AssertionError(f"no text for {x!r}")


def to_analysis(text):
    """An SI stress as typed, in the analysis's kgf/mm²: divided in double, rounded once."""
    return f32(f32(float(text)) / NEWTONS_PER_KGF)


def to_si(value):
    """A stored single in kgf units as the SI output gives it: times 9.80665, rounded once."""
    return f32(f32(value) * NEWTONS_PER_KGF)


def strict_json(text):
    def refuse(name):
        raise ValueError(f"not JSON: {name}")
    return json.loads(text, parse_constant=refuse)


def json_array(lines):
    """One element a line, so that element k is on line k + 1."""
    return "[" + ",\n".join(json.dumps(line) for line in lines) + "]\n"


def run(args, input_text=None, name="passes.json", directory=None):
    """Runs the tool on `input_text` (written to `name`); returns (status, stdout, stderr)."""
    with tempfile.TemporaryDirectory() as scratch:
        where = directory or scratch
        command = [BATCH]
        if input_text is not None:
            path = os.path.join(where, name)
            with open(path, "w", encoding="utf-8") as f:
                f.write(input_text)
            command.append(path)
        done = subprocess.run(command + list(args), capture_output=True, text=True, timeout=300)
        return done.returncode, done.stdout, done.stderr


def results(lines, options=(), steps=True, directory=None):
    """The tool's JSON results for these input objects: (status, rows, stderr)."""
    args = ["--json"] + (["--steps"] if steps else []) + list(options)
    status, out, err = run(args, json_array(lines), directory=directory)
    return status, strict_json(out), err
