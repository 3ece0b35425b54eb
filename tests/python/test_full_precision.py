"""Every value the batch tool's JSON and the module give for a pass, against
independent reference values at full single precision
(tests/data/samples/full-precision.json: 300 passes of every outcome,
computed outside this project): the summary and every step's X, PHI, O, F,
P on both sides, bit for bit, and the outcome or fault number. The console
prints most of these to two or three decimals; here a fault in their last
bits shows. The library call itself is compared in
tests/analysis/full_precision_test.cpp."""
import json
import os
import subprocess

import numpy as np
import pytest

import orowan
from library_records import nearest_float32

REFERENCE = os.path.join(os.environ["OROWAN_SOURCE"], "tests", "data", "samples",
                         "full-precision.json")
INPUTS = ("R", "H1", "H2", "Y", "SGB", "SGF", "U")
SIDES = ("exit", "entry")
STEP_COLUMNS = ("X", "PHI", "O", "F", "P")
# The reference's summary names, the module's attributes.
SUMMARY = {
    "REDUCTION_RATIO": "reduction_ratio", "XL": "contact_length", "OM": "contact_angle",
    "XN": "neutral_position", "ON": "neutral_angle", "NEUTRAL_F": "neutral_force",
    "NEUTRAL_P": "neutral_pressure", "PM": "mean_roll_pressure",
    "ROLLING_FORCE": "rolling_force", "G": "torque", "TORQUE_ARM": "torque_arm",
}
# The reference's statuses in the tools' words (a fault is its M number).
STATUS = {"ok": "ok", "no-neutral": "no neutral point"}


def strict_json(text):
    """JSON with every number kept as its text, NaN and Infinity refused."""
    def refuse(name):
        raise ValueError(f"non-standard JSON constant {name}")
    return json.loads(text, parse_float=str, parse_int=str, parse_constant=refuse)


@pytest.fixture(scope="module")
def reference():
    with open(REFERENCE, encoding="utf-8") as f:
        passes = strict_json(f.read())
    assert len(passes) == 300
    return passes


def singles(texts):
    """The single values the numbers' texts stand for, exactly: each text's
    nearest double rounded to single is the text's nearest single unless
    that double lies within one double unit of a point halfway between two
    singles; those few are rounded again in exact arithmetic."""
    doubles = np.array([float(t) for t in texts], dtype=np.float64)
    near = doubles.astype(np.float32)
    halfway = [(near.astype(np.float64) + np.nextafter(near, np.float32(s)).astype(np.float64)) / 2
               for s in (-np.inf, np.inf)]
    unsure = np.zeros(len(texts), dtype=bool)
    for h in halfway:
        unsure |= np.abs(doubles - h) <= np.abs(doubles) * 2.0**-52
    for k in np.flatnonzero(unsure):
        near[k] = nearest_float32(texts[k])
    return near


def single(text):
    return singles([text])[0]


def same_bits(got, want):
    """Bit for bit, element by element (so -0 is not 0)."""
    return np.asarray(got, dtype=np.float32).view(np.uint32) == \
        np.asarray(want, dtype=np.float32).view(np.uint32)


def mismatches(reference, summary_of, steps_of, status_of):
    """Every difference between the reference and one front end's answers,
    as texts naming pass, side, step and column; and how many values were
    compared."""
    found, compared = [], 0
    for i, ref in enumerate(reference, start=1):
        compared += 1
        want = STATUS.get(ref["status"], ref["status"])
        if status_of(i) != want:
            found.append(f"pass {i}: status {status_of(i)!r}, reference {want!r}")
            continue
        for column, text in ref.get("summary", {}).items():
            compared += 1
            got = summary_of(i, column)
            if not same_bits(got, single(text)):
                found.append(f"pass {i}, summary, {column}: {got!r}, reference {text}")
        for side, columns in ref.get("steps", {}).items():
            for column in STEP_COLUMNS:
                texts, got = columns[column], steps_of(i, side, column)
                if len(got) != len(texts):
                    found.append(f"pass {i}, {side}: {len(got)} steps, reference {len(texts)}")
                    continue
                compared += len(texts)
                for step in np.flatnonzero(~same_bits(got, singles(texts))) + 1:
                    found.append(f"pass {i}, {side} step {step}, {column}: "
                                 f"{got[step - 1]!r}, reference {texts[step - 1]}")
    return found, compared


# The reference holds 300 outcomes, 2,368 summary values and 1,089,130
# step values (counted from the file in test_the_reference_holds_every_outcome).
EVERY_VALUE = 300 + 2368 + 1089130


def test_the_reference_holds_every_outcome(reference):
    statuses = [r["status"] for r in reference]
    assert (statuses.count("ok"), statuses.count("no-neutral")) == (194, 78)
    assert sum(s.startswith("M") for s in statuses) == 28
    summaries = sum(len(r.get("summary", {})) for r in reference)
    steps = sum(len(values) for r in reference for side in r.get("steps", {}).values()
                for values in side.values())
    assert len(reference) + summaries + steps == EVERY_VALUE


def test_the_batch_tools_json_equals_the_reference(reference, tmp_path):
    path = tmp_path / "passes.json"
    path.write_text(json.dumps([r["input"] for r in reference]))
    out = subprocess.run([os.environ["OROWAN_BATCH"], "--json", "--steps", str(path)],
                         capture_output=True, text=True)
    assert out.returncode == 0, out.stderr
    lines = strict_json(out.stdout)
    assert [line["line"] for line in lines] == [str(i) for i in range(1, 301)]

    def status_of(i):
        line = lines[i - 1]
        return line["status"]

    found, compared = mismatches(
        reference,
        summary_of=lambda i, column: single(lines[i - 1][column]),
        steps_of=lambda i, side, column: singles(lines[i - 1]["steps"][side][column]),
        status_of=status_of)
    assert not found, f"{len(found)} differences, the first: " + "; ".join(found[:5])
    assert compared == EVERY_VALUE


def test_the_modules_values_equal_the_reference(reference):
    # Each input as the exact single value of its text (as the console reads
    # a typed REAL), so that the module's own rounding changes nothing.
    passes = [{name: float(single(r["input"][name])) for name in INPUTS} for r in reference]
    results = orowan.solve_many(passes, jobs=2, errors="return", steps=True)

    def status_of(i):
        r = results[i - 1]
        return r.code if isinstance(r, orowan.PassFault) else r.status

    found, compared = mismatches(
        reference,
        summary_of=lambda i, column: getattr(results[i - 1], SUMMARY[column]),
        steps_of=lambda i, side, column: getattr(results[i - 1], side)[column],
        status_of=status_of)
    assert not found, f"{len(found)} differences, the first: " + "; ".join(found[:5])
    assert compared == EVERY_VALUE
    for r, ref in zip(results, reference):  # the module took the typed values
        if not isinstance(r, orowan.PassFault):
            assert [np.float32(r.inputs[n]) for n in INPUTS] == \
                [single(ref["input"][n]) for n in INPUTS]
