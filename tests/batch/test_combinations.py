"""orowan-batch's optional inputs two at a time (and the triples whose
interaction shows only with three), through the built tool.

Each feature has a check of what it does (its signature), written to hold
whatever else the line carries: the flow curve's stresses over the arc the
pass was solved on (R_FLAT when flattened, in the line's units), the
friction table at every step's X (past the rigid arc when flattened), the
flattened radius by Hitchcock's equation from the reported force (in kgf,
whatever the units) and as the rigid pass at R_FLAT, the speeds and power
from the roll's own radius, SI as the kgf pass with the inputs divided and
the outputs multiplied once, a schedule and a sweep as the same line typed
by hand. Every pair runs the signatures of both its features on one run;
a refused pair gets its message checked.
"""
import copy
import itertools
import math
from decimal import Decimal

import pytest

from batch_tool import (CONVERTED_RESULTS, CONVERTED_STEPS, NEWTONS_PER_KGF, STRESS_INPUTS, f32,
                        results, text32, to_analysis, to_si)

FEATURES = ["curve", "table", "flat", "speed", "si", "converged", "schedule", "sweep", "hot"]

# A cold pass where flattening matters (the batch guide's), and a hot
# roughing pass (the hot-rolling guide's), in kgf/mm².
COLD = {"R": 250, "H1": 1, "H2": 0.8, "Y": 60, "U": 0.08}
HOT = {"R": 550, "H1": 40, "H2": 28, "U": 0.3, "V": 60, "EPS": 0, "FLOW": "misaka", "C": 0.08,
       "T": 1150, "TRANSFER": 10, "ALPHA": 1.2e-5}  # typed cold: solved 1.3 % thicker
SWIFT = {"CURVE": "swift", "K": 80, "N": 0.2, "EPS0": 0.02}
# Friction tables that change along the whole flattened arc (XL 11 and 82
# mm flattened, 7.1 and 81 rigid).
COLD_TABLE = {"X": [0, 4, 8, 12], "U": [0.1, 0.08, 0.06, 0.05]}
HOT_TABLE = {"X": [0, 30, 60, 90], "U": [0.36, 0.3, 0.26, 0.24]}
ROLLS = {"E": 21000, "NU": 0.28}
SWEEP = ("SGB", "0", "1", "0.5")  # kgf/mm²; in SI ten times (MPa)
HOT_SWEEP = ("V", "40", "80", "20")  # changes the exit temperature a schedule carries

REFUSED = {
    frozenset({"converged", "curve"}): "column CURVE: not with --solver converged",
    frozenset({"converged", "table"}): "column U: not with --solver converged",
    frozenset({"converged", "flat"}): "column E: not with --solver converged",
    frozenset({"converged", "speed"}): "column V: not with --solver converged",
    frozenset({"converged", "hot"}): "column FLOW: not with --solver converged",
    frozenset({"curve", "hot"}): "columns CURVE and FLOW: give a flow curve or a hot law, not both",
}


def si_text(value):
    """A kgf/mm² value typed in MPa (any text will do: the checks read it back)."""
    return format(Decimal(str(value)) * Decimal("9.80665"), "f")[:9].rstrip(".")


class Case:
    """The lines and options of one combination of features."""

    def __init__(self, features):
        self.features = frozenset(features)
        self.hot = "hot" in self.features
        self.si = "si" in self.features
        self.converged = "converged" in self.features
        line = dict(HOT if self.hot else COLD)
        if "curve" in self.features:
            line.pop("Y", None)
            line.update(SWIFT)
        if "table" in self.features:
            line["U"] = copy.deepcopy(HOT_TABLE if self.hot else COLD_TABLE)
        if "flat" in self.features:
            line.update(ROLLS)
        if "speed" in self.features:
            line.setdefault("V", 600)
        if self.si:
            for name in STRESS_INPUTS & line.keys():
                line[name] = si_text(line[name])
        self.lines = [line]
        if "schedule" in self.features:  # a pass before: the line above enters at its exit
            before = dict(line, H1=52, H2=40) if self.hot else dict(line, H1=1.25, H2=1)
            del line["H1"]
            if self.hot:
                del line["T"]
            self.lines = [before, line]
        self.options = []
        self.vary = None
        if "sweep" in self.features:
            name, start, stop, step = HOT_SWEEP if self.hot else SWEEP
            if self.si and name in STRESS_INPUTS:
                start, stop, step = (str(Decimal(v) * 10) for v in (start, stop, step))
            self.vary = (name, start, stop, step)
            self.options += ["--vary", f"{name}={start}:{stop}:{step}"]
        if self.si:
            self.options += ["--units", "si"]
        if self.converged:
            self.options += ["--solver", "converged"]

    def sweep_values(self):
        """The swept values as texts, FROM + i STEP in decimal, as the guide defines them."""
        start, stop, step = (Decimal(v) for v in self.vary[1:])
        return [str(start + i * step) for i in range(int((stop - start) / step) + 1)]

    def run(self, lines=None, options=None):
        """(status, rows, stderr); with the steps but for the converged solver, which has none."""
        return results(lines or self.lines, self.options if options is None else options, steps=not self.converged)

    def options_without(self, *names):
        kept, skip = [], False
        for option in self.options:
            if skip:
                skip = False
            elif option in names:
                skip = True
            else:
                kept.append(option)
        return kept


