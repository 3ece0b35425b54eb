"""The texts of orowan-batch's pictures and page, read as a user reads them.

Every label of a friction hill, of the sweep charts and of the page is
parsed back (xml.etree for the SVG files, html.parser for the page) and
compared with the text derived from the same run's JSON result and the
unit system: each number as the picture rounds it (two decimals, more
for small values) or as the result file writes it, each unit that of the
column in kgf or SI units. Nothing is taken from the pictures themselves
but the texts under test.
"""
import math
import os
import tempfile
import xml.etree.ElementTree as ET
from html.parser import HTMLParser

import pytest
from fontTools.ttLib import TTFont

from batch_tool import json_array, run

SVG = "{http://www.w3.org/2000/svg}"

# The unit of every column these passes give, by kind, and each kind's
# name in the two systems (as the guide and the page spell them).
UNIT_NAMES = {
    "kgf": {"stress": "kgf/mm²", "force": "kgf/mm", "load": "t/m", "torque": "t·m/m"},
    "si": {"stress": "MPa", "force": "kN/m", "load": "kN/m", "torque": "kN·m/m"},
}
FIXED_UNITS = {"none": "", "length": "mm", "degrees": "°", "speed": "m/min", "power": "kW/m",
               "celsius": "°C", "kelvin": "K", "seconds": "s", "rate": "1/s"}
COLUMN_KINDS = {
    "R": "length", "H1": "length", "H2": "length", "Y": "stress", "SGB": "stress", "SGF": "stress",
    "U": "none", "REDUCTION_RATIO": "none", "XL": "length", "OM": "degrees", "XN": "length",
    "ON": "degrees", "NEUTRAL_F": "force", "NEUTRAL_P": "stress", "PM": "stress",
    "ROLLING_FORCE": "load", "G": "torque", "TORQUE_ARM": "length", "CURVE": "none", "K": "stress",
    "N": "none", "EPS0": "none", "S0": "stress", "EPS": "none", "E": "stress", "NU": "none",
    "V": "speed", "EPS_IN": "none", "EPS_OUT": "none", "Y_ENTRY": "stress", "Y_EXIT": "stress",
    "Y_MEAN": "stress", "R_FLAT": "length", "R_FLAT_ITERATIONS": "none", "R_FLAT_RESIDUAL": "none",
    "FORWARD_SLIP": "none", "BACKWARD_SLIP": "none", "V_EXIT": "speed", "V_ENTRY": "speed",
    "POWER": "power", "FLOW": "none", "C": "none", "T": "celsius", "TRANSFER": "seconds",
    "EPS_RATE_MEAN": "rate", "T_ENTRY": "celsius", "T_EXIT": "celsius", "T_RISE": "kelvin",
    "T_DROP_ROLL": "kelvin", "H1_HOT": "length", "H2_HOT": "length",
}
TYPED = ["R", "H1", "H2", "Y", "SGB", "SGF", "U", "CURVE", "K", "N", "EPS0", "S0", "EPS", "E", "NU", "V",
         "FLOW", "C", "T", "TRANSFER"]
STRESS_TYPED = {"Y", "SGB", "SGF", "K", "S0", "E"}


def unit(column, units):
    kind = COLUMN_KINDS[column]
    return UNIT_NAMES[units].get(kind, FIXED_UNITS.get(kind))


def label_number(value):
    """A number as a picture's label rounds it: two decimals, more below 0.1."""
    magnitude = abs(value)
    assert value == 0 or 1e-4 <= magnitude < 1e7, "beyond the passes of this test"
    decimals = 2 if value == 0 or magnitude >= 0.1 else 2 - math.floor(math.log10(magnitude))
    return ("%.*f" % (decimals, value)).replace("-", "−")


def si_typed(text):
    return format(float(text) * 9.80665, ".6g")


# The passes, typed in kgf/mm² (converted for SI): plain with a front
# tension, flattened with a roll speed, a flow curve on the second pass of
# a schedule, sticking friction, no neutral point, and a hot pass.
PASSES = {
    "plain": [{"R": "100", "H1": "2", "H2": "1.5", "Y": "20", "SGF": "2", "U": "0.1"}],
    "flattened": [{"R": "250", "H1": "1", "H2": "0.8", "Y": "60", "U": "0.08", "E": "21000", "V": "600"}],
    "curve": [{"R": "200", "H1": "2", "H2": "1.5", "CURVE": "swift", "K": "55", "N": "0.22", "EPS0": "0.012", "U": "0.08"},
              {"R": "200", "H2": "1.15", "CURVE": "swift", "K": "55", "N": "0.22", "EPS0": "0.012", "U": "0.08"}],
    "sticking": [{"R": "100", "H1": "2", "H2": "1.4", "Y": "20", "U": "0.3"}],
    "no-neutral-point": [{"R": "100", "H1": "2", "H2": "1.5", "Y": "20", "SGF": "25", "U": "0.05"}],
    "hot": [{"R": "550", "H1": "40", "H2": "28", "U": "0.3", "V": "60", "EPS": "0", "FLOW": "misaka",
             "C": "0.08", "T": "1150", "TRANSFER": "10"}],
}


