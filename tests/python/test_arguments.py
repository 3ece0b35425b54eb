"""Arguments the module refuses, faults as exceptions or values, the forms
solve_many takes (mappings, a DataFrame, the batch tool's curve columns, a
schedule), and Ctrl-C while its threads work. (One and two threads giving
the library's values bit for bit: test_library_values.py.)"""
import math
import os
import signal
import threading
import time

import numpy as np
import pytest

import orowan

EXAMPLE = dict(R=100, H1=2, H2=1.5, Y=20, SGB=0, SGF=0, U=0.1)
TABLE = ([0, 3.5, 7.1], [23, 25, 30])


def example(**changes):
    args = dict(EXAMPLE)
    args.update(changes)
    return {k: v for k, v in args.items() if v is not None}


# (arguments, exception, words the message must have: the argument's name
# and what it expects).
BAD_ARGUMENTS = [
    (example(U=float("nan")), ValueError, "U: expected a number, got NaN"),
    (example(R=float("inf")), ValueError, "R: inf is beyond the single-precision range"),
    (example(R=3.4028235e38), ValueError, "R: 3.4028235e+38 is beyond the single-precision"),
    (example(H1=10**400), ValueError, "H1: "),
    (example(SGB=1e-310), ValueError, "SGB: 1e-310 is a denormal double"),
    (example(Y="20"), TypeError, "Y: expected a number, got str"),
    (example(U=True), TypeError, "U: expected a number, got bool"),
    (example(U=None), TypeError, "U: missing"),
    (example(Y=None), TypeError, "Y: missing"),
    (example(solver="exact"), ValueError, "solver: expected 'console' or 'converged'"),
    (example(Y=None, curve=("swift", 55, 0.22)), ValueError, "curve: expected ('swift', K, N, EPS0)"),
    (example(Y=None, curve=("voce", 1, 2, 3)), ValueError, "curve: expected"),
    (example(Y=None, curve="swift"), ValueError, "curve: expected"),
    (example(Y=None, curve=("swift", 55, float("nan"), 0.01)), ValueError, "curve N: expected a number"),
    (example(curve=("swift", 55, 0.22, 0.01)), ValueError, "Y: give Y or curve, not both"),
    (example(Y=None, curve=("swift", 55, 0.22, 0.01), eps=-0.1), ValueError, "eps: "),
    (example(Y=None, yield_table=TABLE, curve=("swift", 55, 0.22, 0.01)), ValueError,
     "curve: give curve or yield_table"),
    (example(friction_table=TABLE), ValueError, "U: give U or friction_table, not both"),
    (example(Y=None, yield_table=([0, 1], [20])), ValueError, "yield_table: 2 positions but 1 values"),
    (example(Y=None, yield_table=([0, 2, 1], [20, 21, 22])), ValueError,
     "yield_table: positions must be strictly ascending"),
    (example(U=None, friction_table=(range(51), [0.1] * 51)), ValueError,
     "friction_table: expected 1 to 50 points, got 51"),
    (example(U=None, friction_table=([0.5, 8], [0.1, 0.2])), ValueError,
     "friction_table: the table must start at the exit plane (X = 0), not at 0.5"),
    (example(Y=None, curve=("swift", 0, 0.22, 0.01)), ValueError, "curve K: expected a number above 0"),
    (example(Y=None, curve=("ludwik", 10, 30, -0.2)), ValueError, "curve N: expected a number not below 0"),
    (example(Y=None, curve=("swift", 55, 0.22, 0)), ValueError,
     "curve: the curve has zero stress at zero strain; give EPS0 > 0 or eps > 0"),
    (example(Y=None, curve=("ludwik", 0, 30, 0.3)), ValueError, "give S0 > 0 or eps > 0"),
    (example(U=None, friction_table=(np.arange(50) * 0.1, [0.1] * 50)), ValueError,
     "friction_table: the table ends at X = 4.9, inside the arc of contact (XL = 7.066647)"),
    (example(U=None, friction_table=[[0, 1], [0.1, 0.2], [0.3]]), TypeError, "(positions, values) pair"),
    (example(U=None, friction_table=([[0, 1]], [[0.1, 0.2]])), ValueError, "one-dimensional"),
    (example(U=None, friction_table=(["a", "b"], [0.1, 0.2])), TypeError, "sequence of numbers"),
    (example(Y=None, yield_table=([0, float("nan")], [20, 21])), ValueError,
     "yield_table positions: expected a number, got NaN"),
    (example(E=0), ValueError, "E: Young's modulus of the rolls must be positive"),
    (example(E=21000, NU=0.5), ValueError, "NU: Poisson's ratio must be at least 0 and below 0.5"),
    (example(NU=0.3), ValueError, "NU: Poisson's ratio of the rolls needs E"),
    (example(V=-1), ValueError, "V: the roll speed cannot be negative"),
    (example(solver="converged", V=100), ValueError, "V: not available with solver='converged'"),
    (example(H1=1.5, E=21000), ValueError, "H2: the exit thickness 1.5 equals the entry thickness H1 = 1.5"),
]