def previous_row(rows, row):
    """The same case of the line before."""
    return next(r for r in rows if r["line"] == row["line"] - 1 and r.get("case") == row.get("case"))


def hand_typed(case, rows, row):
    """The line of `row` as a user would type it alone: what a schedule
    carried and the sweep's value written in."""
    line = copy.deepcopy(case.lines[row["line"] - 1])
    if case.vary is not None:
        line[case.vary[0]] = case.sweep_values()[row["case"] - 1]
    if "H1" not in line:
        before = previous_row(rows, row)
        line["H1"] = text32(before["H2"])
        if "EPS" not in line and before["EPS_OUT"] is not None:
            line["EPS"] = text32(before["EPS_OUT"])
        if case.hot and "T" not in line:
            line["T"] = text32(before["T_EXIT"])
    return line


def carried(case, row):
    """The columns a schedule line echoes differently from the same line
    typed in full: the strain it carried is typed there, empty here."""
    line = case.lines[row["line"] - 1]
    return {"EPS"} if "H1" not in line and "EPS" not in line else set()


def expect_same(row, other, skip=()):
    skip = set(skip) | {"line", "case"}
    for name in row.keys() | other.keys():
        if name not in skip:
            assert row.get(name) == other.get(name), f"line {row['line']} case {row.get('case')}: {name}"


def run_alone(case, line, options):
    status, rows, err = case.run([line], options)
    assert len(rows) == 1, err
    return rows[0]


def computed(rows):
    return [r for r in rows if r["status"] == "ok"]


# ---- what each feature does, whatever the line carries besides

def check_standalone(case, rows):
    """Each result equals its line typed in full, alone, without the sweep."""
    options = case.options_without("--vary")
    for row in rows:
        expect_same(row, run_alone(case, hand_typed(case, rows, row), options), carried(case, row))


def check_schedule(case, rows):
    for row in (r for r in rows if r["line"] == 2):
        before = previous_row(rows, row)
        assert f32(row["H1"]) == f32(before["H2"])
        if not case.converged:  # a hot line types EPS 0 (recrystallised); the converged solver gives no strain
            assert f32(row["EPS_IN"]) == (0 if case.hot else f32(before["EPS_OUT"]))
        if case.hot:
            assert f32(row["T"]) == f32(before["T_EXIT"])
    check_standalone(case, rows)


def check_sweep(case, rows):
    values = case.sweep_values()
    name = case.vary[0]
    for line in range(1, len(case.lines) + 1):
        mine = [r for r in rows if r["line"] == line]
        assert [r["case"] for r in mine] == list(range(1, len(values) + 1))
        assert [f32(r[name]) for r in mine] == [f32(float(v)) for v in values]
    check_standalone(case, rows)


def curve_stress(case, strain):
    K = to_analysis(case.lines[0]["K"]) if case.si else SWIFT["K"]
    stress = K * (SWIFT["EPS0"] + strain) ** SWIFT["N"]
    return to_si(stress) if case.si else stress


def arc_radius(row):
    return f32(row["R_FLAT"]) if row["R_FLAT"] is not None else f32(row["R"])


def strain_at(row, X, radius):
    """The strain on the roll's circle at X, as the guide defines it."""
    s = min(1.0, X / radius)
    H = f32(row["H2"]) + 2 * radius * (s * s / (1 + math.sqrt(1 - s * s)))
    return f32(row["EPS_IN"]) + 2 / math.sqrt(3) * max(0.0, math.log(f32(row["H1"]) / H))


def mean_over_arc(function, XL, intervals=400):
    """Simpson's rule over [0, XL], divided by XL."""
    h = XL / intervals
    total = function(0) + function(XL)
    total += sum((4 if i % 2 else 2) * function(i * h) for i in range(1, intervals))
    return total * h / 3 / XL


