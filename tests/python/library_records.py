"""The library reference's records (tests/python/library_reference.cpp),
the module's arguments for the same texts, and the bit-for-bit comparison
of a module result with a record."""
import math
import os
import subprocess
from fractions import Fraction

import numpy as np

import orowan

STEP_DTYPE = np.dtype([(name, "<i4" if name == "SL/ST" else "<f4") for name in orowan.STEP_COLUMNS])
CONVERGED_DTYPE = np.dtype([("X", "<f8"), ("PHI", "<f8"), ("F", "<f8"), ("P", "<f8"),
                            ("SL/ST", "<i4"), ("pad", "<i4")])
# PassResult's single values in the reference's order.
CONSOLE_SUMMARY = ("ROLL_DIAMETER", "F_EXIT_PLANE", "F_ENTRY_PLANE", "DH", "XL", "CONTACT_ANGLE",
                   "ANGLE_STEP", "ROLLING_FORCE", "G", "TORQUE_ARM", "PM", "REDUCTION_RATIO", "OM",
                   "XN", "ON", "NEUTRAL_F", "NEUTRAL_P")
# The module's names of the report's values.
MODULE_NAMES = {"reduction_ratio": "REDUCTION_RATIO", "contact_length": "XL",
                "contact_angle": "OM", "neutral_position": "XN", "neutral_angle": "ON",
                "neutral_force": "NEUTRAL_F", "neutral_pressure": "NEUTRAL_P",
                "mean_roll_pressure": "PM", "rolling_force": "ROLLING_FORCE", "torque": "G",
                "torque_arm": "TORQUE_ARM"}
CONTACT_ONLY = ("reduction_ratio", "contact_length", "contact_angle")
STAGES = ("input", "geometry", "march", "march", "load", "summary")
FLATTENING = ("settled", "below minimum gauge", "not settled", "no neutral point", "fault")
KEYS = ("R", "H1", "H2", "Y", "SGB", "SGF", "U", "YT", "FT", "CURVE", "K", "N", "EPS0", "S0",
        "EPS", "E", "NU", "V", "SOLVER")


# The batch tool's result columns and the PassResult attributes of the
# same values.
BATCH_COLUMNS = {"REDUCTION_RATIO": "reduction_ratio", "XL": "contact_length", "OM": "contact_angle",
                 "XN": "neutral_position", "ON": "neutral_angle", "NEUTRAL_F": "neutral_force",
                 "NEUTRAL_P": "neutral_pressure", "PM": "mean_roll_pressure",
                 "ROLLING_FORCE": "rolling_force", "G": "torque", "TORQUE_ARM": "torque_arm",
                 "EPS_OUT": "strain_out", "R_FLAT": "r_flat", "FORWARD_SLIP": "forward_slip",
                 "BACKWARD_SLIP": "backward_slip", "V_EXIT": "v_exit", "V_ENTRY": "v_entry",
                 "POWER": "power"}


def run_reference(passes):
    """The library's records for `passes` (dicts of texts)."""
    lines = [" ".join(f"{k}={p[k]}" for k in KEYS if k in p) for p in passes]
    out = subprocess.run([os.environ["OROWAN_LIBRARY_REFERENCE"]],
                         input=("\n".join(lines) + "\n").encode(), capture_output=True,
                         check=True).stdout
    records, at = [], 0
    for _ in passes:
        record, at = _parse(out, at)
        records.append(record)
    assert at == len(out), "the reference wrote more than the records asked for"
    return records


def _take(buffer, at, dtype, count):
    array = np.frombuffer(buffer, dtype=dtype, count=count, offset=at)
    return array, at + array.nbytes


def _parse(buffer, at):
    head, at = _take(buffer, at, "<i4", 12)
    typed, at = _take(buffer, at, "<f4", 7)
    r = {"converged": head[0] == 1, "head": head, "typed": typed}
    if r["converged"]:
        r["summary"], at = _take(buffer, at, "<f8", 11)
        r["exit"], at = _take(buffer, at, CONVERGED_DTYPE, head[5])
        r["entry"], at = _take(buffer, at, CONVERGED_DTYPE, head[6])
        return r, at
    summary, at = _take(buffer, at, "<f4", 17)
    r["summary"] = dict(zip(CONSOLE_SUMMARY, summary))
    r["extra"], at = _take(buffer, at, "<f8", 8)
    r["exit"], at = _take(buffer, at, STEP_DTYPE, head[5])
    r["entry"], at = _take(buffer, at, STEP_DTYPE, head[6])
    r["table"] = [None, None]
    r["table"][0], at = _take(buffer, at, "<f4", head[10])
    r["table"][1], at = _take(buffer, at, "<f4", head[10])
    return r, at