def typed_lines(lines, units):
    if units == "kgf":
        return lines
    return [{k: si_typed(v) if k in STRESS_TYPED else v for k, v in line.items()} for line in lines]


def json_numbers_as_text(text):
    import json
    return json.loads(text, parse_float=str, parse_int=str)


class Run:
    """One run with --json, --steps, --svg and --html; the results with every number as its text."""

    def __init__(self, lines, units, options=()):
        self.units = units
        self.scratch = tempfile.TemporaryDirectory()
        self.svg = os.path.join(self.scratch.name, "svg")
        self.page = os.path.join(self.scratch.name, "page.html")
        args = ["--json", "--steps", "--svg", self.svg, "--html", self.page, "--html-steps", "none"]
        args += (["--units", "si"] if units == "si" else []) + list(options)
        status, out, err = run(args, json_array(lines), directory=self.scratch.name)
        assert status == 0, err
        self.rows = json_numbers_as_text(out)

    def picture(self, name):
        return ET.parse(os.path.join(self.svg, name)).getroot()

    def files(self):
        return sorted(os.listdir(self.svg))


def with_unit(name, text, column, units):
    shown = unit(column, units)
    return f"{name} {text} {shown}" if shown else f"{name} {text}"


def inputs_text(row, units, leave_out=()):
    """The title's inputs: the typed columns with a value, H1 → H2 as one change, then the curve."""
    pieces = []
    for name in ["R", "H1", "H2", "Y", "SGB", "SGF", "U"]:
        if row[name] is None or name in leave_out:
            continue
        if name == "H1" and "H2" not in leave_out:
            pieces.append(f"H1 {row['H1']} → " + with_unit("H2", row["H2"], "H2", units))
        elif not (name == "H2" and "H1" not in leave_out and row["H1"] is not None):
            pieces.append(with_unit(name, row[name], name, units))
    text = ", ".join(pieces)
    if row["CURVE"] is not None:
        text += ", " + row["CURVE"]
        for name in ["K", "N", "EPS0", "S0", "EPS"]:
            if row[name] is not None and name not in leave_out:
                text += (" " if name == "K" else ", ") + with_unit(name, row[name], name, units)
    return text


def texts(element, cls):
    return ["".join(e.itertext()).strip() for e in element.iter() if cls in (e.get("class") or "").split(" ")
            and e.tag == SVG + "text"]


def wrapped(element, cls):
    """A title or subtitle, which the picture breaks into lines at spaces."""
    return " ".join(texts(element, cls))


FONTS = "/usr/share/fonts/truetype/dejavu/"
_fonts = {}


def rendered_width(text, size, bold):
    """The text's width in DejaVu Sans (the pictures' first font), from the font's own advances."""
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    if name not in _fonts:
        font = TTFont(FONTS + name)
        _fonts[name] = (font.getBestCmap(), font["hmtx"], font["head"].unitsPerEm)
    cmap, metrics, em = _fonts[name]
    return sum(metrics[cmap[ord(c)]][0] for c in text) / em * size


def expect_titles_inside(svg):
    """Every title and subtitle line, centred, fits the picture's width."""
    width = float(svg.get("width"))
    for e in svg.iter(SVG + "text"):
        if e.get("class") in ("title", "subtitle"):
            size = float(e.get("font-size") or svg.get("font-size"))
            assert rendered_width(e.text, size, e.get("font-weight") == "bold") <= width - 20, e.text


def tspans_or_line(element):
    lines = [t.text for t in element.iter(SVG + "tspan")]
    return lines or [element.text]


def legend(panel):
    """(classes, text) of each legend entry, in order."""
    return [(g.get("class").replace("legend-entry", "").strip(), "".join(g.itertext()).strip())
            for g in panel.iter(SVG + "g") if (g.get("class") or "").startswith("legend-entry")]


def felt_sticking(row):
    XN = float(row["XN"])
    exit_, entry = row["steps"]["exit"], row["steps"]["entry"]
    return any(s == "2" and float(x) <= XN for x, s in zip(exit_["X"], exit_["SL/ST"])) or \
        any(s == "2" and float(x) >= XN for x, s in zip(entry["X"], entry["SL/ST"]))


