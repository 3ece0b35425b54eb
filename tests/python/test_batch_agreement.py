"""The module and the batch tool give the same pass the same values: one
CSV through orowan-batch and, read by pandas, through solve_many. Beyond
the library's own values this holds the two tools' compositions together:
a schedule carrying thickness and strain, flow curves with roll
flattening (the table rebuilt at every radius), slips, speeds, power.

The batch tool writes each single value as its shortest text; that text
rounded straight to single precision (exact arithmetic) is the value."""
import math
import os
import subprocess

import numpy as np
import pytest

import orowan
from library_records import BATCH_COLUMNS as COLUMNS, nearest_float32

CSV = """R,H1,H2,Y,SGB,SGF,U,CURVE,K,N,EPS0,S0,EPS,E,NU,V
100,2,1.5,20,0,0,0.1,,,,,,,,,
100,2,1.5,20,0,5,0.25,,,,,,,,,
100,2,1.5,20,0,25,0.05,,,,,,,,,
100,2,1.5,20,0,0,0,,,,,,,,,
200,2,1.5,,0,0,0.08,swift,55,0.22,0.012,,,,,
200,,1.15,,0,0,0.08,swift,55,0.22,0.012,,,,,
200,,0.9,,0,0,0.08,swift,55,0.22,0.012,,,21000,,300
150,3,2.4,,2,1,0.12,ludwik,55,0.3,,12,0.4,,,
150,,2,,2,1,0.12,ludwik,55,0.3,,12,0.05,21000,0.28,
250,1.0,0.8,60,0,0,0.08,,,,,,,21000,,120
250,2.0,1.6,60,0,0,0.08,,,,,,,,,90
"""

@pytest.fixture(scope="module")
def both(tmp_path_factory):
    pd = pytest.importorskip("pandas")
    path = tmp_path_factory.mktemp("batch") / "passes.csv"
    path.write_text(CSV)
    out = subprocess.run([os.environ["OROWAN_BATCH"], str(path)], capture_output=True, text=True,
                         check=True).stdout
    lines = [line.split(",") for line in out.splitlines()]
    batch = [dict(zip(lines[0], line)) for line in lines[1:]]
    # round_trip: each number the nearest double of its text, as Python reads it
    frame = pd.read_csv(path, float_precision="round_trip")
    return batch, orowan.solve_many(frame, jobs=2, errors="return")


def test_the_csv_covers_what_it_should(both):
    batch, _ = both
    statuses = [b["status"] for b in batch]
    assert statuses.count("ok") == 9 and "no neutral point" in statuses and "M6103" in statuses
    assert sum(b["R_FLAT"] != "" for b in batch) == 3 and sum(b["V_EXIT"] != "" for b in batch) == 3
    assert batch[6]["EPS_IN"] == batch[5]["EPS_OUT"] != "0"  # the schedule carried it


@pytest.mark.parametrize("line", range(11))
def test_a_pass_has_the_batch_tools_values(both, line):
    batch, results = both
    b, r = batch[line], results[line]
    if isinstance(r, orowan.PassFault):
        assert (b["status"], b["message"], b["stage"], b["side"], b["step"]) == (
            r.code, r.message, r.stage, r.side, str(r.step))
        return
    assert r.status == b["status"]
    for column, name in COLUMNS.items():
        got = getattr(r, name)
        if b[column] == "":
            assert math.isnan(got), column
        else:
            assert np.float32(got) == nearest_float32(b[column]), (column, got, b[column])
