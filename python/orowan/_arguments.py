"""Arguments to requests of the compiled part: every check and its message.

Numbers go in as the console reads a typed REAL: the console reads the text
to the nearest double (strtod) and rounds that to the nearest single; a
Python float is already the nearest double of the text it was written as,
and the compiled part rounds it to the nearest single the same way. So
every check here looks at what the analysis will take.
"""
import math
import numbers
from collections.abc import Mapping

import numpy as np

from . import _orowan

MAX_TABLE_POINTS = _orowan.MAX_TABLE_POINTS
FLOAT32_MAX = float(np.finfo(np.float32).max)  # 3.4028234663852886e+38
_DOUBLE_MIN_NORMAL = float(np.finfo(np.float64).tiny)
SOLVERS = ("console", "converged")
CURVE_SHAPES = "('swift', K, N, EPS0) or ('ludwik', S0, K, N)"

# The keyword arguments of solve() that a pass of solve_many may give, and
# the batch tool's flow-curve columns, which a pass may give instead.
ARGUMENT_NAMES = ("R", "H1", "H2", "Y", "SGB", "SGF", "U", "curve", "eps", "yield_table",
                  "friction_table", "solver", "E", "NU", "V", "flow")
# A hot pass's columns (python/orowan/_hot.py checks them), FLOW for flow.
HOT_COLUMNS = ("FLOW", "C", "A", "M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8", "M9", "EPS_MIN",
               "T", "TRANSFER", "EMISSIVITY", "H_CONV", "T_AMBIENT", "DESCALE", "H_WATER",
               "H_CONTACT", "T_ROLL", "ETA", "RHO", "CP", "ALPHA")
CURVE_COLUMNS = ("CURVE", "K", "N", "EPS0", "S0", "EPS")


def single(x):
    """x rounded to the nearest single-precision value, as a float."""
    return float(np.float32(x))


def number(name, value):
    """`value` as a float the console could have read: finite, within the
    single-precision range, not a denormal double (the console's reader
    refuses those texts: F6104 and F6102)."""
    kind = type(value)
    if kind is not float and kind is not int:  # the usual kinds skip the slower checks
        if isinstance(value, (bool, np.bool_)) or not isinstance(value, numbers.Real):
            raise TypeError(f"{name}: expected a number, got {kind.__name__} {value!r}")
    try:
        x = float(value)
    except OverflowError:
        raise ValueError(f"{name}: {value!r} is beyond the single-precision range") from None
    if not -FLOAT32_MAX <= x <= FLOAT32_MAX:
        if math.isnan(x):
            raise ValueError(f"{name}: expected a number, got NaN")
        raise ValueError(f"{name}: {x!r} is beyond the single-precision range "
                         f"(magnitude at most {FLOAT32_MAX!r})")
    if -_DOUBLE_MIN_NORMAL < x < _DOUBLE_MIN_NORMAL and x != 0:
        raise ValueError(f"{name}: {x!r} is a denormal double, below the range the console reads")
    return x


def _vector(name, values):
    """A 1-D sequence of numbers as float64, each one as number() takes it."""
    if isinstance(values, (str, bytes)):
        raise TypeError(f"{name}: expected a sequence of numbers, got {values!r}")
    try:
        array = np.asarray(values, dtype=np.float64)
    except (TypeError, ValueError):
        raise TypeError(f"{name}: expected a sequence of numbers, got {values!r}") from None
    if array.ndim != 1:
        raise ValueError(f"{name}: expected a one-dimensional sequence, got shape {array.shape}")
    for x in array:
        number(name, x)
    return array


def table(name, pair):
    """A property table as float32 (positions, values): 1 to 50 points,
    positions strictly ascending as single-precision values from the exit
    plane (the first at 0 or below)."""
    if isinstance(pair, (str, bytes, Mapping)):
        raise TypeError(f"{name}: expected a (positions, values) pair, got {pair!r}")
    try:
        positions, values = pair
    except (TypeError, ValueError):
        raise TypeError(f"{name}: expected a (positions, values) pair of sequences") from None
    positions = _vector(f"{name} positions", positions).astype(np.float32)
    values = _vector(f"{name} values", values).astype(np.float32)
    if len(positions) != len(values):
        raise ValueError(f"{name}: {len(positions)} positions but {len(values)} values")
    if not 1 <= len(positions) <= MAX_TABLE_POINTS:
        raise ValueError(f"{name}: expected 1 to {MAX_TABLE_POINTS} points, got {len(positions)}")
    if not np.all(positions[1:] > positions[:-1]):
        raise ValueError(f"{name}: positions must be strictly ascending (as single-precision "
                         f"values), got {positions.tolist()}")
    if positions[0] > 0:
        raise ValueError(f"{name}: the table must start at the exit plane (X = 0), "
                         f"not at {positions[0]}")
    return positions, values


