"""The results of a pass: PassResult (values, step arrays, frames, plots)
and PassFault (a fault of the analysis)."""
import math

import numpy as np

# The report's stress-table columns, in its order (PHI, the angle in
# radians, besides), as the console solver keeps them for every step.
STEP_COLUMNS = ("X", "PHI", "O", "SL/ST", "F", "P", "P/K", "SGX", "SGX/K", "TAU", "H", "U",
                "RK", "A", "W")
# What the converged solver keeps of its nodes.
CONVERGED_STEP_COLUMNS = ("X", "PHI", "O", "SL/ST", "F", "P")

# The summary values, in the order of the report's summary block.
SUMMARY_FIELDS = ("reduction_ratio", "contact_length", "contact_angle", "neutral_position",
                  "neutral_angle", "neutral_force", "neutral_pressure", "mean_roll_pressure",
                  "rolling_force", "torque", "torque_arm")
# Beside them, in the order the compiled part hands them over.
_VALUE_FIELDS = SUMMARY_FIELDS + (
    "neutral_step", "grid_steps", "strain_out", "curve_fit_error", "flattening", "r_flat",
    "forward_slip", "backward_slip", "v_exit", "v_entry", "power")
_OPTIONAL_FIELDS = ("strain_out", "curve_fit_error", "flattening", "r_flat", "forward_slip",
                    "backward_slip", "v_exit", "v_entry", "power")
_INPUT_NAMES = ("R", "H1", "H2", "Y", "SGB", "SGF", "U")
# A hot pass's values (NaN, validity None, for a pass that is not hot).
_HOT_FIELDS = ("eps_rate_mean", "t_entry", "t_exit", "t_rise", "t_drop_roll", "h1_hot", "h2_hot",
               "y_entry", "y_exit", "y_mean", "validity")


class PassFault(Exception):
    """A fault of the analysis that ends the pass, as the console reports it.

    code     the console's M number as text, e.g. "M6103"
    message  the report's message, e.g. "floating-point error: divide by zero"
    stage    where: "input" (the yield stress's 1.15 factor), "geometry",
             "march", "load" or "summary"; None for the converged solver
    side     "exit" or "entry" for a march, else None
    step     the march step (1 to 500) for a march, else None
    index    the pass's position in solve_many's passes, else None
    """

    def __init__(self, code, message, stage=None, side=None, step=None, index=None):
        super().__init__(code, message, stage, side, step, index)
        self.code, self.message, self.stage = code, message, stage
        self.side, self.step, self.index = side, step, index

    @property
    def number(self):
        """The M number as an int: 6101, 6103, 6104 or 6201."""
        return int(self.code[1:])

    def __str__(self):
        where = [w for w in (self.stage, self.side and f"{self.side} side",
                             self.step and f"step {self.step}") if w]
        text = f"{self.code} {self.message}" + (f" ({', '.join(where)})" if where else "")
        return text if self.index is None else f"passes[{self.index}]: {text}"

    def __reduce__(self):
        return (PassFault, (self.code, self.message, self.stage, self.side, self.step, self.index))


