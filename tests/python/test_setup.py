"""orowan.setup against orowan-setup itself: the same values, line for
line, from a path and from a dict; a coil's problem keeps the others; a
problem of the file raises."""
import json
import os
import pathlib
import struct
import subprocess
import tomllib

import pytest

import orowan

SOURCE = pathlib.Path(os.environ.get("OROWAN_SOURCE", pathlib.Path(__file__).parents[2]))
# The set-up tool is built beside the batch tool.
SETUP = pathlib.Path(os.environ["OROWAN_BATCH"]).parents[1] / "setup" / "orowan-setup"
REVERSING = SOURCE / "setup" / "examples" / "reversing.toml"


def tool_lines(path, *options):
    done = subprocess.run([str(SETUP), "--json", *options, str(path)], capture_output=True, text=True, check=True)
    return [json.loads(line) for line in done.stdout.splitlines()]


def same(mine, tool):
    """A value of the module and the tool's printed text: the same single."""
    if isinstance(tool, float) or (isinstance(tool, int) and isinstance(mine, float)):
        return mine == struct.unpack("f", struct.pack("f", tool))[0]
    return mine == tool


@pytest.mark.parametrize("units", [None, "si"])
def test_path_gives_the_tools_values(units):
    s = orowan.setup(REVERSING, units=units)
    tool = tool_lines(REVERSING, *(["--units", units] if units else []))
    assert len(s.lines) == len(tool) == 10
    for mine, theirs in zip(s.lines, tool):
        assert mine.keys() == theirs.keys()
        for key in theirs:
            assert same(mine[key], theirs[key]), (key, mine[key], theirs[key])
    assert s.problems == []


def test_dict_is_the_file():
    with open(REVERSING, "rb") as f:
        mill = tomllib.load(f)
    assert orowan.setup(mill).lines == orowan.setup(REVERSING).lines


def test_a_coils_problem_keeps_the_other_coils():
    with open(REVERSING, "rb") as f:
        mill = tomllib.load(f)
    mill["coil"][0]["colour"] = "red"
    s = orowan.setup(mill)
    assert len(s.problems) == 1 and "key coil.colour: unknown key" in s.problems[0]
    assert s.lines[0]["status"] == "error" and s.lines[0]["H1"] is None
    assert [l["status"] for l in s.lines[1:]] == [l["status"] for l in orowan.setup(REVERSING).lines[5:]]


def test_a_problem_of_the_file_raises():
    with pytest.raises(ValueError, match="key mill.kind"):
        orowan.setup({"mill": {"kind": "stacked"}})


def test_frame_has_a_row_a_pass():
    frame = orowan.setup(REVERSING).to_frame()
    assert list(frame["pass"]) == [1, 2, 3, 4, 5] * 2
    assert frame["H2"].iloc[4] == pytest.approx(0.6) and frame["H1"].iloc[0] == 2.5