@pytest.mark.parametrize("args,error,words", BAD_ARGUMENTS)
def test_bad_arguments(args, error, words):
    with pytest.raises(error) as caught:
        orowan.solve(**args)
    assert words in str(caught.value)


def test_positions_that_become_one_single_are_not_ascending():
    """1e-9 is a single of its own, but 1 + 1e-9 rounds to 1: the table the
    analysis would see has a repeated position."""
    with pytest.raises(ValueError, match="strictly ascending"):
        orowan.solve(**example(Y=None, yield_table=([0, 1, 1 + 1e-9], [20, 21, 22])))
    assert orowan.solve(**example(Y=None, yield_table=([0, 1e-9, 8], [23, 23, 23]))).status == "ok"


# (solve_many's arguments, exception, message): the pass is named.
BAD_CALLS = [
    (dict(passes=[EXAMPLE, example(U="x")]), TypeError, "passes[1]: U: expected a number"),
    (dict(passes=[EXAMPLE, example(u=0.1)]), ValueError, "passes[1]: 'u': not an argument"),
    (dict(passes=[EXAMPLE, (100, 2, 1.5)]), TypeError, "passes[1]: expected a mapping"),
    (dict(passes=EXAMPLE), TypeError, "passes: expected an iterable of mappings"),
    (dict(passes=[example(H1=None)]), ValueError, "passes[0]: H1: missing, and no pass before"),
    (dict(passes=[EXAMPLE], jobs=0), ValueError, "jobs: expected at least 1 thread, got 0"),
    (dict(passes=[EXAMPLE], jobs=-2), ValueError, "jobs: expected at least 1 thread"),
    (dict(passes=[EXAMPLE], jobs=1.5), TypeError, "jobs: expected a whole number"),
    (dict(passes=[EXAMPLE], errors="ignore"), ValueError, "errors: expected 'raise' or 'return'"),
    (dict(passes=[EXAMPLE], steps="no"), TypeError, "steps: expected True, False or None"),
    (dict(passes=[example(Y=None, CURVE="swift", K=55)]), ValueError, "passes[0]: N: missing for the swift curve"),
    (dict(passes=[example(Y=None, CURVE="swift", K=55, N=0.2, S0=3)]), ValueError,
     "passes[0]: S0: not a parameter of the swift curve"),
    (dict(passes=[example(Y=None, K=55, N=0.2)]), ValueError, "passes[0]: CURVE: expected 'swift' or 'ludwik'"),
]


@pytest.mark.parametrize("kwargs,error,words", BAD_CALLS)
def test_bad_solve_many_calls(kwargs, error, words):
    with pytest.raises(error) as caught:
        orowan.solve_many(**kwargs)
    assert words in str(caught.value)


# (arguments, code, stage, side, step): as the library's own tests place them.
FAULTS = [
    (example(U=0), "M6103", "march", "exit", 1),
    (example(SGB=1000), "M6201", "march", "entry", 1),
    (example(R=3.4028234e38), "M6104", "geometry", None, None),
    (example(Y=3.4e38), "M6104", "input", None, None),
]


@pytest.mark.parametrize("args,code,stage,side,step", FAULTS)
def test_a_fault_is_a_pass_fault(args, code, stage, side, step):
    with pytest.raises(orowan.PassFault) as caught:
        orowan.solve(**args)
    fault = caught.value
    assert (fault.code, fault.number, fault.stage, fault.side, fault.step, fault.index) == (
        code, int(code[1:]), stage, side, step, None)
    assert str(fault).startswith(code + " ")


def test_solve_many_raises_the_first_fault_or_returns_faults_in_place():
    passes = [EXAMPLE, example(U=0), EXAMPLE, example(SGB=1000)]
    with pytest.raises(orowan.PassFault) as caught:
        orowan.solve_many(passes, jobs=2)
    assert (caught.value.index, caught.value.code) == (1, "M6103")
    assert str(caught.value).startswith("passes[1]: M6103 ")
    results = orowan.solve_many(passes, jobs=2, errors="return")
    assert [type(r).__name__ for r in results] == ["PassResult", "PassFault", "PassResult", "PassFault"]
    assert (results[3].index, results[3].side) == (3, "entry")


def test_converged_fault_has_the_console_number_and_no_place():
    with pytest.raises(orowan.PassFault) as caught:
        orowan.solve(**example(U=0), solver="converged")
    assert (caught.value.code, caught.value.stage, caught.value.step) == ("M6103", None, None)
    assert "friction" in caught.value.message


