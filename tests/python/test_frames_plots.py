"""PassResult beyond its values: step frames (pandas), the friction hill
(matplotlib, headless), summaries, and the optional packages missing."""
import math
import sys

import numpy as np
import pytest

import orowan

EXAMPLE = dict(R=100, H1=2, H2=1.5, Y=20, SGB=0, SGF=0, U=0.1)


@pytest.fixture(scope="module")
def example():
    return orowan.solve(**EXAMPLE)


@pytest.mark.parametrize("side", [None, "exit", "entry"])
def test_to_frame_holds_every_step_of_the_marches(example, side):
    pytest.importorskip("pandas")
    frame = example.to_frame(side)
    sides = ("exit", "entry") if side is None else (side,)
    assert list(frame.columns) == ["side", "step", *orowan.STEP_COLUMNS]
    assert frame["side"].tolist() == [s for s in sides for _ in getattr(example, s)["X"]]
    for s in sides:
        rows = frame[frame["side"] == s]
        assert rows["step"].tolist() == list(range(1, len(rows) + 1))
        for label, column in getattr(example, s).items():
            assert rows[label].dtype == column.dtype, label
            assert rows[label].to_numpy().tobytes() == column.tobytes(), label


def test_to_frame_refuses_what_it_cannot_show(example):
    pytest.importorskip("pandas")
    with pytest.raises(ValueError, match="side: expected 'exit', 'entry' or None"):
        example.to_frame("both")
    (bare,) = orowan.solve_many([EXAMPLE], steps=False)
    with pytest.raises(ValueError, match="steps=False"):
        bare.to_frame()


@pytest.mark.parametrize("solver", ["console", "converged"])
def test_plot_draws_both_marches_the_yield_stress_and_the_neutral_point(solver):
    pytest.importorskip("matplotlib")
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    result = orowan.solve(**EXAMPLE, solver=solver)
    ax = result.plot()
    lines = {line.get_label(): line for line in ax.get_lines()}
    assert sorted(lines) == ["RK", "entry march past XN (not felt)", "entry march, XN to entry plane",
                             "exit march past XN (not felt)", "exit march, exit plane to XN"]
    xn, pn = result.neutral_position, result.neutral_pressure
    for side, felt in (("exit", lambda x: x <= xn), ("entry", lambda x: x >= xn)):
        steps = getattr(result, side)
        x, y = lines[f"{side} march past XN (not felt)"].get_data()  # the whole march, faint
        assert np.array_equal(x, steps["X"]) and np.array_equal(y, steps["P"])
        x, y = lines[next(k for k in lines if k.startswith(f"{side} march,"))].get_data()  # the strip's part
        keep = felt(steps["X"])
        assert np.array_equal(x, np.append(steps["X"][keep], xn))
        assert np.array_equal(y, np.append(steps["P"][keep], pn))
        assert lines[f"{side} march past XN (not felt)"].get_linewidth() < lines[
            next(k for k in lines if k.startswith(f"{side} march,"))].get_linewidth()
    rk = lines["RK"].get_ydata()
    assert np.allclose(rk, 1.15 * 20, rtol=1e-6)  # the yield stress of Y = 20
    (points,) = ax.collections
    assert points.get_offsets().tolist() == [[result.neutral_position, result.neutral_pressure]]
    plt.close(ax.figure)


def test_plot_on_given_axes_and_without_a_neutral_point():
    pytest.importorskip("matplotlib")
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    fig, ax = plt.subplots()
    result = orowan.solve(**dict(EXAMPLE, SGF=25, U=0.05))
    assert result.status == "no neutral point"
    assert result.plot(ax) is ax
    assert len(ax.get_lines()) == 3 and not ax.collections
    plt.close(fig)


@pytest.mark.parametrize("module,call", [("pandas", lambda r: r.to_frame()),
                                         ("matplotlib", lambda r: r.plot())])
def test_a_missing_optional_package_says_what_to_install(example, monkeypatch, module, call):
    for name in list(sys.modules):
        if name == module or name.startswith(module + "."):
            monkeypatch.delitem(sys.modules, name)
    monkeypatch.setitem(sys.modules, module, None)  # import fails
    with pytest.raises(ImportError, match=f"needs {module} \\(Debian: python3-{module}\\)"):
        call(example)


def test_summary_is_one_row_of_a_sweep(example):
    summary = example.summary()
    assert list(summary)[:12] == [
        "status", "reduction_ratio", "contact_length", "contact_angle", "neutral_position",
        "neutral_angle", "neutral_force", "neutral_pressure", "mean_roll_pressure",
        "rolling_force", "torque", "torque_arm"]
    assert summary["rolling_force"] == example.rolling_force
    assert "forward_slip" in summary and "v_exit" not in summary  # no roll speed given
    none = orowan.solve(**dict(EXAMPLE, SGF=25, U=0.05)).summary()
    assert none["status"] == "no neutral point" and math.isnan(none["rolling_force"])


def test_step_arrays_are_read_only(example):
    with pytest.raises(ValueError):
        example.exit["P"][0] = 0


def test_repr_shows_values_that_read_back_to_the_singles(example):
    import re
    shown = dict(re.findall(r"(\w+)=([-0-9.e]+)", repr(example)))
    assert sorted(shown) == sorted(["rolling_force", "torque", "torque_arm", "neutral_position",
                                    "mean_roll_pressure"])
    for name, text in shown.items():
        assert float(np.float32(text)) == getattr(example, name), name
        assert len(text.replace(".", "").lstrip("0")) <= 9, name  # no digits beyond a single's


def test_plot_of_a_pass_without_a_neutral_point_says_so():
    pytest.importorskip("matplotlib")
    result = orowan.solve(**dict(EXAMPLE, SGF=25, U=0.05))
    ax = result.plot()
    assert ax.get_title().startswith("No neutral point: R 100 mm, H1 2 → H2 1.5 mm")
    assert sorted(line.get_label() for line in ax.get_lines()) == ["P, entry march", "P, exit march", "RK"]


def test_plot_shades_sticking_only_where_the_strip_feels_it():
    pytest.importorskip("matplotlib")
    result = orowan.solve(**dict(EXAMPLE, U=0.8))
    bands = {l.get_label(): l for l in result.plot().get_lines() if l.get_label().startswith("strip sticks")}
    xn = result.neutral_position
    for side, felt in (("exit", lambda x: x <= xn), ("entry", lambda x: x >= xn)):
        steps = getattr(result, side)
        _, y = bands[f"strip sticks ({side} march)"].get_data()
        sticks = felt(steps["X"]) & (steps["SL/ST"] == 2)
        assert sticks.any() and not sticks.all()
        assert np.array_equal(np.isnan(y), ~sticks)
