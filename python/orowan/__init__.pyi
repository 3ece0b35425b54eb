# Type stub of the orowan package (kept in sync by tests/python/test_stub.py).
from collections.abc import Iterable, Mapping, Sequence
from typing import Any, Literal, Optional, Union

import os

import numpy as np
import numpy.typing as npt

__all__ = ["solve", "solve_many", "PassResult", "PassFault", "STEP_COLUMNS",
           "CONVERGED_STEP_COLUMNS", "MAX_TABLE_POINTS", "setup", "SetUp", "fit", "calibrate", "solve_frame",
           "Calibration"]

STEP_COLUMNS: tuple[str, ...]
CONVERGED_STEP_COLUMNS: tuple[str, ...]
__version__: str
MAX_TABLE_POINTS: int

Number = Union[float, int, np.floating, np.integer]
Table = tuple[Union[Sequence[Number], npt.ArrayLike], Union[Sequence[Number], npt.ArrayLike]]
Curve = Union[tuple[Literal["swift"], Number, Number, Number],
              tuple[Literal["ludwik"], Number, Number, Number]]
Steps = dict[str, npt.NDArray[Any]]

class PassFault(Exception):
    code: str
    message: str
    stage: Optional[str]
    side: Optional[str]
    step: Optional[int]
    index: Optional[int]
    def __init__(self, code: str, message: str, stage: Optional[str] = ...,
                 side: Optional[str] = ..., step: Optional[int] = ...,
                 index: Optional[int] = ...) -> None: ...
    @property
    def number(self) -> int: ...

class PassResult:
    status: str
    solver: str
    inputs: dict[str, Optional[float]]
    kept: dict[str, Any]
    reduction_ratio: float
    contact_length: float
    contact_angle: float
    neutral_position: float
    neutral_angle: float
    neutral_force: float
    neutral_pressure: float
    mean_roll_pressure: float
    rolling_force: float
    torque: float
    torque_arm: float
    neutral_step: Optional[int]
    grid_steps: Optional[int]
    strain_out: float
    curve_fit_error: float
    flattening: Optional[str]
    r_flat: float
    forward_slip: float
    backward_slip: float
    v_exit: float
    v_entry: float
    power: float
    eps_rate_mean: float
    t_entry: float
    t_exit: float
    t_rise: float
    t_drop_roll: float
    h1_hot: float
    h2_hot: float
    y_entry: float
    y_exit: float
    y_mean: float
    validity: Optional[str]
    @property
    def exit(self) -> Optional[Steps]: ...
    @property
    def entry(self) -> Optional[Steps]: ...
    @property
    def curve_table(self) -> Optional[tuple[npt.NDArray[np.float32], npt.NDArray[np.float32]]]: ...
    def summary(self) -> dict[str, Any]: ...
    def title(self) -> str: ...
    def to_frame(self, side: Optional[Literal["exit", "entry"]] = ...) -> Any: ...
    def plot(self, ax: Any = ...) -> Any: ...

def solve(R: Number, H1: Number, H2: Number, Y: Optional[Number] = ..., SGB: Number = ...,
          SGF: Number = ..., U: Optional[Number] = ..., *, curve: Optional[Curve] = ...,
          eps: Number = ..., yield_table: Optional[Table] = ...,
          friction_table: Optional[Table] = ...,
          solver: Literal["console", "converged"] = ..., E: Optional[Number] = ...,
          NU: Optional[Number] = ..., V: Optional[Number] = ...,
          flow: Optional[Literal["misaka", "shida", "hensel-spittel"]] = ...,
          C: Optional[Number] = ..., A: Optional[Number] = ..., M1: Optional[Number] = ..., M2:
          Optional[Number] = ..., M3: Optional[Number] = ..., M4: Optional[Number] = ..., M5:
          Optional[Number] = ..., M6: Optional[Number] = ..., M7: Optional[Number] = ..., M8:
          Optional[Number] = ..., M9: Optional[Number] = ..., EPS_MIN: Optional[Number] = ...,
          T: Optional[Number] = ..., TRANSFER: Optional[Number] = ..., EMISSIVITY:
          Optional[Number] = ..., H_CONV: Optional[Number] = ..., T_AMBIENT: Optional[Number] =
          ..., DESCALE: Optional[Number] = ..., H_WATER: Optional[Number] = ..., H_CONTACT:
          Optional[Number] = ..., T_ROLL: Optional[Number] = ..., ETA: Optional[Number] = ...,
          RHO: Optional[Number] = ..., CP: Optional[Number] = ..., ALPHA: Optional[Number] =
          ...) -> PassResult: ...

def solve_many(passes: Union[Iterable[Mapping[str, Any]], Any], jobs: Optional[int] = ..., *,
               errors: Literal["raise", "return"] = ...,
               steps: Optional[bool] = ...,
               keep: Union[str, Iterable[str]] = ...) -> list[Union[PassResult, PassFault]]: ...


class SetUp:
    lines: list[dict[str, Any]]
    problems: list[str]
    def to_frame(self) -> Any: ...

def setup(path_or_dict: Union[str, "os.PathLike[str]", Mapping[str, Any]], *, respect_limits: bool = ...,
          units: Optional[Literal["report", "si"]] = ...) -> SetUp: ...


# Fits and calibrations (orowan._calibration); frames are pandas DataFrames.
class Calibration:
    summary: dict[str, Any]
    parameters: Any
    residuals: Any
    refused: dict[Any, str]
    def __init__(self, summary: dict[str, Any], residuals: Any, refused: dict[Any, str]) -> None: ...

def solve_frame(frame: Any, *, units: Literal["kgf", "si"] = ..., jobs: Optional[int] = ...) -> Any: ...
def fit(frame: Any, target: Literal["U", "Y", "U,Y", "Y,U", "H2"] = ..., *, units: Literal["kgf", "si"] = ...,
        jobs: Optional[int] = ...) -> Any: ...
def calibrate(frame: Any, friction: str = ..., flow_factor: str = ..., *,
              loss: Optional[Literal["huber", "cauchy"]] = ..., loss_scale: float = ...,
              units: Literal["kgf", "si"] = ..., jobs: Optional[int] = ..., max_iterations: int = ...) -> Calibration: ...
