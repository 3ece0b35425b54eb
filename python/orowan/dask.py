"""Plant logs larger than one machine: passes solved and laws calibrated
over a Dask DataFrame (Debian python3-dask, python3-distributed).

Every partition is solved on the workers through the module; a calibration
keeps the partitions where they are and reduces each Levenberg-Marquardt
evaluation across them: each partition gives the sums JᵀWJ and JᵀWr of its
lines (W the robust loss's weights) and its cost, the client adds them and
Ceres (in the module) takes the step. Only p×p numbers per partition
travel, never the log.

    from dask.distributed import Client, LocalCluster
    client = Client(LocalCluster(n_workers=2, processes=False))
    ddf = dask.dataframe.read_csv("log-*.csv")
    result = orowan.dask.calibrate(ddf, friction="linear:V", flow_factor="by:GRADE")
"""

import numpy as np

from . import _calibration
from . import _orowan


def solve(ddf, *, units="kgf"):
    """Every row solved as orowan-batch solves a line, partition by
    partition on the workers: a Dask DataFrame of the result columns."""
    def part(frame):  # a closure: this dask's scheduler cannot call a functools.partial
        return _calibration.solve_frame(frame, units=units, jobs=1)

    meta = part(ddf.head(1)).iloc[:0]
    return ddf.map_partitions(part, meta=meta)


def _groups(ddf, law):
    import dask
    """The sorted values of a by:COL law's column over the whole frame."""
    if not law.startswith("by:"):
        return []
    column = law[3:]
    # Each partition's own values, gathered (this dask's Series.unique
    # fails on a distributed scheduler).
    parts = [dask.delayed(lambda p: set(p[column].dropna().astype(str)))(p) for p in ddf.to_delayed()]
    return sorted(set().union(*dask.compute(*parts)))


def _part_text(part):
    return _calibration.frame_text(part)


def _normal(text, model, parameters, derivatives):
    JtJ, Jtr, cost, residuals, failed, refused = _orowan._normal_equations(
        text, model["friction"], model["flow_factor"], model["friction_groups"], model["factor_groups"],
        list(parameters), model["loss"], model["loss_scale"], 1, model["units"], derivatives)
    return np.asarray(JtJ), np.asarray(Jtr), cost, residuals, failed, len(refused)


def _add(parts):
    JtJ = sum(p[0] for p in parts)
    Jtr = sum(p[1] for p in parts)
    return (JtJ, Jtr, sum(p[2] for p in parts), sum(p[3] for p in parts), sum(p[4] for p in parts),
            sum(p[5] for p in parts))


def calibrate(ddf, friction="const", flow_factor="none", *, loss=None, loss_scale=0.02, units="kgf",
              max_iterations=100):
    """The laws of orowan.calibrate fitted over a Dask DataFrame.

    The minimisation is orowan-calibrate's own (Ceres's Levenberg-Marquardt
    over the sums JᵀWJ, JᵀWr and the cost), each of its evaluations one
    reduction of the partitions' sums on the workers; so the steps, the
    optimum and the standard errors, sqrt(diag((JᵀWJ)⁻¹) · 2·cost/(n − p)),
    are those of the single-machine call (to the order of the sums).

    Returns a dict: parameters {name: {"value", "stderr"}}, iterations,
    converged, termination, cost, residuals (misses counted),
    lines_refused (a count).
    """
    import dask
    _calibration._check(friction, flow_factor, loss)
    model = {"friction": friction, "flow_factor": flow_factor, "friction_groups": _groups(ddf, friction),
            "factor_groups": _groups(ddf, flow_factor), "loss": loss or "none", "loss_scale": float(loss_scale),
            "units": units}
    names, start = _orowan._calibration_parameters(friction, flow_factor, model["friction_groups"], model["factor_groups"])
    texts = dask.persist(*[dask.delayed(_part_text)(p) for p in ddf.to_delayed()])

    def reduced(p, derivatives=True):
        parts = [dask.delayed(_normal)(t, model, list(p), derivatives) for t in texts]
        return dask.delayed(_add)(parts).compute()

    def sums(p, derivatives):
        JtJ, Jtr, cost, n, failed, _ = reduced(p, derivatives)
        return list(np.ravel(JtJ)), list(Jtr), float(cost), int(n), int(failed)

    values, iterations, converged, termination = _orowan._minimise(sums, list(start), names, int(max_iterations))
    JtJ, _, cost, n, failed, refused = reduced(values)
    stderr = _orowan._standard_errors(list(np.ravel(JtJ)), float(cost), int(n), len(names))
    return {"parameters": {name: {"value": float(v), "stderr": float(s)} for name, v, s in zip(names, values, stderr)},
            "iterations": iterations, "converged": converged, "termination": termination, "cost": float(cost),
            "residuals": int(n), "lines_failed": int(failed), "lines_refused": int(refused)}