class PassResult:
    """One pass solved: the summary of the report, and every step of both
    marches.

    status              "ok", "no neutral point" (the neutral values and the
                        loads are NaN), or "not converged" (converged solver:
                        the values of its finest grid)
    solver              "console" or "converged"
    kept                the columns solve_many's keep carried (coil, pass, ...),
                        unchanged; also in summary() and to_frame()
    inputs              R, H1, H2, Y, SGB, SGF, U as the analysis took them
                        (single-precision values; Y or U None when a table or
                        curve gave them)
    reduction_ratio     (H1 - H2) / H1
    contact_length      XL, mm
    contact_angle       OM, degrees
    neutral_position    XN, mm from the exit plane
    neutral_angle       ON, degrees
    neutral_force       F at the neutral point, kgf/mm
    neutral_pressure    P at the neutral point, kgf/mm^2
    mean_roll_pressure  PM, kgf/mm^2
    rolling_force       t/m (kgf/mm)
    torque              both rolls, t m/m
    torque_arm          mm
    neutral_step        the exit-side step of the neutral point (console solver)
    grid_steps          steps a side of the converged solver's grid
    exit, entry         {column label: numpy array, one value per step} of each
                        march, or None (solve_many with steps=False)
    strain_out          the strain the strip leaves with, eps + (2/sqrt 3)
                        ln(H1/H2) as a single value (the next pass's eps)
    curve_table         (positions, values) of the yield table built from a
                        flow curve (at r_flat when flattened), else None;
                        curve_fit_error its worst relative midpoint error
    r_flat, flattening  the flattened roll radius (mm) and how its search
                        ended ("settled", "below minimum gauge", "not settled",
                        "no neutral point", "fault"), with E given
    forward_slip, backward_slip  at the neutral point (console solver)
    v_exit, v_entry, power       strip speeds (m/min) and the power of both
                        rolls (kW/m), with V given

    With the console solver every value is the analysis's single-precision
    value (as a float; the arrays float32, SL/ST int32); with the converged
    solver they are double precision. Values that do not exist are NaN.
    """

    __slots__ = ("status", "solver", "inputs", "kept") + _VALUE_FIELDS + _HOT_FIELDS + (
        "_answer", "_steps", "_curve_table")

    def __init__(self, answer, kept=None):
        """From an answer of the compiled part (made by solve, solve_many);
        `kept`: the columns solve_many's keep carries."""
        put = object.__setattr__  # a result is read-only once made
        put(self, "kept", _ReadOnlyDict(kept or {}))
        put(self, "status", answer.status)
        put(self, "solver", answer.solver)
        put(self, "inputs", _ReadOnlyDict(zip(_INPUT_NAMES, answer.inputs())))
        for name, value in zip(_VALUE_FIELDS, answer.values()):
            put(self, name, value)
        for name, value in zip(_HOT_FIELDS, answer.hot_values()):
            put(self, name, value)
        put(self, "_answer", answer)
        put(self, "_steps", {})
        put(self, "_curve_table", False)

    def __setattr__(self, name, value):
        raise AttributeError(f"PassResult is read-only: cannot set {name}")

    def __delattr__(self, name):
        raise AttributeError(f"PassResult is read-only: cannot delete {name}")

    def __reduce__(self):
        """Pickled as its values and arrays (the compiled answer stays behind),
        so that results cross process boundaries (ProcessPoolExecutor)."""
        state = {name: getattr(self, name) for name in ("status", "solver") + _VALUE_FIELDS + _HOT_FIELDS}
        state["inputs"] = dict(self.inputs)
        state["kept"] = dict(self.kept)
        state["steps"] = {side: self._side(side) for side in ("exit", "entry")}
        state["curve_table"] = self.curve_table
        return (_restored_result, (state,))

    def _side(self, side):
        if side not in self._steps and self._answer is not None:
            steps = self._answer.steps(side)
            for array in (steps or {}).values():
                array.flags.writeable = False
            self._steps[side] = steps
        return self._steps[side]

    @property
    def exit(self):
        """The exit-side march (from the exit plane): {label: array}."""
        return self._side("exit")

    @property
    def entry(self):
        """The entry-side march (from the entry plane): {label: array}."""
        return self._side("entry")

    @property
    def curve_table(self):
        """(positions, values) of the yield table built from the flow curve."""
        if self._curve_table is False:
            object.__setattr__(self, "_curve_table", self._answer.curve_table())
        return self._curve_table

    def summary(self):
        """The status and the summary values as a dict (one row of a sweep's
        DataFrame); the flattening, mill and curve values too where given."""
        out = {"status": self.status}
        out.update((name, getattr(self, name)) for name in SUMMARY_FIELDS)
        for name in _OPTIONAL_FIELDS:
            value = getattr(self, name)
            if value is not None and not (isinstance(value, float) and math.isnan(value)):
                out[name] = value
        # the inputs the analysis took, after the values (a row of a sweep
        # names its pass); those a table or curve gave instead are left out
        out.update((name, value) for name, value in self.inputs.items() if value is not None)
        out.update(self.kept)  # solve_many's keep, as given
        return out

    def _plot_felt(self, ax, exit_, entry, xn):
        """Each march's part the strip feels, bold and ending at the neutral
        point; the rest faint; sticking bands on the felt parts only."""
        pn = self.neutral_pressure
        for steps, felt, colour, light, dash, name in (
                (exit_, exit_["X"] <= xn, "#0072B2", "#9ac4e2", "-", "exit march, exit plane to XN"),
                (entry, entry["X"] >= xn, "#D55E00", "#eeb28c", "--", "entry march, XN to entry plane")):
            ax.plot(steps["X"], steps["P"], color=light, linewidth=1.2, linestyle=dash,
                    label=name.split(",")[0] + " past XN (not felt)")
            ax.plot(np.append(steps["X"][felt], xn), np.append(steps["P"][felt], pn), color=colour,
                    linewidth=2.6, linestyle=dash, label=name)
            if "SL/ST" in steps and np.any(felt & (steps["SL/ST"] == 2)):
                band = np.where(felt & (steps["SL/ST"] == 2), steps["P"], np.nan)  # gaps where it slips
                ax.plot(steps["X"], band, color=colour, alpha=0.3, linewidth=9, solid_capstyle="butt",
                        label=f"strip sticks ({name.split(',')[0]})")

    def title(self):
        """The inputs as a line, as the batch tool titles the pass's picture:
        "R 100 mm, H1 2 → H2 1.5 mm, Y 20 kgf/mm², ..."; "No neutral point:
        " before them for a pass without one."""
        units = {"R": "mm", "H2": "mm", "Y": "kgf/mm²", "SGB": "kgf/mm²", "SGF": "kgf/mm²"}
        pieces = []
        for name, value in self.inputs.items():
            if value is None:
                continue
            text = f"{name} {_shortest(value)}" + (f" {units[name]}" if name in units else "")
            if name == "H2" and pieces and pieces[-1].startswith("H1 "):
                pieces[-1] += " → " + text
            else:
                pieces.append(text)
        text = ", ".join(pieces)
        return "No neutral point: " + text if self.status == "no neutral point" else text

    def to_frame(self, side=None):
        """The steps as a pandas DataFrame: columns side ("exit" or
        "entry"), step (from 1) and the step columns; one march with
        side="exit" or side="entry". Needs pandas."""
        pd = _import("pandas", "PassResult.to_frame", "python3-pandas")
        sides = ("exit", "entry") if side is None else (side,)
        frames = []
        for s in sides:
            if s not in ("exit", "entry"):
                raise ValueError(f"side: expected 'exit', 'entry' or None, got {s!r}")
            steps = self._side(s)
            if steps is None:
                raise ValueError("to_frame: this result keeps no steps (solve_many with steps=False)")
            n = len(steps["X"])
            columns = {name: [value] * n for name, value in self.kept.items()}  # solve_many's keep first
            columns.update({"side": [s] * n, "step": np.arange(1, n + 1, dtype=np.int32)})
            frame = pd.DataFrame(columns)
            frames.append(frame.join(pd.DataFrame(steps)))
        return pd.concat(frames, ignore_index=True)

    def plot(self, ax=None):
        """The friction hill: the roll pressure P the strip feels (the exit
        march from the exit plane to the neutral point, the entry march from
        there to the entry plane) in bold, each march past the neutral point
        thin and light, sticking shaded where the strip feels it, the neutral
        point and the yield stress RK, on `ax` (a new figure's axes when
        None), titled as the batch tool's picture. Returns the axes. Needs
        matplotlib."""
        if ax is None:
            plt = _import("matplotlib.pyplot", "PassResult.plot", "python3-matplotlib")
            ax = plt.figure().add_subplot()
        exit_, entry = self.exit, self.entry
        if exit_ is None:
            raise ValueError("plot: this result keeps no steps (solve_many with steps=False)")
        xn = self.neutral_position
        if math.isnan(xn):
            ax.plot(exit_["X"], exit_["P"], color="#0072B2", label="P, exit march")
            ax.plot(entry["X"], entry["P"], color="#D55E00", linestyle="--", label="P, entry march")
        else:
            self._plot_felt(ax, exit_, entry, xn)
        if "RK" in exit_:
            ax.plot(exit_["X"], exit_["RK"], linestyle="--", color="grey", label="RK")
        elif self.inputs["Y"] is not None:
            rk = 1.15 * self.inputs["Y"]
            ax.plot([0.0, self.contact_length], [rk, rk], linestyle="--", color="grey", label="RK")
        if not math.isnan(self.neutral_position):
            ax.scatter([self.neutral_position], [self.neutral_pressure], color="black", zorder=3,
                       label=f"neutral point, X = {self.neutral_position:.3g} mm")
        ax.set_title(self.title(), fontsize="small")
        ax.set_xlabel("X, mm from the exit plane")
        ax.set_ylabel("P, kgf/mm²")
        ax.legend(fontsize="small")
        return ax

    def __repr__(self):
        shown = _float32_text if self.solver == "console" else repr
        values = ", ".join(f"{name}={shown(getattr(self, name))}"
                           for name in ("rolling_force", "torque", "torque_arm",
                                        "neutral_position", "mean_roll_pressure"))
        return f"PassResult(status={self.status!r}, {values})"