def test_a_schedule_takes_the_exit_thickness_before():
    passes = [EXAMPLE, example(H1=None, H2=1.2, Y=22), example(H1=None, H2=1, Y=24)]
    results = orowan.solve_many(passes)
    assert [r.inputs["H1"] for r in results] == [2.0, np.float32(1.5), np.float32(1.2)]
    for r, H1 in zip(results[1:], (1.5, 1.2)):
        again = orowan.solve(**example(H1=H1, H2=r.inputs["H2"], Y=r.inputs["Y"]))
        assert again.rolling_force == r.rolling_force


def test_a_schedule_carries_the_strain_unless_eps_is_given():
    """Each pass brings in the strain the pass before left, as a single
    value; a pass that gives eps (0 after an anneal) starts from it."""
    curve = ("swift", 55, 0.22, 0.012)
    passes = [dict(R=200, H1=2, H2=1.5, curve=curve, U=0.08), dict(R=200, H2=1.15, curve=curve, U=0.08),
              dict(R=200, H2=0.9, curve=curve, U=0.08, eps=0)]
    results = orowan.solve_many(passes)
    first = results[0]
    second = orowan.solve(R=200, H1=1.5, H2=1.15, curve=curve, U=0.08, eps=first.strain_out)
    third = orowan.solve(R=200, H1=1.15, H2=0.9, curve=curve, U=0.08)
    assert values(results[1]) == values(second) and values(results[2]) == values(third)
    # (2/sqrt 3) ln(H1/H2) on the single values the analysis takes, added in double, stored single
    taken = 2 / math.sqrt(3) * math.log(1.5 / float(np.float32(1.15)))
    assert results[1].strain_out == np.float32(first.strain_out + taken)


def test_a_dataframe_of_batch_columns_is_the_passes():
    """Empty cells are arguments not given; the CURVE columns are curve and
    eps; columns in any order."""
    pd = pytest.importorskip("pandas")
    frame = pd.DataFrame({
        "U": [0.1, 0.1, 0.2], "R": [100, 100, 100], "H1": [2, 2, np.nan], "H2": [1.5, 1.5, 1.2],
        "Y": [20, np.nan, np.nan], "CURVE": [None, "swift", "ludwik"], "K": [np.nan, 55, 30],
        "N": [np.nan, 0.22, 0.3], "EPS0": [np.nan, 0.012, np.nan], "S0": [np.nan, np.nan, 15],
        "EPS": [np.nan, np.nan, 0.3]})
    got = orowan.solve_many(frame, jobs=1)
    want = [orowan.solve(**EXAMPLE),
            orowan.solve(R=100, H1=2, H2=1.5, U=0.1, curve=("swift", 55, 0.22, 0.012)),
            orowan.solve(R=100, H1=1.5, H2=1.2, U=0.2, curve=("ludwik", 15, 30, 0.3), eps=0.3)]
    for g, w in zip(got, want):
        assert values(g) == values(w)
    assert got[0].strain_out == got[1].strain_out == np.float32(2 / math.sqrt(3) * math.log(2 / 1.5))


def values(result):
    """Every value of a result as bytes: NaN equals NaN, -0 is not 0."""
    numbers = [v for v in result.summary().values() if not isinstance(v, str)]
    return np.array(numbers, dtype=np.float64).tobytes()


def test_steps_false_keeps_the_values_but_no_steps():
    full, bare = orowan.solve_many([EXAMPLE], steps=True)[0], orowan.solve_many([EXAMPLE], steps=False)[0]
    assert bare.exit is None and bare.entry is None
    assert bare.summary() == full.summary()


def test_ctrl_c_stops_solve_many(monkeypatch):
    """SIGINT while the threads work: KeyboardInterrupt within a fraction of
    the time the 30,000 passes take (some 2.5 s on two threads). That time
    is measured first, in the same run, so that a busy machine slows both
    alike and cannot fail the test."""
    solving = orowan._orowan.solve_many
    began = time.monotonic()
    orowan.solve_many([EXAMPLE] * 30000, jobs=2, steps=False)
    whole = time.monotonic() - began
    started = []

    def interrupted_soon(requests, jobs):
        started.append(time.monotonic())
        threading.Timer(0.2, os.kill, (os.getpid(), signal.SIGINT)).start()
        return solving(requests, jobs)

    monkeypatch.setattr(orowan._orowan, "solve_many", interrupted_soon)
    with pytest.raises(KeyboardInterrupt):
        orowan.solve_many([EXAMPLE] * 30000, jobs=2, steps=False)
    assert started and time.monotonic() - started[0] < max(0.8, whole / 3)
