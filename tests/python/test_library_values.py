"""The module's values are the library's, bit for bit: the same passes typed
as texts go to the library reference (the console's reading of each text,
the library calls of the executables' core) and, as float(text), to the
module (its own position-independent copy of the core, its threads, its
conversions). Every summary value, every step of both marches, faults,
tables, curves, flattening and the converged solver."""
import re
import subprocess
import os

import numpy as np
import pytest

import orowan
import pass_sets
from library_records import (assert_same, module_arguments, nearest_float32, refused_by_front_end,
                             run_reference, unchecked_solve_many)


@pytest.fixture(scope="module")
def generated():
    passes = (pass_sets.batch_test_passes(600) + pass_sets.benchmark_csv_passes(300)
              + pass_sets.EDGE_PASSES)
    return passes, run_reference(passes)


def test_generated_passes_cover_every_kind(generated):
    """The set is worth comparing: hundreds of solved passes, sticking,
    no neutral point, and faults of every M number in every stage that
    can fault."""
    _, records = generated
    outcomes = [r["head"][1] for r in records]
    faults = {(r["head"][2], r["head"][3]) for r in records if r["head"][1] == 2}
    assert outcomes.count(0) >= 500 and outcomes.count(1) >= 20
    assert {number for number, _ in faults} == {6101, 6103, 6104, 6201}
    assert {stage for _, stage in faults} == {0, 1, 2, 3, 4}  # input to load
    assert sum(np.any(r["exit"]["SL/ST"] == 2) for r in records) >= 100


@pytest.mark.parametrize("jobs", [1, 2])
def test_solve_many_equals_the_library(generated, jobs):
    passes, records = generated
    results = unchecked_solve_many([module_arguments(p) for p in passes], jobs)
    assert len(results) == len(records)
    for i, (result, record) in enumerate(zip(results, records)):
        assert_same(result, record, i)


def test_solve_equals_the_library(generated):
    passes, records = generated
    for i in range(0, len(passes), 9):
        args = dict(module_arguments(passes[i]), H1=float(passes[i]["H1"]))
        if refused_by_front_end(passes[i]):
            with pytest.raises(ValueError, match=r"^(R|H1|H2|Y|U): "):
                orowan.solve(**args)
            continue
        try:
            result = orowan.solve(**args)
        except orowan.PassFault as fault:
            assert fault.index is None
            result = fault
        assert_same(result, records[i], i)


SETS = {
    "curves": pass_sets.curve_passes(60),
    "tables": pass_sets.table_passes(),
    "mill": pass_sets.mill_passes(),
    "converged": pass_sets.converged_passes(),
}


@pytest.mark.parametrize("name", SETS)
def test_set_equals_the_library(name):
    passes = SETS[name]
    records = run_reference(passes)
    if name == "curves":
        assert all(r["head"][11] == 1 for r in records)  # every table within the bound
    results = unchecked_solve_many([module_arguments(p) for p in passes], 2)
    for i, (result, record) in enumerate(zip(results, records)):
        assert_same(result, record, (name, i))


def test_curve_the_table_cannot_follow_is_refused():
    """Ludwik's curve with a small exponent on annealed strip is steep at no
    strain: the library's fit reports that 50 points do not reach 0.1 %."""
    p = dict(pass_sets.EXAMPLE, CURVE="ludwik", S0="1", K="50", N="0.05")
    del p["Y"]
    (record,) = run_reference([p])
    assert record["head"][11] == 0
    with pytest.raises(ValueError, match=r"cannot follow the curve within 0.1 % \(46 % at worst\)"):
        orowan.solve(**module_arguments(p))
    with pytest.raises(ValueError, match=r"passes\[1\]: curve: "):
        orowan.solve_many([module_arguments(pass_sets.EXAMPLE), module_arguments(p)])


# (argument, text): texts the console reads in the ordinary way, and one
# whose nearest double lies exactly halfway between two singles, so that
# the console's two roundings (text to double, double to single) differ
# from rounding the text to single at once.
TYPED_TEXTS = [("U", "0.1"), ("Y", "1.15"), ("SGB", "0.3"), ("R", "16777217"),
               ("Y", "1E-45"), ("SGB", "-0"), ("R", "3.4028234E37"), ("SGF", "2.5e-3"),
               ("Y", "20.000000953674316"), ("SGB", "1.00000005960464477550")]


@pytest.mark.parametrize("name,text", TYPED_TEXTS)
def test_a_float_goes_in_as_the_console_reads_its_text(name, text):
    p = dict(pass_sets.EXAMPLE, **{name: text})
    (record,) = run_reference([p])
    try:
        result = orowan.solve(**module_arguments(p))
    except orowan.PassFault as fault:
        result = fault
    assert_same(result, record, text)
    if text == "1.00000005960464477550":  # a double-rounding case: the console's value wins
        assert nearest_float32(text) != np.float32(float(text)) == np.float32(1.0)


def test_example_pass_as_the_console_prints_it():
    """The console's summary block for the example pass shows the module's
    values at the report's precision."""
    report = subprocess.run([os.environ["OROWAN_PROGRAM"]], input=b"100\n2 1.5\n20\n0 0\n0.1\n0\n",
                            capture_output=True, check=True).stdout.decode("cp932")
    r = orowan.solve(R=100, H1=2, H2=1.5, Y=20, SGB=0, SGF=0, U=0.1)
    expected = [("R", r.reduction_ratio), ("XL", r.contact_length), ("OM", r.contact_angle),
                ("XN", r.neutral_position), ("ON", r.neutral_angle), ("F", r.neutral_force),
                ("P", r.neutral_pressure), ("PM", r.mean_roll_pressure), ("P", r.rolling_force),
                ("G", r.torque), ("A", r.torque_arm)]
    summary = report[report.index("CALCULATED RESULT -- 2"):]
    fields = re.findall(r"\b([A-Z]+)\s+(-?\d*\.\d+)", summary)
    assert [label for label, _ in fields] == [label for label, _ in expected]
    assert fields[8][1] == "185.49"  # the rolling force
    for (label, text), (_, value) in zip(fields, expected):
        decimals = len(text.split(".")[1])
        assert float(text) == float(f"{value:.{decimals}f}"), label