def subtitle_of(row, units, sweep=None):
    text = f"line {row['line']}"
    if sweep is not None:
        text += sweep(row)
    if row["R_FLAT"] is not None:
        text += f"; roll radius R {row['R']} mm, drawn over the flattened arc, R′ {row['R_FLAT']} mm"
    if row["FLOW"] is not None:
        text += "; T_ENTRY %.1f → T_EXIT %.1f °C, EPS_RATE_MEAN %.3g /s (RK: %s along the arc)" % (
            float(row["T_ENTRY"]), float(row["T_EXIT"]), float(row["EPS_RATE_MEAN"]), row["FLOW"])
    return text


def check_hill(svg, row, units, sweep=None):
    ok = row["status"] == "ok"
    title = inputs_text(row, units) if ok else "No neutral point: " + inputs_text(row, units)
    assert wrapped(svg, "title") == title
    assert svg.find(SVG + "title").text == title
    assert wrapped(svg, "subtitle") == subtitle_of(row, units, sweep)
    expect_titles_inside(svg)
    planes = texts(svg, "plane")
    entry_plane = f"entry plane, XL {label_number(float(row['XL']))} mm"
    assert planes in (["exit plane", entry_plane], [f"exit plane, {entry_plane}"])
    panels = {p.get("class").split(" ")[1]: p for p in svg.iter(SVG + "g") if (p.get("class") or "").startswith("panel ")}
    stress, force = UNIT_NAMES[units]["stress"], UNIT_NAMES[units]["force"]
    assert texts(svg, "axis-title") == [f"P ({stress})", "X from the exit plane (mm)", f"F ({force}), compression positive"]
    marches = [("strip exit", "exit march, exit plane to XN"), ("strip entry", "entry march, XN to entry plane"),
               ("exit", "exit march past XN (not felt)"), ("entry", "entry march past XN (not felt)")]
    if not ok:
        marches = [("exit", "exit march"), ("entry", "entry march")]
    pressure = marches + [("rk", "RK yield stress")]
    if ok and felt_sticking(row):
        pressure.append(("stick", "strip sticks (SL/ST 2)"))
    if ok:
        pressure.append(("neutral-point", "neutral point"))
    assert legend(panels["pressure"]) == pressure
    assert legend(panels["force"]) == marches
    labels = {name: [tspans_or_line(e) for e in panel.iter(SVG + "text") if e.get("class") == "neutral-label"]
              for name, panel in panels.items()}
    if not ok:
        assert labels == {"pressure": [], "force": []}
        return
    xn = f"XN {label_number(float(row['XN']))} mm"
    for name, value, shown in (("pressure", f"P {label_number(float(row['NEUTRAL_P']))}", stress),
                               ("force", f"F {label_number(float(row['NEUTRAL_F']))}", force)):
        expected = [xn, f"{value} {shown}"]
        assert labels[name] in ([expected], [[", ".join(expected)]]), name


@pytest.mark.parametrize("units", ["kgf", "si"])
@pytest.mark.parametrize("name", list(PASSES))
def test_friction_hill_texts(name, units):
    run_ = Run(typed_lines(PASSES[name], units), units)
    pictures = run_.files()
    assert len(pictures) == len(run_.rows)
    for row, picture in zip(run_.rows, pictures):
        assert picture == f"line{int(row['line']):04d}.svg"
        check_hill(run_.picture(picture), row, units)
    check_page(run_, units)


# ---- the page

class Page(HTMLParser):
    """Headings and the rows of every table, as texts."""

    def __init__(self):
        super().__init__()
        self.items, self.row, self.cell, self.heading, self.inside_svg = [], None, None, None, 0

    def handle_starttag(self, tag, attrs):
        if tag == "svg":
            self.inside_svg += 1
        elif tag == "tr":
            self.row = []
        elif tag in ("td", "th"):
            self.cell = ""
        elif tag in ("h2", "caption"):
            self.heading = ""

    def handle_endtag(self, tag):
        if tag == "svg":
            self.inside_svg -= 1
        elif tag in ("td", "th") and self.cell is not None:
            self.row.append(self.cell.strip())
            self.cell = None
        elif tag == "tr":
            self.items.append(("row", self.row))
        elif tag in ("h2", "caption") and self.heading is not None:
            self.items.append((tag, self.heading.strip()))
            self.heading = None

    def handle_data(self, data):
        if self.inside_svg:
            return
        if self.cell is not None:
            self.cell += data
        if self.heading is not None:
            self.heading += data


def tables(page):
    """{(section heading, caption): [rows]}."""
    out, section, caption = {}, None, None
    for kind, value in page.items:
        if kind == "h2":
            section, caption = value, None
        elif kind == "caption":
            caption = value
        else:
            out.setdefault((section, caption), []).append(value)
    return out


