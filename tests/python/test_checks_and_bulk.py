"""The module's own checks of a pass (as the batch tool's, in the same
cases), and results made for bulk work: no steps by default for many
passes, read-only, picklable across processes, summaries with their
inputs in single precision, the version, and plot titles as the batch
tool's pictures."""
import concurrent.futures
import csv
import io
import os
import pickle
import re
import subprocess

import numpy as np
import pytest

import orowan

EXAMPLE = dict(R=100, H1=2, H2=1.5, Y=20, SGB=0, SGF=0, U=0.1)

# (changes to the example pass, the argument named, the batch tool's
# column): every value the analysis would take without a word.
BAD_PASSES = [
    (dict(U=-0.1), "U", "U"),
    (dict(R=0), "R", "R"),
    (dict(R=-100), "R", "R"),
    (dict(H1=-2, H2=-2.5), "H1", "H1"),
    (dict(H2=0), "H2", "H2"),
    (dict(Y=0), "Y", "Y"),
    (dict(Y=-20), "Y", "Y"),
    (dict(Y=1e-46), "Y", "Y"),           # a single 0
    (dict(H1=1.5, H2=2), "H2", "H1 and H2"),
    (dict(H1=2, H2=2), "H2", "H1 and H2"),
    (dict(Y=float("nan")), "Y", "Y"),
    (dict(U=float("inf")), "U", "U"),
]


def batch_row(args):
    """The batch tool's result row for one pass typed with repr() of each value."""
    header = ",".join(args)
    text = header + "\n" + ",".join(repr(float(v)) for v in args.values()) + "\n"
    out = subprocess.run([os.environ["OROWAN_BATCH"]], input=text, capture_output=True, text=True)
    return next(csv.DictReader(io.StringIO(out.stdout))), out.returncode


@pytest.mark.parametrize("changes,argument,column", BAD_PASSES)
def test_a_pass_no_analysis_can_take_is_refused_by_both_front_ends(changes, argument, column):
    args = dict(EXAMPLE, **changes)
    with pytest.raises(ValueError, match=rf"^{argument}: "):
        orowan.solve(**args)
    with pytest.raises(ValueError, match=rf"^passes\[1\]: {argument}: "):
        orowan.solve_many([EXAMPLE, args])
    row, status = batch_row(args)
    assert (row["status"], status) == ("error", 1)
    assert row["message"].startswith(f"column{'s' if ' ' in column else ''} {column}: ")


def test_a_negative_friction_table_is_refused():
    with pytest.raises(ValueError, match=r"^friction_table: the friction must not be negative"):
        orowan.solve(R=100, H1=2, H2=1.5, Y=20, friction_table=([0, 2, 5], [0.1, -0.1, 0.1]))


def test_a_schedule_pass_must_reduce_the_strip_it_takes_over():
    with pytest.raises(ValueError, match=r"^passes\[1\]: H2: the exit thickness 1.5 equals the entry"):
        orowan.solve_many([EXAMPLE, dict(EXAMPLE, H1=None)])


def test_many_passes_keep_no_steps_unless_asked():
    one, = orowan.solve_many([EXAMPLE])
    many = orowan.solve_many([EXAMPLE, EXAMPLE])
    kept = orowan.solve_many([EXAMPLE, EXAMPLE], steps=True)
    assert one.exit is not None and kept[1].entry is not None
    assert many[0].exit is None and many[1].entry is None
    assert many[0].summary() == kept[0].summary() == one.summary()


def test_a_result_is_read_only():
    r = orowan.solve(**EXAMPLE)
    for attempt in (lambda: setattr(r, "rolling_force", 0.0), lambda: delattr(r, "torque"),
                    lambda: setattr(r, "anything", 1)):
        with pytest.raises(AttributeError):
            attempt()
    with pytest.raises(TypeError):
        r.inputs["U"] = 0.2
    assert r.inputs["U"] == np.float32(0.1)


def _force(result):
    return result.rolling_force