def _table(text):
    points = [point.split(":") for point in text.split(",")]
    return [float(x) for x, _ in points], [float(v) for _, v in points]


def unchecked_solve_many(arguments, jobs):
    """solve_many over the compiled part without the front end's bounds of
    a pass (zero sizes, no reduction and negative friction go through as
    the calculator takes them), so that the module's analysis can be
    compared with the library on every pass the calculator reads."""
    from orowan import _arguments, _orowan
    requests, _ = _arguments.requests(arguments, True, checked=False)
    answers = _orowan.solve_many(requests, jobs)
    return [orowan._result(answer, i, raise_fault=False) for i, answer in enumerate(answers)]


def refused_by_front_end(p):
    """Whether solve() refuses the pass typed as the texts `p`: a size or
    Y not above 0, a negative U, or H2 not below H1 (single values)."""
    f = {k: np.float32(float(p[k])) for k in ("R", "H1", "H2", "Y", "U") if k in p}
    return (any(not f[k] > 0 for k in ("R", "H1", "H2", "Y") if k in f)
            or ("U" in f and not f["U"] >= 0) or not f["H2"] < f["H1"])


def module_arguments(p):
    """solve()'s arguments for the pass `p` typed as texts: float(text)."""
    args = {k: float(p[k]) for k in ("R", "H1", "H2", "Y", "SGB", "SGF", "U", "E", "NU", "V")
            if k in p}
    if "YT" in p:
        args["yield_table"] = _table(p["YT"])
    if "FT" in p:
        args["friction_table"] = _table(p["FT"])
    if "CURVE" in p:
        params = ("K", "N", "EPS0") if p["CURVE"] == "swift" else ("S0", "K", "N")
        args["curve"] = (p["CURVE"], *(float(p.get(n, "0")) for n in params))
    if "EPS" in p or "CURVE" in p:  # the strain out follows it, with a curve or without
        args["eps"] = float(p.get("EPS", "0"))
    if "SOLVER" in p:
        args["solver"] = p["SOLVER"]
    if p.get("schedule"):
        del args["H1"]
    return args


def bits(x, dtype):
    """The bit pattern of x as a `dtype` value; x must be exactly such a value."""
    value = np.asarray(x, dtype=dtype)
    assert math.isnan(x) or float(value) == x, f"{x!r} is not a {dtype} value"
    return value.view("<u4" if np.dtype(dtype).itemsize == 4 else "<u8").item()


def same(a, b, dtype):
    """Equal bit for bit as `dtype` values (NaN equals NaN)."""
    return bits(a, dtype) == bits(b, dtype)


def assert_same_steps(steps, reference, columns, label):
    assert steps is not None, label
    assert list(steps) == list(columns), label
    for column in columns:
        got, want = steps[column], reference[column]
        assert got.dtype == want.dtype.newbyteorder("="), (label, column, got.dtype)
        assert got.tobytes() == want.tobytes(), (label, column)


def assert_same_fault(fault, record, label):
    head = record["head"]
    assert isinstance(fault, orowan.PassFault), (label, fault)
    if record["converged"]:
        assert fault.code == {1: "M6201", 2: "M6103", 3: "M6104"}[head[2]], label
        assert (fault.stage, fault.side, fault.step) == (None, None, None), label
        return
    assert fault.code == f"M{head[2]}", label
    stage = STAGES[head[3]]
    side = {2: "exit", 3: "entry"}.get(head[3])
    assert (fault.stage, fault.side, fault.step) == (stage, side, head[4] or None), label


