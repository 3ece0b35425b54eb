"""A hot pass's arguments (the batch tool's hot columns), checked, and the
temperature a schedule's pass takes from the pass before."""
from ._arguments import number, single

# The hot laws, and each hot argument with its check: (lower bound, upper
# bound, bound open) or None for any finite number.
FLOW_LAWS = ("misaka", "shida", "hensel-spittel")
_COEFFICIENTS = tuple(f"M{k}" for k in range(1, 10))
HOT_ARGUMENTS = ("C", "A") + _COEFFICIENTS + (
    "EPS_MIN", "T", "TRANSFER", "EMISSIVITY", "H_CONV", "T_AMBIENT", "DESCALE", "H_WATER",
    "H_CONTACT", "T_ROLL", "ETA", "RHO", "CP", "ALPHA")
_ABSOLUTE_ZERO = -273.15
_BOUNDS = {
    "C": (0.0, 1.5, "must be within 0 and 1.5 (mass %, carbon steels)"),
    "A": (0.0, None, "must be above 0"), "EPS_MIN": (0.0, None, "must be above 0"),
    "RHO": (0.0, None, "must be above 0"), "CP": (0.0, None, "must be above 0"),
    "T": (_ABSOLUTE_ZERO, None, "must not be below absolute zero (-273.15 degC)"),
    "T_AMBIENT": (_ABSOLUTE_ZERO, None, "must not be below absolute zero (-273.15 degC)"),
    "T_ROLL": (_ABSOLUTE_ZERO, None, "must not be below absolute zero (-273.15 degC)"),
    "TRANSFER": (0.0, None, "a time must not be negative"),
    "DESCALE": (0.0, None, "a time must not be negative"),
    "H_CONV": (0.0, None, "must not be negative"), "H_WATER": (0.0, None, "must not be negative"),
    "H_CONTACT": (0.0, None, "must not be negative"), "ALPHA": (0.0, None, "must not be negative"),
    "EMISSIVITY": (0.0, 1.0, "must be within 0 and 1"), "ETA": (0.0, 1.0, "must be within 0 and 1"),
}
_ABOVE = ("A", "EPS_MIN", "RHO", "CP")  # the lower bound itself is refused


def _checked(name, value):
    """One hot argument as a number within its bounds."""
    x = number(name, value)
    low, high, says = _BOUNDS.get(name, (None, None, ""))
    v = single(x)
    bad = (low is not None and (v <= low if name in _ABOVE else v < low)) or \
        (high is not None and v > high)
    if bad:
        raise ValueError(f"{name}: {says}, got {value!r}")
    return x


def hot_values(flow, hot, Y, curve, V, solver):
    """The checked hot arguments of a pass of law `flow` as the compiled
    part takes them, or None without a law. A law excludes Y and curve,
    needs V, T (unless a schedule gives it: T may be None here) and its
    own parameters: C for misaka and shida, A (kgf/mm^2) and M1 ... M9 (0 when
    absent) for hensel-spittel."""
    if flow is None:
        for name in hot:
            raise ValueError(f"{name}: a hot pass's argument, but flow is not given")
        return None
    if not isinstance(flow, str) or flow.lower() not in FLOW_LAWS:
        raise ValueError(f"flow: expected one of {', '.join(FLOW_LAWS)}, got {flow!r}")
    flow = flow.lower()
    if Y is not None or curve is not None:
        raise ValueError(f"flow: give Y, curve or flow, not two of them")
    if solver != "console":
        raise ValueError("flow: not available with solver='converged'")
    if V is None:
        raise TypeError("V: missing; a hot pass needs the roll speed")
    own = ("A",) + _COEFFICIENTS if flow == "hensel-spittel" else ("C",)
    for name in own[:1]:
        if hot.get(name) is None:
            raise TypeError(f"{name}: missing for the {flow} law")
    for name, value in hot.items():
        if name in ("C", "A") + _COEFFICIENTS and name not in own and value is not None:
            raise ValueError(f"{name}: not a parameter of the {flow} law ({', '.join(own)})")
    return flow, {k: _checked(k, v) for k, v in hot.items() if v is not None}