def flow_curve(value):
    """A flow curve as the compiled part takes it: (kind, K, N, EPS0, S0),
    K above 0, the others not negative (as single-precision values)."""
    shaped = isinstance(value, (tuple, list)) and len(value) == 4
    kind = value[0] if shaped else None
    if not shaped or not isinstance(kind, str) or kind.lower() not in ("swift", "ludwik"):
        raise ValueError(f"curve: expected {CURVE_SHAPES}, got {value!r}")
    kind = kind.lower()
    names = ("K", "N", "EPS0") if kind == "swift" else ("S0", "K", "N")
    params = {p: number(f"curve {p}", x) for p, x in zip(names, value[1:])}
    for p, x in params.items():
        if single(x) < 0 or p == "K" and not single(x) > 0:
            raise ValueError(f"curve {p}: expected a number {'above' if p == 'K' else 'not below'}"
                             f" 0, got {x!r}")
    return (kind, params["K"], params["N"], params.get("EPS0", 0.0), params.get("S0", 0.0))


def _check_pass(R, H1, H2, Y, U, friction_table):
    """What a pass needs beyond numbers the console reads: positive sizes
    and yield stress, a friction that is not negative, and a reduction
    (H2 below H1), each as the single-precision value the analysis takes."""
    for name, value in (("R", R), ("H1", H1), ("H2", H2), ("Y", Y)):
        if value is not None and not single(value) > 0:
            raise ValueError(f"{name}: must be above 0, got {value!r}")
    if U is not None and not single(U) >= 0:
        raise ValueError(f"U: the friction coefficient must not be negative, got {U!r}")
    if friction_table is not None and not np.all(friction_table[1] >= 0):
        raise ValueError(f"friction_table: the friction must not be negative, got "
                         f"{friction_table[1].tolist()}")
    if not single(H2) < single(H1):
        relation = "equals" if single(H2) == single(H1) else "is above"
        raise ValueError(f"H2: the exit thickness {H2!r} {relation} the entry thickness H1 = {H1!r}; "
                         f"a pass must reduce the strip")


def request(R, H1, H2, Y=None, SGB=0.0, SGF=0.0, U=None, *, curve=None, eps=0.0,
            yield_table=None, friction_table=None, solver="console", E=None, NU=None, V=None,
            steps=True, checked=True, flow=None, **hot):
    """The checked arguments of one pass as a request of the compiled part;
    with `flow` a hot pass of that law and the hot arguments `hot`.
    checked=False leaves out the pass's own bounds (_check_pass), so that
    the tests can hand the analysis the passes the calculator itself takes
    (zero sizes, no reduction, negative friction) and compare its faults."""
    from ._hot import HOT_ARGUMENTS, hot_values
    for name in hot:
        if name not in HOT_ARGUMENTS:
            raise TypeError(f"{name}: not an argument of a pass")
    law = hot_values(flow, hot, Y, curve, V, solver)
    if Y is not None and curve is not None:
        raise ValueError("Y: give Y or curve, not both")
    if Y is not None and yield_table is not None:
        raise ValueError("Y: give Y or yield_table, not both")
    if curve is not None and yield_table is not None:
        raise ValueError("curve: give curve or yield_table, not both")
    if U is not None and friction_table is not None:
        raise ValueError("U: give U or friction_table, not both")
    if Y is None and curve is None and yield_table is None and law is None:
        raise TypeError("Y: missing (the mean yield stress; or give curve or yield_table)")
    if U is None and friction_table is None:
        raise TypeError("U: missing (the friction coefficient; or give friction_table)")
    if not isinstance(solver, str) or solver not in SOLVERS:
        raise ValueError(f"solver: expected 'console' or 'converged', got {solver!r}")
    if steps is not True and steps is not False and not isinstance(steps, np.bool_):
        raise TypeError(f"steps: expected True or False, got {steps!r}")
    if eps != 0 or type(eps) is not float:
        eps = number("eps", eps)
        if single(eps) < 0:
            raise ValueError(f"eps: the strain the strip brings in cannot be negative, got {eps!r}")
    rolls = _rolls(E, NU, V)
    if solver == "converged":
        for name, value in (("curve", curve), ("yield_table", yield_table),
                            ("friction_table", friction_table), ("E", E), ("V", V)):
            if value is not None:
                raise ValueError(f"{name}: not available with solver='converged' (it takes a "
                                 f"constant yield stress and friction, no flattening or speed)")
    R, H1, H2 = number("R", R), number("H1", H1), number("H2", H2)
    Y = None if Y is None else number("Y", Y)
    U = None if U is None else number("U", U)
    friction_table = None if friction_table is None else table("friction_table", friction_table)
    if checked:
        _check_pass(R, H1, H2, Y, U, friction_table)
    made = _orowan.Request(
        R=R, H1=H1, H2=H2, Y=Y, SGB=number("SGB", SGB), SGF=number("SGF", SGF), U=U,
        yield_table=None if yield_table is None else table("yield_table", yield_table),
        friction_table=friction_table,
        curve=None if curve is None else flow_curve(curve), eps=eps, solver=solver,
        steps=bool(steps), **rolls)
    if law is not None:
        made.set_hot(law[0], law[1])
    return made