def check_curve(case, rows):
    for row in computed(rows):
        eps_in, eps_out = f32(row["EPS_IN"]), f32(row["EPS_OUT"])
        assert eps_out == pytest.approx(eps_in + 2 / math.sqrt(3) * math.log(f32(row["H1"]) / f32(row["H2"])), rel=1e-6)
        assert f32(row["Y_ENTRY"]) == pytest.approx(curve_stress(case, eps_in), rel=1e-6)
        assert f32(row["Y_EXIT"]) == pytest.approx(curve_stress(case, eps_out), rel=1e-6)
        radius, XL = arc_radius(row), f32(row["XL"])
        mean = mean_over_arc(lambda X: curve_stress(case, strain_at(row, X, radius)), XL)
        assert f32(row["Y_MEAN"]) == pytest.approx(mean, rel=1e-3), "the mean over the arc solved"
        for side in ("exit", "entry"):
            steps = row["steps"][side]
            for X, RK in zip(steps["X"], steps["RK"]):
                if X <= XL:  # the yield table's 0.1 % between its points
                    assert RK == pytest.approx(1.15 * curve_stress(case, strain_at(row, X, radius)), rel=2e-3), (side, X)


def table_friction(table, X):
    xs, us = [f32(x) for x in table["X"]], [f32(u) for u in table["U"]]
    if X >= xs[-1]:
        return us[-1]
    k = max(i for i in range(len(xs)) if xs[i] <= X)
    return us[k] + (us[k + 1] - us[k]) * (X - xs[k]) / (xs[k + 1] - xs[k])


def check_table(case, rows):
    table = case.lines[0]["U"]
    for row in computed(rows):
        assert row["U"] is None  # the echo of a table is empty
        reached = 0
        for side in ("exit", "entry"):
            steps = row["steps"][side]
            for X, U in zip(steps["X"], steps["U"]):
                assert U == pytest.approx(table_friction(table, X), abs=2e-6), (side, X)
                reached = max(reached, X)
        assert reached > table["X"][1], "the table changes along the arc"


def sizes(case, row):
    if case.hot:
        return f32(row["H1_HOT"]), f32(row["H2_HOT"])
    return f32(row["H1"]), f32(row["H2"])


def in_kgf(value, case):
    return f32(value) / NEWTONS_PER_KGF if case.si else f32(value)


def check_flat(case, rows):
    options = case.options_without("--vary")
    for row in computed(rows):
        R, R_FLAT = f32(row["R"]), f32(row["R_FLAT"])
        assert R_FLAT > R
        H1, H2 = sizes(case, row)
        dh = H1 - H2
        assert f32(row["XL"]) == pytest.approx(math.sqrt(R_FLAT * dh - dh * dh / 4), rel=1e-5)
        # Hitchcock's radius from the reported force, in kgf whatever the units.
        E = to_analysis(row["E"]) if case.si else f32(row["E"])
        NU = f32(row["NU"])
        force = in_kgf(row["ROLLING_FORCE"], case)
        hitchcock = R * (1 + 16 * (1 - NU * NU) * force / (math.pi * E * dh))
        assert (hitchcock - R_FLAT) / R_FLAT == pytest.approx(f32(row["R_FLAT_RESIDUAL"]), abs=2e-6)
        assert abs(row["R_FLAT_RESIDUAL"]) < 5e-3
        # The rigid pass at R_FLAT: every value of the pass but the power,
        # which turns with the roll's own radius.
        line = hand_typed(case, rows, row)
        for name in ("E", "NU"):
            del line[name]
        line["R"] = text32(R_FLAT)
        rigid = run_alone(case, line, options)
        expect_same(row, rigid, {"R", "E", "NU", "R_FLAT", "R_FLAT_ITERATIONS", "R_FLAT_RESIDUAL", "POWER"} | carried(case, row))


def neutral_thickness(row):
    """The strip's thickness at the exit march's step on the neutral point."""
    exit_ = row["steps"]["exit"]
    XN = f32(row["XN"])
    return min(zip(exit_["X"], exit_["H"]), key=lambda step: abs(step[0] - XN))[1]


def check_speed(case, rows):
    for row in computed(rows):
        V = f32(row["V"])
        H1, H2 = sizes(case, row)
        if "steps" in row:  # the slips from the thickness on the neutral point, of the sizes solved
            hn = f32(neutral_thickness(row))
            assert f32(row["FORWARD_SLIP"]) == pytest.approx((hn - H2) / H2, rel=1e-5)
            assert f32(row["BACKWARD_SLIP"]) == pytest.approx((H1 - hn) / H1, rel=1e-5)
        neutral_angle = math.radians(f32(row["ON"]))
        assert f32(row["V_EXIT"]) == pytest.approx(V * (1 + f32(row["FORWARD_SLIP"])) * math.cos(neutral_angle), rel=2e-6)
        assert f32(row["V_ENTRY"]) * H1 == pytest.approx(f32(row["V_EXIT"]) * H2, rel=2e-6)
        torque_kNm = f32(row["G"]) if case.si else f32(row["G"]) * NEWTONS_PER_KGF
        angular_speed = V / 60 / (f32(row["R"]) / 1000)  # the roll's own radius, flattened or not
        assert f32(row["POWER"]) == pytest.approx(torque_kNm * angular_speed, rel=2e-6)