@pytest.mark.parametrize("steps", [False, True])
def test_results_pickle_and_cross_processes(steps):
    results = orowan.solve_many([EXAMPLE, dict(EXAMPLE, SGF=25, U=0.05)], steps=steps)
    for r in results:
        back = pickle.loads(pickle.dumps(r))
        assert back.summary().keys() == r.summary().keys()
        assert np.array(list(back.summary().values())[1:], dtype=float).tobytes() == \
            np.array(list(r.summary().values())[1:], dtype=float).tobytes()  # NaN as NaN
        assert (back.exit is None) == (not steps)
        if steps:
            assert back.exit["P"].tobytes() == r.exit["P"].tobytes()
            assert not back.exit["P"].flags.writeable
        with pytest.raises(AttributeError):
            back.status = "ok"
    fault = orowan.solve_many([dict(EXAMPLE, U=0)], errors="return")[0]
    assert str(pickle.loads(pickle.dumps(fault))) == str(fault)
    with concurrent.futures.ProcessPoolExecutor(max_workers=1) as pool:
        got = list(pool.map(_force, results))
        solved = pool.submit(orowan.solve, **EXAMPLE).result()
    assert got[0] == results[0].rolling_force and solved.rolling_force == results[0].rolling_force


def test_the_summary_names_its_pass_in_single_values():
    r = orowan.solve(**dict(EXAMPLE, E=21000, V=100))
    s = r.summary()
    for name in ("R", "H1", "H2", "Y", "SGB", "SGF", "U"):
        assert s[name] == np.float32(EXAMPLE[name]), name
    for name, value in s.items():
        if name not in ("status", "flattening"):
            assert float(np.float32(value)) == value, name  # every value a single-precision value
    assert {"forward_slip", "backward_slip", "r_flat", "v_exit", "power"} <= set(s)
    curve = orowan.solve(R=100, H1=2, H2=1.5, U=0.1, curve=("swift", 55, 0.22, 0.012)).summary()
    assert "Y" not in curve and curve["U"] == np.float32(0.1)


def test_the_version_is_the_projects():
    assert re.fullmatch(r"\d+\.\d+(\.\d+)?", orowan.__version__)
    out = subprocess.run([os.environ["OROWAN_BATCH"], "--version"], capture_output=True, text=True).stdout
    assert out == f"orowan-batch {orowan.__version__}\n"


@pytest.mark.parametrize("changes", [{}, dict(SGB=2.5, SGF=1, U=0.25), dict(R=250, H1=0.8, H2=0.6),
                                     dict(SGF=25, U=0.05)])  # the last without a neutral point
def test_plot_is_titled_as_the_batch_tools_picture(tmp_path, changes):
    pytest.importorskip("matplotlib")
    args = dict(EXAMPLE, **changes)
    r = orowan.solve(**args)
    path = tmp_path / "in.csv"
    path.write_text(",".join(args) + "\n" + ",".join(str(v) for v in args.values()) + "\n")
    subprocess.run([os.environ["OROWAN_BATCH"], str(path), "-o", str(tmp_path / "r.csv"), "--svg",
                    str(tmp_path / "svg")], check=True, capture_output=True)
    (svg,) = (tmp_path / "svg").iterdir()
    title = re.search(r"<title>([^<]*)</title>", svg.read_text()).group(1)
    assert r.plot().get_title() == title.replace("&gt;", ">")
    assert r.title() == title


def test_kept_columns_are_carried_into_the_frames():
    pd = pytest.importorskip("pandas")
    frame = pd.DataFrame([dict(EXAMPLE, coil="A-17", pass_no=1),
                          dict(EXAMPLE, H1=None, H2=1.2, coil="A-17", pass_no=2)])
    results = orowan.solve_many(frame, keep=["coil", "pass_no"], steps=True)
    assert [r.kept for r in results] == [{"coil": "A-17", "pass_no": 1}, {"coil": "A-17", "pass_no": 2}]
    assert results[1].summary()["pass_no"] == 2
    steps = results[1].to_frame()
    assert list(steps.columns[:4]) == ["coil", "pass_no", "side", "step"]
    assert set(steps["coil"]) == {"A-17"} and len(steps) == len(results[1].exit["X"]) * 2
    # the values are those of the passes without the columns
    bare = orowan.solve_many([EXAMPLE, dict(EXAMPLE, H1=None, H2=1.2)])
    assert [r.rolling_force for r in results] == [r.rolling_force for r in bare]
    assert pickle.loads(pickle.dumps(results[0])).kept == {"coil": "A-17", "pass_no": 1}
    with pytest.raises(ValueError, match=r"passes\[0\]: 'coil': not an argument of a pass"):
        orowan.solve_many(frame, keep=["pass_no"])
    with pytest.raises(ValueError, match=r"keep: 'U' is an argument of a pass"):
        orowan.solve_many(frame, keep=["coil", "U"])