def check_page(run_, units, heading=lambda row: f"Line {row['line']}", varied=()):
    page = Page()
    with open(run_.page, encoding="utf-8") as f:
        page.feed(f.read())
    found = tables(page)
    run_inputs = found[(None, "Inputs")]
    assert run_inputs[2] == ["units", "kgf: kgf/mm², kgf/mm, t/m, t·m/m" if units == "kgf" else "SI: MPa, kN/m, kN·m/m", ""]
    assert run_inputs[3:] == list(varied)
    index = found[("Passes", None)]
    assert index[0] == ["pass", "status"] + [f"{c} ({m}, {unit(c, units)})" for c, m in (
        ("ROLLING_FORCE", "rolling force"), ("G", "rolling torque, both rolls"), ("TORQUE_ARM", "torque arm"),
        ("XN", "neutral point from the exit plane"))]
    for row, cells in zip(run_.rows, index[1:]):
        assert cells == [heading(row), row["status"]] + [row[c] or "" for c in ("ROLLING_FORCE", "G", "TORQUE_ARM", "XN")]
    for row in run_.rows:
        section = heading(row)
        inputs = found[(section, "Inputs")]
        expected = [(c, row[c], unit(c, units)) for c in TYPED if row[c] is not None]
        assert [(r[0].split(" (")[0], r[1], r[2]) for r in inputs] == expected, section
        results = found[(section, "Results")]
        assert results[0] == ["status", row["status"], ""]
        shown = {c for c in COLUMN_KINDS if c not in TYPED}
        expected = [(c, v, unit(c, units)) for c, v in row.items() if c in shown and v is not None]
        assert [(r[0].split(" (")[0], r[1], r[2]) for r in results[1:]] == expected, section


# ---- the sweep charts

QUANTITIES = [("ROLLING_FORCE", "Rolling force", "load"), ("G", "Rolling torque", "torque"),
              ("PM", "Mean roll pressure", "stress"), ("ON", "Neutral angle", "degrees"),
              ("XN", "Neutral point", "length"), ("TORQUE_ARM", "Torque arm", "length")]


@pytest.mark.parametrize("units", ["kgf", "si"])
def test_sweep_chart_texts(units):
    sgb = ("0", "5", "10") if units == "kgf" else ("0", "49", "98")
    line = typed_lines([{"R": "100", "H1": "2", "H2": "1.5", "Y": "20", "SGF": "1", "U": "0.1"}], units)
    run_ = Run(line, units, ["--vary", "U=0.05:0.15:0.05", "--vary", f"SGB={sgb[0]}:{sgb[2]}:{sgb[1]}"])
    rows = run_.rows
    stress = UNIT_NAMES[units]["stress"]
    gaps = sum(1 for r in rows if r["status"] != "ok")
    assert 0 < gaps < len(rows)  # some passes lose their neutral point under back tension
    fixed = inputs_text(rows[0], units, leave_out={"U", "SGB"})
    assert fixed == f"R 100 mm, H1 2 → H2 1.5 mm, Y {rows[0]['Y']} {stress}, SGF {rows[0]['SGF']} {stress}"
    for column, title, kind in QUANTITIES:
        chart = run_.picture(f"line0001-sweep-{column}.svg")
        assert wrapped(chart, "title") == f"{title} against U, one curve per SGB"
        assert wrapped(chart, "subtitle") == f"line 1: {fixed}; {gaps} of {len(rows)} passes without a value"
        expect_titles_inside(chart)
        y_unit = UNIT_NAMES[units].get(kind, FIXED_UNITS.get(kind))
        assert texts(chart, "axis-title") == ["friction coefficient U", f"{title[0].lower() + title[1:]} ({y_unit})"]
        assert legend(chart) == [(f"s{i}", f"SGB {v} {stress}") for i, v in enumerate(sgb)]
    # each case's hill says which case it is, with the varied values as typed
    def case_text(row):
        return f", case {row['case']} of {len(rows)}: U {row['U']}, SGB {row['SGB']}"
    hills = [f for f in run_.files() if "-case" in f]
    computed = [r for r in rows if r["status"] in ("ok", "no neutral point")]
    assert len(hills) == len(computed)
    for row, picture in zip(computed, hills):
        assert picture == f"line0001-case{int(row['case']):0{len(str(len(rows)))}d}-U{row['U']}-SGB{row['SGB']}.svg"
        check_hill(run_.picture(picture), row, units, case_text)
    check_page(run_, units, lambda row: f"Line {row['line']}{case_text(row)}",
               [["varied U", "0.05 to 0.15, 3 values", ""], ["varied SGB", f"{sgb[0]} to {sgb[2]}, 3 values", stress]])
