"""A mill's set-up for each coil, as orowan-setup computes it.

    >>> s = orowan.setup("mill.toml")              # or a dict of the same keys
    >>> s.lines[0]["ROLLING_FORCE"], s.problems
    >>> s.to_frame()                               # one row a pass (pandas)

The values are orowan-setup's own: each number is the single-precision
value that orowan-setup --json prints (the shortest text of it, read back
to that single value and widened exactly), so s.lines equals the tool's
output line for line.
"""
import json
import math
import os
import struct

from . import _orowan

__all__ = ["setup", "SetUp"]

# The columns that count (whole numbers); every other number is a value.
_COUNTS = ("stand", "pass", "SOLVES")


def _single(value):
    """The float32 a printed number stands for, widened exactly."""
    return struct.unpack("f", struct.pack("f", value))[0]


def _toml_value(value, where):
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, float):
        if not math.isfinite(value):
            raise ValueError(f"{where}: {value!r} is not a number the mill file can hold")
        return repr(value)
    if isinstance(value, str):
        return json.dumps(value)  # a TOML basic string has JSON's escapes
    if isinstance(value, (list, tuple)):
        return "[" + ", ".join(_toml_value(v, where) for v in value) + "]"
    if isinstance(value, dict):
        return "{ " + ", ".join(f"{_key(k)} = {_toml_value(v, f'{where}.{k}')}" for k, v in value.items()) + " }"
    raise TypeError(f"{where}: expected a number, string, list or dict, got {type(value).__name__}")


def _key(key):
    if not isinstance(key, str):
        raise TypeError(f"key {key!r}: expected a string")
    return key if key.replace("_", "").isalnum() and key.isascii() else json.dumps(key)


def _toml_text(mill):
    """The dict as mill-file text: top-level values, [mill], then one
    [[stand]] and one [[coil]] table a list entry (each key on its own
    line, so that messages name the key's line of this text)."""
    lines = []
    tables = []
    for key, value in mill.items():
        if key in ("stand", "coil"):
            if not isinstance(value, (list, tuple)):
                raise TypeError(f"{key}: expected a list of dicts")
            for entry in value:
                if not isinstance(entry, dict):
                    raise TypeError(f"{key}: expected a list of dicts")
                tables.append((f"[[{key}]]", entry))
        elif isinstance(value, dict):
            tables.insert(0, (f"[{_key(key)}]", value))
        else:
            lines.append(f"{_key(key)} = {_toml_value(value, key)}")
    for header, entry in tables:
        lines.append(header)
        lines += [f"{_key(k)} = {_toml_value(v, k)}" for k, v in entry.items()]
    return "\n".join(lines) + "\n"


class SetUp:
    """The set-up of every coil: `lines` (one dict a pass, the columns of
    orowan-setup; None where the tool leaves a cell empty) and `problems`
    (one text a coil that could not be read or set up)."""

    def __init__(self, lines, problems):
        self.lines = lines
        self.problems = problems

    def __repr__(self):
        return f"<orowan.SetUp: {len(self.lines)} lines, {len(self.problems)} problems>"

    def to_frame(self):
        """The lines as a pandas DataFrame, one row a pass. Needs pandas."""
        try:
            import pandas as pd
        except ImportError as e:
            raise ImportError("SetUp.to_frame needs pandas (Debian: python3-pandas)") from e
        return pd.DataFrame(self.lines)


def setup(path_or_dict, *, respect_limits=False, units=None):
    """Sets up every coil of a mill: `path_or_dict` is a mill file's path
    or a dict of the same keys (see docs/setup.md). `units` "report" or
    "si" for the values (default: the file's). A problem of the file
    itself raises ValueError; a coil's problem is in SetUp.problems and
    the coil's line says it, the other coils are set up."""
    if isinstance(path_or_dict, dict):
        text, name = _toml_text(path_or_dict), "<dict>"
    else:
        name = os.fspath(path_or_dict)
        with open(name, "rb") as f:
            text = f.read().decode("utf-8")
    raw, problems = _orowan._setup(text, name, bool(respect_limits), units or "")
    lines = []
    for line in raw.decode("utf-8").splitlines():
        row = json.loads(line)
        for key, value in row.items():
            if isinstance(value, (int, float)) and not isinstance(value, bool) and key not in _COUNTS:
                row[key] = _single(float(value))
        lines.append(row)
    return SetUp(lines, list(problems))
