"""Fits of passes and calibrations of laws over a frame of passes, through
the batch tool's own readers, pipeline and calibration library.

A frame goes to the compiled part as the CSV text of its columns (floats as
their shortest round-trip text, empty cells for NaN), so its columns mean
what they mean to orowan-batch and orowan-calibrate: R, H1, H2, Y, SGB,
SGF, U, CURVE, K, N, EPS0, S0, EPS, E, NU, V, FORCE_MEASURED,
FORWARD_SLIP_MEASURED, and any column a law names.
"""
import io
import json

from . import _arguments
from . import _orowan

LOSSES = (None, "huber", "cauchy")


def frame_text(frame):
    """The frame as CSV text: a header of its columns, a line a row."""
    import pandas as pd
    if not isinstance(frame, pd.DataFrame):
        raise TypeError(f"expected a pandas DataFrame, got {type(frame).__name__}")
    return frame.to_csv(index=False, lineterminator="\n", float_format=repr)


def _results_frame(text, frame):
    """The batch tool's result text as a frame indexed like `frame`."""
    import pandas as pd
    out = pd.read_csv(io.StringIO(text), keep_default_na=False, na_values=[""])
    out.index = frame.index[out["line"].to_numpy() - 2]
    return out.drop(columns="line")


def solve_frame(frame, *, units="kgf", jobs=None):
    """Every row of `frame` solved as orowan-batch solves a line: a frame of
    its result columns (status, message, ROLLING_FORCE, FORWARD_SLIP, ...),
    indexed like `frame`."""
    text = _orowan._batch_run(frame_text(frame), "", units, _arguments.jobs(jobs))
    return _results_frame(text, frame)


def fit(frame, target="U", *, units="kgf", jobs=None):
    """Each row of `frame` fitted to its measured columns, as orowan-batch
    --fit TARGET does: target "U" (the friction for FORCE_MEASURED), "Y"
    (a factor on the flow stress), "U,Y" (both, from FORCE_MEASURED and
    FORWARD_SLIP_MEASURED) or "H2" (the exit thickness for the force).

    Returns a frame indexed like `frame` with the batch tool's columns for
    the fitted pass and U_FIT, Y_FACTOR, H2_FIT, FIT_RESIDUAL,
    FIT_SLIP_RESIDUAL, FIT_SOLVES, FIT_END. A row whose target no input
    reaches has status "out of reach" and the reachable range in its
    message; a row without its measurements has status "error".
    """
    if target not in ("U", "Y", "U,Y", "Y,U", "H2"):
        raise ValueError(f"target: expected 'U', 'Y', 'U,Y' or 'H2', got {target!r}")
    text = _orowan._batch_run(frame_text(frame), target, units, _arguments.jobs(jobs))
    return _results_frame(text, frame)


class Calibration:
    """A calibration's outcome.

    parameters  frame indexed by parameter name (U0, U_<COL>, U[<value>],
                Y_FACTOR, Y_FACTOR[<value>]) with columns value and stderr
    residuals   frame indexed like the rows used: FORCE_MEASURED,
                FORCE_COMPUTED, FORCE_ERROR, FORWARD_SLIP_MEASURED,
                FORWARD_SLIP_COMPUTED, FORWARD_SLIP_ERROR, U, Y_FACTOR
    summary     the orowan-calibrate JSON summary as a dict
    refused     {index: why} of the rows not used
    """

    def __init__(self, summary, residuals, refused):
        import pandas as pd
        self.summary = summary
        self.parameters = pd.DataFrame(
            [(name, p["value"], p["stderr"]) for name, p in summary["parameters"].items()],
            columns=["parameter", "value", "stderr"]).set_index("parameter")
        self.residuals = residuals
        self.refused = refused

    def __repr__(self):
        return f"Calibration(\n{self.parameters!r}\n)"


def _check(friction, flow_factor, loss):
    if not isinstance(friction, str) or not isinstance(flow_factor, str):
        raise TypeError("friction and flow_factor: expected texts such as 'linear:V' and 'by:GRADE'")
    if loss not in LOSSES:
        raise ValueError(f"loss: expected None, 'huber' or 'cauchy', got {loss!r}")


def calibrate(frame, friction="const", flow_factor="none", *, loss=None, loss_scale=0.02, units="kgf",
              jobs=None, max_iterations=100):
    """The laws fitted to a frame of measured passes, as orowan-calibrate
    fits them (Levenberg-Marquardt on the relative misses of force and, where
    measured, forward slip).

    friction     "const", "linear:COL[,COL...]" or "by:COL"
    flow_factor  "none", "const" or "by:COL"
    loss         None, "huber" or "cauchy" (misses beyond loss_scale count less)

    Returns a Calibration; rows that cannot be used are in .refused with why.
    """
    import pandas as pd
    _check(friction, flow_factor, loss)
    summary, residuals = _orowan._calibrate(frame_text(frame), friction, flow_factor, loss or "none",
                                            float(loss_scale), _arguments.jobs(jobs), int(max_iterations), units)
    summary = json.loads(summary)
    table = pd.read_csv(io.StringIO(residuals))
    table.index = frame.index[table.pop("line").to_numpy() - 2]
    refused = {frame.index[r["line"] - 2]: r["why"] for r in summary["lines_refused"]}
    return Calibration(summary, table, refused)
