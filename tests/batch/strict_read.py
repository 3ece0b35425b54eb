"""Readers that take the tools' result files as a user's program would,
and refuse what a careless one would let through: CSV by Python's csv
module (every record the header's width), JSON by a strict parser (no
NaN or Infinity, no key twice, UTF-8 only), and the cell types the
guides state (a number is the shortest text of its single or double
value; an integer is digits; a word is one of its set).

Shared by the read-back tests of tests/batch, tests/setup and
tests/calibrate.
"""
import csv
import io
import json
import math
import re
import struct
import subprocess

def run_tool(program, args, cwd=None, timeout=300):
    """A built tool's run: its status, standard output as bytes, standard
    error as text."""
    done = subprocess.run([program, *args], capture_output=True, timeout=timeout, cwd=cwd)
    return done.returncode, done.stdout, done.stderr.decode("utf-8", "replace")


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


NUMBER = re.compile(r"-?(0|[1-9][0-9]*)(\.[0-9]+)?(e[+-][0-9]+)?")
INTEGER = re.compile(r"-?(0|[1-9][0-9]*)")


class Refused(AssertionError):
    pass


def _no_constant(name):
    raise Refused(f"JSON holds {name}, which JSON has not")


def _no_repeated_key(pairs):
    keys = [k for k, _ in pairs]
    repeated = sorted({k for k in keys if keys.count(k) > 1})
    if repeated:
        raise Refused(f"JSON object names {', '.join(repeated)} twice")
    return dict(pairs)


class Number(float):
    """A JSON number that keeps the text it was written as."""

    def __new__(cls, text):
        number = super().__new__(cls, text)
        number.text = text
        return number


def json_value(data):
    """bytes -> the value; strict UTF-8, strict strings, no constants, no
    repeated key; every number a Number (its text kept)."""
    text = data.decode("utf-8")  # strict: a byte that is not UTF-8 raises
    return json.loads(text, parse_constant=_no_constant, object_pairs_hook=_no_repeated_key,
                      parse_float=Number, parse_int=Number)


def json_lines(data):
    """JSON lines: one strict object a line."""
    text = data.decode("utf-8")
    if text and not text.endswith("\n"):
        raise Refused("the last JSON line has no line end")
    return [json_value(line.encode()) for line in text.split("\n")[:-1]]


def csv_records(data, blank_lines=False):
    """bytes -> (header, rows as dicts, the physical line each row starts on).

    Every record must be as wide as the header (a blank line is skipped
    with blank_lines, as the tool reads its input); the file ends with a
    line end."""
    text = data.decode("utf-8")
    if text and not text.endswith("\n"):
        raise Refused("the CSV does not end with a line end")
    reader = csv.reader(io.StringIO(text, newline=""), strict=True)
    header = next(reader)
    if len(set(header)) != len(header):
        raise Refused(f"the CSV header names a column twice: {header}")
    rows, starts, end = [], [], reader.line_num
    for record in reader:
        start, end = end + 1, reader.line_num
        if not record and blank_lines:
            continue
        if len(record) != len(header):
            raise Refused(f"record on line {start} has {len(record)} fields, the header {len(header)}")
        rows.append(dict(zip(header, record)))
        starts.append(start)
    return header, rows, starts


def single(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def _shortest_digits(value, read_back):
    """The fewest significant digits (and the decimal exponent e, value =
    0.DIGITS x 10^e) that read back to `value` through `read_back`,
    the nearest such when there are several."""
    for count in range(1, 18):
        candidate = f"{abs(value):.{count - 1}e}"
        if read_back(float(candidate)) == abs(value):
            mantissa, _, exponent = candidate.partition("e")
            return mantissa.replace(".", "").rstrip("0"), int(exponent) + 1
    raise ValueError(value)


def to_chars_text(value, read_back):
    """What std::to_chars(value) writes: the shortest digits, in fixed or
    scientific notation, whichever is shorter (fixed on a tie)."""
    sign = "-" if math.copysign(1.0, value) < 0 else ""
    if value == 0:
        return sign + "0"
    digits, point = _shortest_digits(value, read_back)
    if point <= 0:
        fixed = "0." + "0" * -point + digits
    elif point >= len(digits):
        fixed = digits + "0" * (point - len(digits))
    else:
        fixed = digits[:point] + "." + digits[point:]
    exponent = point - 1
    scientific = digits[0] + ("." + digits[1:] if len(digits) > 1 else "") + \
        f"e{'-' if exponent < 0 else '+'}{abs(exponent):02d}"
    return sign + (fixed if len(fixed) <= len(scientific) else scientific)


def is_shortest_single(text):
    """A number text that std::to_chars writes for a finite single value."""
    if not NUMBER.fullmatch(text):
        return False
    stored = single(float(text))
    return math.isfinite(stored) and text == to_chars_text(stored, single)


def is_shortest_double(text):
    if not NUMBER.fullmatch(text):
        return False
    value = float(text)
    return math.isfinite(value) and text == to_chars_text(value, float)


def is_integer(text):
    return bool(INTEGER.fullmatch(text))


def cell_problem(kind, text, empty_allowed=True):
    """'' or why `text` is not a cell of `kind`: 'single', 'double',
    'integer', 'step' (a single, or inf, -inf, nan), a set of words, or
    'text' (anything)."""
    if text == "":
        return "" if empty_allowed else "empty"
    if kind == "single" and not is_shortest_single(text):
        return f"{text!r} is not the shortest text of a single value"
    if kind == "double" and not is_shortest_double(text):
        return f"{text!r} is not the shortest text of a double"
    if kind == "integer" and not is_integer(text):
        return f"{text!r} is not an integer"
    if kind == "step" and text not in ("inf", "-inf", "nan") and not is_shortest_single(text):
        return f"{text!r} is not a step value"
    if isinstance(kind, (set, frozenset)) and text not in kind:
        return f"{text!r} is none of {sorted(kind)}"
    if hasattr(kind, "fullmatch") and not kind.fullmatch(text):
        return f"{text!r} does not match {kind.pattern}"
    return ""


def json_problem(kind, value):
    """The same for a JSON value: numbers are numbers (steps' inf and nan
    the strings the guide names), integers int, words and texts str, null
    for a value that does not exist."""
    if value is None:
        return ""
    if kind == "step" and value in ("inf", "-inf", "nan"):
        return ""
    if kind in ("single", "double", "step", "integer"):
        if not isinstance(value, Number):
            return f"{value!r} is not a number"
        return cell_problem("single" if kind == "step" else kind, value.text, empty_allowed=False)
    if not isinstance(value, str):
        return f"{value!r} is not a text"
    return cell_problem(kind, value) if kind != "text" else ""
