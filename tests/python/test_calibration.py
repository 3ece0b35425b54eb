"""orowan.fit, orowan.calibrate and orowan.dask: the fits equal the batch
tool's --fit, the calibration recovers the laws a log was made with (by
orowan-batch, calibrate/make_log.py), and the Dask calls on a LocalCluster
of two workers equal the single-machine calls."""
import io
import os
import subprocess
import sys

import pandas as pd
import pytest

import orowan

BATCH = os.environ["OROWAN_BATCH"]
MAKE_LOG = os.path.join(os.environ["OROWAN_SOURCE"], "calibrate", "make_log.py")
TRUTH = {"U0": 0.16, "U_V": -0.00015, "Y_FACTOR[A]": 1.0, "Y_FACTOR[B]": 1.15, "Y_FACTOR[C]": 0.9}


@pytest.fixture(scope="module")
def log():
    """A 240-line log with 1 % noise, made by orowan-batch from TRUTH."""
    text = subprocess.run([sys.executable, MAKE_LOG, BATCH, "240", "0.01", "0", "21"], capture_output=True,
                          text=True, check=True).stdout
    return pd.read_csv(io.StringIO(text))


def batch_fit(frame, target):
    text = frame.to_csv(index=False, float_format=repr)
    run = subprocess.run([BATCH, "--fit", target], input=text, capture_output=True, text=True)
    return pd.read_csv(io.StringIO(run.stdout), keep_default_na=False, na_values=[""])


@pytest.mark.parametrize("target", ["U", "U,Y", "H2"])
def test_fit_is_the_batch_tools(log, target):
    frame = log.head(12).copy()
    if target == "H2":
        frame["U"] = 0.12  # H2 is searched for, U is given
    want = batch_fit(frame, target)
    frame.index = range(100, 112)  # the frame's own index comes back
    got = orowan.fit(frame, target)
    assert list(got.index) == list(frame.index)
    for column in ("status", "U_FIT", "Y_FACTOR", "H2_FIT", "ROLLING_FORCE", "FIT_RESIDUAL", "FIT_END"):
        assert got[column].tolist() == want[column].tolist(), column


def test_fit_says_why_a_row_has_no_pass():
    frame = pd.DataFrame({"R": [100, 100, 100], "H1": [2, 2, 2], "H2": [1.5, 1.5, 1.5], "Y": [20, 20, 20],
                          "FORCE_MEASURED": [5.0, float("nan"), 200.0]})
    got = orowan.fit(frame, "U")
    assert got["status"].tolist() == ["out of reach", "error", "ok"]
    assert "reachable" in got["message"][0]
    assert "FORCE_MEASURED" in got["message"][1]
    with pytest.raises(ValueError, match="target"):
        orowan.fit(frame, "R")


def within_two_stderr(parameters):
    return {name: abs(row.value - TRUTH[name]) <= 2 * row.stderr for name, row in parameters.iterrows()}


def test_calibrate_recovers_the_laws(log):
    bad = log.head(2).copy()
    bad["FORCE_MEASURED"] = [float("nan"), -10.0]
    frame = pd.concat([log, bad], ignore_index=True)
    c = orowan.calibrate(frame, friction="linear:V", flow_factor="by:GRADE", jobs=2)
    assert all(within_two_stderr(c.parameters).values()), c.parameters
    assert c.summary["force_error"]["after"]["rms"] == pytest.approx(0.01, abs=0.003)
    assert sorted(c.refused) == [len(log), len(log) + 1]
    assert "FORCE_MEASURED" in c.refused[len(log)]
    assert len(c.residuals) == len(log)
    with pytest.raises(ValueError, match="linear"):
        orowan.calibrate(frame, friction="quadratic:V")


@pytest.fixture(scope="module")
def client():
    distributed = pytest.importorskip("distributed")
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=False,
                                       dashboard_address=None)
    c = distributed.Client(cluster)
    yield c
    c.close()
    cluster.close()


def test_dask_calls_equal_the_single_machine_calls(log, client):
    import dask.dataframe as dd
    with_u = log.assign(U=0.12)
    solved = orowan.dask.solve(dd.from_pandas(with_u, npartitions=4)).compute()
    assert solved["ROLLING_FORCE"].tolist() == orowan.solve_frame(with_u)["ROLLING_FORCE"].tolist()
    ddf = dd.from_pandas(log, npartitions=4)
    single = orowan.calibrate(log, friction="linear:V", flow_factor="by:GRADE", jobs=2).parameters
    spread = orowan.dask.calibrate(ddf, friction="linear:V", flow_factor="by:GRADE")
    for name, row in single.iterrows():
        p = spread["parameters"][name]
        # The same optimum, found by two minimisers whose last steps differ:
        # within a twentieth of a standard error; the errors within 2 %.
        assert abs(p["value"] - row.value) <= 0.05 * row.stderr, name
        assert p["stderr"] == pytest.approx(row.stderr, rel=0.02), name
