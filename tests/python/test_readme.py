"""The Python guide (docs/python.md, the README's "From Python" section
until it moved there) runs as shown: its session as a doctest, its sweep
printing the DataFrame it shows."""
import doctest
import os
import re
import subprocess
import sys

import pytest

GUIDE = os.path.join(os.environ["OROWAN_SOURCE"], "docs", "python.md")


@pytest.fixture(scope="module")
def section():
    with open(GUIDE, encoding="utf-8") as f:
        text = f.read()
    start = text.index("# From Python")
    end = text.find("\n## ", start + 1)
    return text[start:end if end >= 0 else len(text)]


def test_session_runs_as_shown(section):
    test = doctest.DocTestParser().get_doctest(section, {}, "docs/python.md", GUIDE, 0)
    assert len(test.examples) >= 5
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    runner.run(test)
    assert runner.summarize(verbose=False).failed == 0


def test_sweep_prints_the_frame_shown(section, tmp_path):
    pytest.importorskip("pandas")
    pytest.importorskip("matplotlib")
    script = re.search(r"```python\n(.*?)```", section, re.S).group(1)
    shown = re.search(r"\nprints\n\n((?:    .*\n)+)", section).group(1)
    (tmp_path / "docs").mkdir()
    out = subprocess.run([sys.executable, "-c", script], cwd=tmp_path, capture_output=True,
                         text=True, check=True, env=dict(os.environ, MPLBACKEND="Agg")).stdout
    assert [line.rstrip() for line in out.splitlines()] == \
        [line[4:].rstrip() for line in shown.splitlines()]
    assert (tmp_path / "docs" / "python_force_against_friction.png").stat().st_size > 1000
