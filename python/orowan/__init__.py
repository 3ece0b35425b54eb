"""Flat strip rolling by Orowan's theory: the calculator's analysis as
Python calls.

    >>> import orowan
    >>> r = orowan.solve(R=100, H1=2, H2=1.5, Y=20, SGB=0, SGF=0, U=0.1)
    >>> r.rolling_force          # t/m; the calculator prints 185.49
    185.4864044189453

solve() solves one pass, solve_many() many on all cores. Units are the
calculator's: mm, degrees, kgf/mm^2, kgf/mm (= t/m), t m/m.

Every number goes in as the calculator reads a typed value: rounded to the
nearest single-precision value (the calculator reads the text to the
nearest double and rounds that; a Python float is that double), so
solve(U=0.1) is the pass typed with 0.1. Values beyond the single range,
NaN, infinities and denormal doubles are refused (ValueError), as the
calculator's reader refuses their texts.
"""
from . import _arguments
from . import _orowan
from ._arguments import MAX_TABLE_POINTS
from ._hot import HOT_ARGUMENTS as _HOT_ARGUMENTS
from ._calibration import Calibration, calibrate, fit, solve_frame
from . import dask  # orowan.dask: imports dask itself only when called
from ._results import CONVERGED_STEP_COLUMNS, STEP_COLUMNS, PassFault, PassResult
from .setup import SetUp, setup

__version__ = _orowan.VERSION

# Shown as orowan.PassResult and orowan.PassFault (help, tracebacks, repr).
PassResult.__module__ = PassFault.__module__ = __name__

__all__ = ["solve", "solve_many", "PassResult", "PassFault", "STEP_COLUMNS",
           "CONVERGED_STEP_COLUMNS", "MAX_TABLE_POINTS", "setup", "SetUp", "fit", "calibrate", "solve_frame",
           "Calibration"]


def solve(R, H1, H2, Y=None, SGB=0.0, SGF=0.0, U=None, *, curve=None, eps=0.0,
          yield_table=None, friction_table=None, solver="console", E=None, NU=None, V=None,
          flow=None, C=None, A=None, M1=None, M2=None, M3=None, M4=None, M5=None,
          M6=None, M7=None, M8=None, M9=None, EPS_MIN=None, T=None, TRANSFER=None,
          EMISSIVITY=None, H_CONV=None, T_AMBIENT=None, DESCALE=None, H_WATER=None,
          H_CONTACT=None, T_ROLL=None, ETA=None, RHO=None, CP=None, ALPHA=None):
    """Solves one pass; returns a PassResult or raises PassFault.

    R        roll radius, mm
    H1, H2   strip thickness before and after the pass, mm
    Y        mean yield stress as typed, kgf/mm^2 (the analysis uses its
             yield stress RK = 1.15 Y, in single precision)
    SGB, SGF back and front tension, kgf/mm^2
    U        friction coefficient
    curve    instead of Y, the strip's flow curve (flow stress in kgf/mm^2
             against equivalent strain): ('swift', K, N, EPS0) for
             K (EPS0 + e)^N, or ('ludwik', S0, K, N) for S0 + K e^N; K above
             0, the others not negative. The yield stress along the arc
             follows the strain the strip has there, through a table of at
             most 50 points built to within 0.1 % of 1.15 x the curve (anew
             at every radius when flattening); a curve no such table can
             follow is refused (ValueError).
    eps      the equivalent strain the strip brings into the pass (0:
             annealed); result.strain_out is the strain it leaves with
    yield_table     instead of Y: (positions, values), positions in mm from
             the exit plane (the first at 0), strictly ascending, 1 to 50
             points; values are the analysis's yield stress RK itself
             (already 1.15 x the flow stress), interpolated linearly, the
             last one held beyond the last position (a table of 50 points
             must itself reach past the entry plane)
    friction_table  instead of U: (positions, values) likewise, the
             friction coefficient as typed
    solver   "console": the calculator's own analysis, every value its
             single-precision value; "converged": the same equations solved
             to convergence in double precision (constant Y and U only; the
             same single-precision inputs, widened; steps X, PHI, O, SL/ST,
             F, P of its finest grid)
    E, NU    Young's modulus (kgf/mm^2) and Poisson's ratio (default 0.3) of
             the rolls: the pass is solved at the flattened radius
             (Hitchcock), result.r_flat (console solver)
    V        roll surface speed, m/min: result.v_exit, v_entry and power
    flow     instead of Y: a hot pass with the flow-stress law 'misaka' or
             'shida' (with C, the carbon content in mass %) or
             'hensel-spittel' (with A in kgf/mm^2 and M1 ... M9, 0 when absent),
             at the strip's temperature T (deg C, entering the transfer)
             and the pass's mean strain rate (needs V). The other hot
             arguments are the batch tool's columns of the same names:
             EPS_MIN, TRANSFER, EMISSIVITY, H_CONV, T_AMBIENT, DESCALE,
             H_WATER, H_CONTACT, T_ROLL, ETA, RHO, CP, ALPHA (docs/hot-rolling.md
             gives their units and defaults). result.eps_rate_mean,
             t_entry, t_exit, t_rise, t_drop_roll, h1_hot, h2_hot, y_entry,
             y_exit, y_mean and validity (None, or the published limits the
             pass breaks) tell the hot pass.

    Raises PassFault for a fault of the analysis (the calculator's M
    number), ValueError or TypeError for an argument it cannot take.
    """
    hot = {name: value for name, value in locals().items() if name in _HOT_ARGUMENTS and value is not None}
    if flow is not None and T is None:
        raise TypeError("T: missing; a hot pass needs the strip's temperature")
    request = _arguments.request(R, H1, H2, Y, SGB, SGF, U, curve=curve, eps=eps,
                                 yield_table=yield_table, friction_table=friction_table,
                                 solver=solver, E=E, NU=NU, V=V, flow=flow, **hot)
    return _result(_orowan.solve(request), None)