def kgf_line(line):
    out = copy.deepcopy(line)
    for name in STRESS_INPUTS & out.keys():
        out[name] = text32(to_analysis(out[name]))
    return out


def check_si(case, rows):
    """Every converted value is the kgf pass's, multiplied once; the rest the same."""
    options = case.options_without("--vary", "--units")
    for row in rows:
        kgf = run_alone(case, kgf_line(hand_typed(case, rows, row)), options)
        convert = (lambda v: v * NEWTONS_PER_KGF) if case.converged else to_si
        for name in row.keys() | kgf.keys():
            if name in {"line", "case", "steps"} | STRESS_INPUTS | carried(case, row):
                continue
            if name in CONVERTED_RESULTS and kgf[name] is not None:
                assert (row[name] if case.converged else f32(row[name])) == convert(kgf[name]), name
            else:
                assert row.get(name) == kgf.get(name), name
        if "steps" in row:
            for side in ("exit", "entry"):
                for name, values in row["steps"][side].items():
                    theirs = kgf["steps"][side][name]
                    expected = [to_si(v) for v in theirs] if name in CONVERTED_STEPS else theirs
                    assert [f32(v) if name in CONVERTED_STEPS else v for v in values] == expected, (side, name)


def check_converged(case, rows):
    console = case.options_without("--solver", "--vary")
    for row in rows:
        assert row["status"] == "ok"
        assert row["STEPS_PER_SIDE"] >= 800 and row["STEPS_PER_SIDE"] % 400 == 0
        theirs = run_alone(case, hand_typed(case, rows, row), console)
        assert row["ROLLING_FORCE"] == pytest.approx(theirs["ROLLING_FORCE"], rel=5e-3)
        assert row["ROLLING_FORCE"] != theirs["ROLLING_FORCE"]  # a double of its own


def check_hot(case, rows):
    for row in computed(rows):
        assert f32(row["T_EXIT"]) == pytest.approx(f32(row["T_ENTRY"]) + f32(row["T_RISE"]) - f32(row["T_DROP_ROLL"]), abs=2e-3)
        assert f32(row["T_ENTRY"]) < f32(row["T"])  # the transfer in air cools it
        H1, H2 = sizes(case, row)
        assert f32(row["EPS_OUT"]) == pytest.approx(f32(row["EPS_IN"]) + 2 / math.sqrt(3) * math.log(H1 / H2), rel=1e-6)
        dh, radius = H1 - H2, arc_radius(row)
        assert f32(row["XL"]) == pytest.approx(math.sqrt(radius * dh - dh * dh / 4), rel=1e-5)


SIGNATURES = {"curve": check_curve, "table": check_table, "flat": check_flat, "speed": check_speed,
              "si": check_si, "converged": check_converged, "schedule": check_schedule,
              "sweep": check_sweep, "hot": check_hot}

# Every pair, and the triples where a third feature is what makes the
# interaction visible: a sweep that changes what a schedule carries (a hot
# strip's exit temperature per case), a flattened hot pass in SI.
COMBINATIONS = [frozenset(p) for p in itertools.combinations(FEATURES, 2)] + [
    frozenset({"hot", "schedule", "sweep"}), frozenset({"curve", "flat", "si"}),
    frozenset({"curve", "schedule", "sweep"}), frozenset({"flat", "speed", "si"}),
]


@pytest.mark.parametrize("features", COMBINATIONS, ids=lambda f: "+".join(sorted(f)))
def test_features_together(features):
    case = Case(features)
    status, rows, err = case.run()
    refusal = next((m for pair, m in REFUSED.items() if pair <= features), None)
    if refusal is not None:
        assert status == 1
        assert rows and all(r["status"] == "error" and r["message"].startswith(refusal) for r in rows)
        said = sorted(line.split("/passes.json:", 1)[1] for line in err.splitlines())
        assert said == sorted(f"{r['line']}: {r['message']}" for r in rows if r.get("case", 1) == 1)
        return
    assert status == 0, err
    assert rows and all(r["status"] == "ok" for r in rows), [r["message"] for r in rows]
    for feature in sorted(features):
        SIGNATURES[feature](case, rows)


def test_every_pair_is_listed():
    pairs = {frozenset(p) for p in itertools.combinations(FEATURES, 2)}
    assert pairs <= set(COMBINATIONS)
    assert all(pair in pairs for pair in REFUSED)
