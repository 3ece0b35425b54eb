"""Hot passes in the module: the same values as orowan-batch for the same
lines (a schedule carrying thickness, strain and temperature, the three
laws, flattening, ALPHA), bad hot arguments named, and the hot values
absent from a cold pass. The batch tool writes each single value as its
shortest text, so the texts compare through float32."""
import math
import os
import subprocess

import numpy as np
import pytest

import orowan

CSV = """R,H1,H2,U,E,V,EPS,FLOW,C,A,M1,M2,M4,M5,M7,M8,T,TRANSFER,DESCALE,H_CONTACT,ALPHA
500,40,28,0.3,21000,60,0,misaka,0.08,,,,,,,,1150,10,0.1,,
500,,19,0.3,21000,90,0,misaka,0.08,,,,,,,,,8,,,
500,,13,0.3,,120,0,shida,0.08,,,,,,,,,20,0.1,,
350,,8.5,0.3,21000,180,,shida,0.08,,,,,,,,,6,,0,
350,12,8,0.3,,200,0,hensel-spittel,,333.29322,-0.00267855,0.34446,0.000551814,-0.00132042,0.0166334,0.000149907,1000,2,,,1.4e-5
"""
FIELDS = {"ROLLING_FORCE": "rolling_force", "T_ENTRY": "t_entry", "T_EXIT": "t_exit",
          "T_RISE": "t_rise", "T_DROP_ROLL": "t_drop_roll", "EPS_RATE_MEAN": "eps_rate_mean",
          "Y_MEAN": "y_mean", "Y_EXIT": "y_exit", "EPS_OUT": "strain_out", "H2_HOT": "h2_hot"}


def _rows():
    lines = CSV.splitlines()
    header = lines[0].split(",")
    return [{k: (v if k == "FLOW" else float(v)) for k, v in zip(header, line.split(",")) if v}
            for line in lines[1:]]


@pytest.fixture(scope="module")
def both(tmp_path_factory):
    path = tmp_path_factory.mktemp("hot") / "hot.csv"
    path.write_text(CSV)
    out = subprocess.run([os.environ["OROWAN_BATCH"], str(path)],
                         capture_output=True, text=True, check=True).stdout
    lines = [line for line in out.splitlines()]
    header = lines[0].split(",")
    batch = [dict(zip(header, line.split(","))) for line in lines[1:] if '"' not in line]
    assert len(batch) == 5, out
    return batch, orowan.solve_many(_rows(), jobs=2)


def test_the_same_values_as_the_batch_tool(both):
    batch, results = both
    for i, (b, r) in enumerate(zip(batch, results)):
        assert b["status"] == r.status == "ok", i
        for column, attribute in FIELDS.items():
            value = getattr(r, attribute)
            assert np.float32(b[column]) == np.float32(value), (i, column)


def test_a_schedule_carries_the_temperature(both):
    _, results = both
    for before, after in zip(results[:3], results[1:4]):
        assert not math.isnan(after.t_entry)
        assert after.inputs["H1"] == before.inputs["H2"]
    # the carried pass entered at the temperature the pass before left, less its own transfer
    direct = orowan.solve(R=500, H1=28, H2=19, U=0.3, E=21000, V=90, flow="misaka", C=0.08,
                          T=results[0].t_exit, TRANSFER=8, eps=0)
    assert direct.t_exit == results[1].t_exit


@pytest.mark.parametrize("args, error, words", [
    (dict(C=1.6), ValueError, "C: must be within 0 and 1.5"),
    (dict(T=-274), ValueError, "T: must not be below absolute zero"),
    (dict(TRANSFER=-1), ValueError, "TRANSFER: a time must not be negative"),
    (dict(EMISSIVITY=1.2), ValueError, "EMISSIVITY: must be within 0 and 1"),
    (dict(flow="cold"), ValueError, "flow: expected one of"),
    (dict(Y=10), ValueError, "flow: give Y, curve or flow"),
    (dict(V=None), TypeError, "V: missing"),
    (dict(T=None), TypeError, "T: missing"),
    (dict(A=300), ValueError, "A: not a parameter of the misaka law"),
    (dict(Q=1), TypeError, "unexpected keyword argument .Q."),
])
def test_bad_hot_arguments_are_named(args, error, words):
    base = dict(R=400, H1=25, H2=16, U=0.3, V=60, flow="misaka", C=0.1, T=1100)
    base.update(args)
    base = {k: v for k, v in base.items() if v is not None}
    with pytest.raises(error, match=words):
        orowan.solve(**base)


@pytest.mark.parametrize("passes, error, words", [
    ([dict(R=400, H1=25, H2=16, U=0.3, V=60, FLOW="misaka", C=0.1)], TypeError, r"passes\[0\]: T: missing"),
    ([dict(R=400, H1=25, H2=16, U=0.3, Y=10), dict(R=400, H2=12, U=0.3, V=60, FLOW="misaka", C=0.1)],
     ValueError, r"passes\[1\]: T: missing, and the pass before left no temperature"),
])
def test_a_schedule_without_a_temperature_is_named(passes, error, words):
    with pytest.raises(error, match=words):
        orowan.solve_many(passes)


def test_a_cold_pass_has_no_hot_values():
    r = orowan.solve(R=100, H1=2, H2=1.5, Y=20, U=0.1)
    assert math.isnan(r.t_exit) and math.isnan(r.eps_rate_mean) and r.validity is None
    hot = orowan.solve(R=400, H1=25, H2=16, U=0.3, V=60, flow="misaka", C=0.1, T=1100)
    assert "EPS_RATE_MEAN below 30 /s" in hot.validity