def _solve_schedule(requests, carries):
    """The passes one after another, a hot pass without T (and H1) taking
    the temperature the pass before left (its t_exit)."""
    answers = []
    for i, request in enumerate(requests):
        if carries[i]:
            left = answers[-1].hot_values()[2]
            if left != left:  # NaN: the pass before was no hot pass, or was not worked out
                raise ValueError(f"passes[{i}]: T: missing, and the pass before left no "
                                 f"temperature to carry on")
            request.set_temperature(left)
        answers.append(_orowan.solve(request))
    return answers


def solve_many(passes, jobs=None, *, errors="raise", steps=None, keep=()):
    """Solves many passes on `jobs` threads (None: every core) with the GIL
    released; returns their results in the order of `passes`.

    passes   an iterable of mappings of solve()'s arguments (R, H1, H2, Y,
             SGB, SGF, U, curve, eps, yield_table, friction_table, solver,
             E, NU, V), or a pandas DataFrame with such columns (an empty
             cell is an argument not given). The batch tool's curve columns
             CURVE ("swift" or "ludwik"), K, N, EPS0 (default 0), S0 and EPS
             may stand for curve and eps. A pass without H1 takes the H2 of
             the pass before and, unless it gives eps, the strain that pass
             left (its strain_out), as a strip through a schedule; a hot
             pass (FLOW or flow) without H1 and T also the temperature it
             left (its t_exit); such a schedule is solved pass after pass.
    errors   "raise": a fault of the analysis raises the PassFault of the
             first faulting pass (its .index says which) once every pass is
             solved; "return": the PassFault stands in that pass's place.
    steps    False keeps no step arrays (exit and entry are None): a pass's
             steps take some 48 KB, a sweep's summaries a few hundred bytes.
             None (the default): steps for a single pass, none for more, so
             that a large sweep fits in memory; True keeps them for every pass.
    keep     names of columns (or keys) of `passes` that are not arguments,
             such as a coil or pass number: each result carries them unchanged
             in result.kept, its summary() and its to_frame(); any other
             unknown column is refused.

    A bad argument of any pass raises ValueError or TypeError naming the
    pass (passes[i]) before anything is solved; a curve whose table cannot
    follow it, or a table of 50 points that ends inside the arc, is found
    while solving and raised afterwards. Ctrl-C stops
    the threads within a tenth of a second and raises KeyboardInterrupt.
    """
    if errors not in ("raise", "return"):
        raise ValueError(f"errors: expected 'raise' or 'return', got {errors!r}")
    if steps is not None and not isinstance(steps, bool):
        raise TypeError(f"steps: expected True, False or None, got {steps!r}")
    threads = _arguments.jobs(jobs)
    keep = _arguments.kept_names(keep)
    passes = _arguments.rows(passes)
    kept = [{name: row.get(name) for name in keep} for row in passes]
    passes = [{k: v for k, v in row.items() if k not in keep} for row in passes] if keep else passes
    requests, carries = _arguments.requests(passes, len(passes) <= 1 if steps is None else steps)
    answers = _solve_schedule(requests, carries) if any(carries) else \
        _orowan.solve_many(requests, threads)
    for i, answer in enumerate(answers):
        if answer.status == "refused":
            raise ValueError(f"passes[{i}]: {answer.refusal}")
        if answer.status in ("out of memory", "not solved"):
            raise MemoryError(f"passes[{i}]: {answer.status} (keep fewer steps: steps=False)")
    results = [_result(answer, i, raise_fault=False, kept=kept[i]) for i, answer in enumerate(answers)]
    if errors == "raise":
        for result in results:
            if isinstance(result, PassFault):
                raise result
    return results


def _result(answer, index, raise_fault=True, kept=None):
    """A PassResult, or the PassFault (raised, or returned)."""
    if answer.status == "refused":
        raise ValueError(answer.refusal)
    if answer.status == "fault":
        fault = PassFault(*answer.fault(), index=index)
        if raise_fault:
            raise fault
        return fault
    return PassResult(answer, kept)