def _rolls(E, NU, V):
    """The rolls' modulus, Poisson's ratio and speed, checked."""
    if E is None and NU is not None:
        raise ValueError("NU: Poisson's ratio of the rolls needs E (their Young's modulus)")
    rolls = dict(E=None, NU=_orowan.DEFAULT_POISSON_RATIO, V=None)
    if E is not None:
        rolls["E"] = number("E", E)
        if not single(E) > 0:
            raise ValueError(f"E: Young's modulus of the rolls must be positive, got {E!r}")
    if NU is not None:
        rolls["NU"] = number("NU", NU)
        if not 0 <= single(NU) < 0.5:
            raise ValueError(f"NU: Poisson's ratio must be at least 0 and below 0.5, got {NU!r}")
    if V is not None:
        rolls["V"] = number("V", V)
        if single(V) < 0:
            raise ValueError(f"V: the roll speed cannot be negative, got {V!r}")
    return rolls


def kept_names(keep):
    """solve_many's keep: column names that are not a pass's arguments."""
    if isinstance(keep, str):
        keep = (keep,)
    try:
        names = tuple(keep)
    except TypeError:
        raise TypeError(f"keep: expected a sequence of column names, got {keep!r}") from None
    for name in names:
        if not isinstance(name, str) or not name:
            raise TypeError(f"keep: expected column names, got {name!r}")
        if name in ARGUMENT_NAMES or name in CURVE_COLUMNS:
            raise ValueError(f"keep: {name!r} is an argument of a pass, not a column to carry")
    if len(set(names)) != len(names):
        raise ValueError(f"keep: a name given twice in {list(names)}")
    return names


def jobs(value):
    """The thread count of solve_many: None for every core, else >= 1."""
    import os
    if value is None:
        return os.cpu_count() or 1
    if isinstance(value, (bool, np.bool_)) or not isinstance(value, numbers.Integral):
        raise TypeError(f"jobs: expected a whole number of threads or None, got {value!r}")
    if value < 1:
        raise ValueError(f"jobs: expected at least 1 thread, got {value}")
    return int(min(value, 1024))


def _missing(value):
    """An empty cell: None, or a NaN of a DataFrame."""
    return value is None or (isinstance(value, float) and math.isnan(value))


def rows(passes):
    """The passes of solve_many as mappings: a DataFrame's rows without
    their empty cells, or the mappings of an iterable."""
    if hasattr(passes, "to_dict") and hasattr(passes, "columns"):
        for column in passes.columns:
            if not isinstance(column, str):
                raise ValueError(f"passes: column names must be strings, got {column!r}")
        records = passes.to_dict("records")
        return [{k: v for k, v in record.items() if not _missing(v)} for record in records]
    if isinstance(passes, (str, bytes, Mapping)):
        raise TypeError("passes: expected an iterable of mappings (one per pass) or a DataFrame")
    out = []
    for i, row in enumerate(passes):
        if not isinstance(row, Mapping):
            raise TypeError(f"passes[{i}]: expected a mapping of solve()'s arguments, "
                            f"got {type(row).__name__}")
        out.append(row)
    return out