def assert_same(result, record, label):
    """The module's result (or PassFault) is the library's record, bit for bit."""
    head = record["head"]
    if record["converged"]:
        return _assert_same_converged(result, record, label)
    if _no_flattened_radius(head):
        return _assert_no_flattened_radius(result, head, label)
    if head[1] == 2:
        return assert_same_fault(result, record, label)
    assert isinstance(result, orowan.PassResult), (label, result)
    assert result.status == ("ok" if head[1] == 0 else "no neutral point"), label
    for i, name in enumerate(("R", "H1", "H2", "Y", "SGB", "SGF", "U")):
        if result.inputs[name] is not None:
            assert same(result.inputs[name], record["typed"][i], np.float32), (label, name)
    for name, field in MODULE_NAMES.items():
        want = record["summary"][field] if head[1] == 0 or name in CONTACT_ONLY else math.nan
        assert same(getattr(result, name), want, np.float32), (label, name)
    assert result.neutral_step == (head[7] if head[1] == 0 else None), label
    assert_same_steps(result.exit, record["exit"], orowan.STEP_COLUMNS, (label, "exit"))
    assert_same_steps(result.entry, record["entry"], orowan.STEP_COLUMNS, (label, "entry"))
    extra = record["extra"]
    for name, value in zip(("r_flat", "forward_slip", "backward_slip", "v_exit", "v_entry",
                            "power", "curve_fit_error", "strain_out"), extra):
        assert same(getattr(result, name), value, np.float64), (label, name)
    assert result.flattening == (FLATTENING[head[8]] if head[8] >= 0 else None), label
    if head[10] == 0:
        assert result.curve_table is None, label
    else:
        for got, want in zip(result.curve_table, record["table"]):
            assert got.tobytes() == want.tobytes(), label


def _no_flattened_radius(head):
    """A search that found no radius: beyond the roll's own radius, or one
    that never brackets it. A pass that ends at R itself is that pass."""
    status = FLATTENING[head[8]] if head[8] >= 0 else None
    return status not in (None, "settled") and (head[9] > 1 or status in ("below minimum gauge", "not settled"))


def _assert_no_flattened_radius(result, head, label):
    """Nothing of a pass: no values, no steps, the search's end named."""
    assert isinstance(result, orowan.PassResult), (label, result)
    assert result.status == "no flattened radius", label
    assert result.flattening == FLATTENING[head[8]], label
    for name in MODULE_NAMES:
        assert math.isnan(getattr(result, name)), (label, name)
    assert math.isnan(result.r_flat) and result.exit is None and result.entry is None, label


def _assert_same_converged(result, record, label):
    head = record["head"]
    if head[1] == 3:
        return assert_same_fault(result, record, label)
    assert result.status == ("ok", "no neutral point", "not converged")[head[1]], label
    assert result.grid_steps == head[7], label
    s = record["summary"]
    # The tools turn radians into degrees as the angle times 180, divided
    # by pi, in double: the same two correctly rounded operations here.
    want = [s[0], s[1], s[2] * 180.0 / math.pi, s[3], s[4] * 180.0 / math.pi, *s[5:]]
    if head[1] == 1:
        want[3:] = [math.nan] * 8
    for name, value in zip(MODULE_NAMES, want):
        assert same(getattr(result, name), value, np.float64), (label, name)
    for side in ("exit", "entry"):
        ref = record[side]
        steps = getattr(result, side)
        assert list(steps) == list(orowan.CONVERGED_STEP_COLUMNS), label
        for column in ("X", "PHI", "F", "P", "SL/ST"):
            assert steps[column].tobytes() == ref[column].tobytes(), (label, side, column)
        # The nodes' angles in degrees: times 180/pi in double (the module's).
        assert steps["O"].tobytes() == (ref["PHI"] * (180.0 / math.pi)).tobytes(), (label, side)


def nearest_float32(text):
    """The single-precision value nearest the decimal text itself (ties to
    even), in exact rational arithmetic: rounding through the nearest double
    lands at most one single away, so the answer is among the neighbours."""
    x = Fraction(text)
    near = np.float32(float(x))
    up, down = np.float32(np.inf), np.float32(-np.inf)
    candidates = [np.nextafter(np.nextafter(near, down), down), np.nextafter(near, down), near,
                  np.nextafter(near, up), np.nextafter(np.nextafter(near, up), up)]
    return min(candidates, key=lambda c: (abs(Fraction(float(c)) - x), int(c.view(np.uint32)) & 1))
