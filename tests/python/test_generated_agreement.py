"""The module and the batch tool agree on thousands of generated lines
(tests/python/batch_lines.py): every input column, schedules, flow curves
with roll flattening, speeds, both solvers, and every ending (ok, no
neutral point, not converged, the faults, no flattened radius, refusals).
Each pass's status, fault and every value the batch tool writes equal the
module's: single values bit for bit through the shortest text that reads
back to them, the converged solver's doubles likewise."""
import csv
import io
import math
import os
import subprocess

import numpy as np
import pytest

import orowan
from batch_lines import csv_text
from library_records import BATCH_COLUMNS as COLUMNS, nearest_float32

CONSOLE_LINES, CONVERGED_LINES = 10_000, 2_000

# What the converged solver gives of them (the tool leaves the rest empty).
CONVERGED_COLUMNS = list(COLUMNS)[:11]


def batch_rows(path, *args):
    out = subprocess.run([os.environ["OROWAN_BATCH"], str(path), *args], capture_output=True, text=True).stdout
    return list(csv.DictReader(io.StringIO(out)))


def module_results(path, solver):
    """Each line through the module: solve_many on the lines it takes,
    and each refused line alone (its ValueError)."""
    pd = pytest.importorskip("pandas")
    frame = pd.read_csv(path, float_precision="round_trip")
    frame["solver"] = solver
    return orowan.solve_many(frame, jobs=2, errors="return", steps=False)


def assert_same_line(b, r, columns, single, label):
    if isinstance(r, orowan.PassFault):
        assert b["status"] == r.code, label
        assert b["message"] == r.message.split(": ", 1)[-1] if not single else b["message"] == r.message, label
        if single:
            assert (b["stage"], b["side"], b["step"]) == (r.stage or "", r.side or "", str(r.step or "")), label
        return
    assert r.status == b["status"], (label, r.status, b["status"])
    for column in columns:
        got = getattr(r, COLUMNS[column])
        if b[column] == "":
            assert math.isnan(got), (label, column, got)
        elif single:
            assert np.float32(got) == nearest_float32(b[column]), (label, column, got, b[column])
        else:
            assert np.float64(got) == np.float64(float(b[column])), (label, column, got, b[column])


@pytest.fixture(scope="module")
def console(tmp_path_factory):
    path = tmp_path_factory.mktemp("console") / "lines.csv"
    path.write_text(csv_text(CONSOLE_LINES, seed=19))
    rows = batch_rows(path)
    readable = [i for i, b in enumerate(rows) if b["status"] != "error"]
    text = path.read_text().splitlines()
    taken = tmp_path_factory.mktemp("taken") / "lines.csv"
    taken.write_text("\n".join([text[0]] + [taken_line(text, rows, readable, i) for i in readable]) + "\n")
    return rows, readable, module_results(taken, "console"), text


def taken_line(text, rows, readable, i):
    """Line i for the module, which gets only the lines the tool solved: a
    schedule line whose line before is left out states the thickness and
    strain it takes over, as the tool echoes them."""
    header = text[0].split(",")
    fields = dict(zip(header, text[i + 1].split(",")))
    if fields["H1"] == "" and (i - 1) not in readable:
        fields["H1"] = rows[i]["H1"]
        fields["EPS"] = fields["EPS"] or rows[i]["EPS_IN"]
    return ",".join(fields[name] for name in header)


def test_the_lines_cover_every_ending(console):
    rows, _, _, text = console
    statuses = {b["status"] for b in rows}
    # M6101 came from H2 = H1 and R = 0, which both front ends now refuse in words
    assert {"ok", "no neutral point", "no flattened radius", "error", "M6201", "M6103"} <= statuses
    assert sum(b["CURVE"] != "" and b["R_FLAT"] != "" for b in rows) > 100  # curves flattened
    assert sum(b["V_EXIT"] != "" for b in rows) > 1000
    assert sum(line.split(",")[1] == "" for line in text[1:]) > 500  # schedule lines


def test_every_readable_line_has_the_batch_tools_values(console):
    rows, readable, results, _ = console
    assert len(results) == len(readable)
    for i, r in zip(readable, results):
        assert_same_line(rows[i], r, COLUMNS, True, i + 2)


def test_every_line_the_tool_refuses_the_module_refuses(console):
    rows, readable, _, text = console
    refused = [i for i in range(len(rows)) if i not in set(readable)]
    assert refused
    pd = pytest.importorskip("pandas")
    for i in refused[:200]:
        # a schedule line needs the line before it
        lines = [text[i], text[i + 1]] if text[i + 1].split(",")[1] == "" and i > 0 else [text[i + 1]]
        frame = pd.read_csv(io.StringIO("\n".join([text[0]] + lines)), float_precision="round_trip")
        with pytest.raises(ValueError):
            orowan.solve_many(frame, errors="return", steps=False)


def test_the_converged_solver_agrees(tmp_path):
    path = tmp_path / "lines.csv"
    path.write_text(csv_text(CONVERGED_LINES, seed=23, converged_only=True))
    rows = batch_rows(path, "--solver", "converged")
    text = path.read_text().splitlines()
    readable = [i for i, b in enumerate(rows) if b["status"] != "error"]
    taken = tmp_path / "taken.csv"
    taken.write_text("\n".join([text[0]] + [text[i + 1] for i in readable]) + "\n")
    results = module_results(taken, "converged")
    assert {b["status"] for b in rows} >= {"ok", "no neutral point", "M6201", "error"}
    for i, r in zip(readable, results):
        assert_same_line(rows[i], r, CONVERGED_COLUMNS, False, i + 2)
    pd = pytest.importorskip("pandas")
    for i in sorted(set(range(len(rows))) - set(readable))[:100]:  # refused alike, one by one
        frame = pd.read_csv(io.StringIO(text[0] + "\n" + text[i + 1] + "\n"), float_precision="round_trip")
        frame["solver"] = "converged"
        with pytest.raises(ValueError):
            orowan.solve_many(frame, errors="return")