def _curve_of_columns(row):
    """The batch tool's CURVE, K, N, EPS0, S0 and EPS columns as curve and eps."""
    args = {k: v for k, v in row.items() if k not in CURVE_COLUMNS}
    columns = {k: row[k] for k in CURVE_COLUMNS if k in row and row[k] is not None}
    if "EPS" in columns:
        if "eps" in args:
            raise ValueError("EPS: give EPS or eps, not both")
        args["eps"] = columns.pop("EPS")
    if not columns:
        return args
    if "curve" in args:
        raise ValueError("CURVE: give the CURVE columns or curve, not both")
    kind = columns.get("CURVE")
    if not isinstance(kind, str) or kind.lower() not in ("swift", "ludwik"):
        raise ValueError(f"CURVE: expected 'swift' or 'ludwik' with its K, N and EPS0 or S0 "
                         f"columns, got {kind!r}")
    names = ("K", "N", "EPS0") if kind.lower() == "swift" else ("S0", "K", "N")
    for extra in set(columns) - {"CURVE", *names}:
        raise ValueError(f"{extra}: not a parameter of the {kind} curve ({', '.join(names)})")
    defaults = {"EPS0": 0.0}
    params = []
    for name in names:
        if name not in columns and name not in defaults:
            raise ValueError(f"{name}: missing for the {kind} curve")
        params.append(columns.get(name, defaults.get(name)))
    args["curve"] = (kind, *params)
    return args


def requests(passes, steps, checked=True):
    """The requests of solve_many's passes. A pass without H1 takes the H2
    of the pass before and, unless it gives eps, the strain that pass left
    (a strip through a schedule of passes, as the batch tool's lines)."""
    out, carries = [], []  # the requests, and which take the temperature the pass before left
    before = None  # (H2, strain out or None) of the pass before
    for i, row in enumerate(rows(passes)):
        try:
            unknown = [k for k in row if k not in ARGUMENT_NAMES and k not in CURVE_COLUMNS
                       and k not in HOT_COLUMNS]
            if unknown:
                raise ValueError(f"{unknown[0]!r}: not an argument of a pass (expected "
                                 f"{', '.join(ARGUMENT_NAMES + CURVE_COLUMNS)})")
            args = _curve_of_columns(row)
            if "FLOW" in args:
                if "flow" in args:
                    raise ValueError("FLOW: give FLOW or flow, not both")
                args["flow"] = args.pop("FLOW")
            carried = args.get("flow") is not None and args.get("T") is None and args.get("H1") is None
            if args.get("flow") is not None and args.get("T") is None and not (carried and before):
                raise TypeError("T: missing; a hot pass needs the strip's temperature")
            if args.get("H1") is None:
                if before is None:
                    raise ValueError("H1: missing, and no pass before to take its H2 from")
                args["H1"] = before[0]
                if args.get("eps") is None and before[1] is not None:
                    args["eps"] = before[1]
                elif args.get("eps") is None and args.get("curve") is not None:
                    raise ValueError("eps: missing, and the pass before left no strain to carry on")
            for name in ("R", "H2"):
                if args.get(name) is None:
                    raise TypeError(f"{name}: missing")
            if args.get("eps") is None:
                args.pop("eps", None)
            out.append(request(**args, steps=steps, checked=checked))
            carries.append(carried)
            before = (args["H2"], _strain_out(args["H1"], args["H2"], args.get("eps", 0.0)))
        except (TypeError, ValueError) as e:
            raise type(e)(f"passes[{i}]: {e}") from None
    return out, carries


def _strain_out(H1, H2, eps):
    """The strain a pass leaves the strip with, as a single value, or None
    where it has none (H2 above H1, no exit thickness)."""
    H1, H2, eps = single(H1), single(H2), single(eps)
    return _orowan.strain_out(H1, H2, eps) if H2 > 0 and H1 >= H2 and eps >= 0 else None