class _ReadOnlyDict(dict):
    """A result's inputs: a dict that cannot be changed in place."""

    def _read_only(self, *args, **kwargs):
        raise TypeError("PassResult.inputs is read-only")

    __setitem__ = __delitem__ = update = pop = popitem = clear = setdefault = _read_only

    def __reduce__(self):
        return (_ReadOnlyDict, (dict(self),))


def _restored_result(state):
    """A PassResult from its pickled state (PassResult.__reduce__)."""
    result = PassResult.__new__(PassResult)
    put = object.__setattr__
    for name in ("status", "solver") + _VALUE_FIELDS + _HOT_FIELDS:
        put(result, name, state[name])
    put(result, "inputs", _ReadOnlyDict(state["inputs"]))
    put(result, "kept", _ReadOnlyDict(state["kept"]))
    put(result, "_answer", None)
    put(result, "_steps", state["steps"])
    put(result, "_curve_table", state["curve_table"])
    for steps in state["steps"].values():
        for array in (steps or {}).values():
            array.flags.writeable = False
    return result


def _shortest(x):
    """The shortest text that reads back to the single value x ("100", "1.5")."""
    return np.format_float_positional(np.float32(x), unique=True, trim="-")


def _float32_text(x):
    """The shortest text of a single-precision value."""
    return str(np.float32(x))


def _import(module, user, package):
    """An optional module, or an ImportError that says what to install."""
    import importlib
    try:
        return importlib.import_module(module)
    except ImportError as e:
        raise ImportError(f"{user} needs {module.split('.')[0]} (Debian: {package})") from e
