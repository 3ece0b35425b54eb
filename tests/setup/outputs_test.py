"""orowan-setup's outputs read back as a user's program reads them, and
its exit status for each kind of failure alone.

Read back: the CSV by Python's csv module and the JSON lines by a strict
parser (tests/batch/strict_read.py); the columns in the order of
docs/setup.md, each cell of the type the guide states; the coils' names
(quotes, commas, a line end, non-ASCII letters) as tomllib reads them
from the mill file, the mill file's own awkward name in a coil's
message; every coil's lines numbered 1..N; the JSON lines the CSV's
cells.

Exit status: 0 every coil set up, 1 the file or a coil could not be read
or set up or an output not written, 2 the command line (the help text's
promise); the message, and what was still written.

    outputs_test.py OROWAN_SETUP  (run by ctest)
"""
import os
import signal
import subprocess
import sys
import tempfile
import time
import tomllib
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "batch"))
import strict_read as sr  # noqa: E402

SETUP = os.environ.get("OROWAN_SETUP", "")
TANDEM = os.path.join(HERE, "..", "..", "setup", "examples", "tandem5.toml")

TANDEM_COLUMNS = ["coil", "stand", "H1", "H2", "REDUCTION", "SGB", "SGF", "U", "R", "R_FLAT", "EPS_IN", "EPS_OUT",
                  "Y_MEAN", "ROLLING_FORCE", "FORCE_TOTAL", "TORQUE_TOTAL", "POWER_TOTAL", "ROLL_SPEED", "V_ENTRY",
                  "V_EXIT", "FORWARD_SLIP", "status", "message", "RATIO_MISS", "SOLVES"]
REVERSING_COLUMNS = TANDEM_COLUMNS[:2] + ["pass"] + TANDEM_COLUMNS[2:]
LIMITS = r"over (force|torque|power|roll speed) limit"
TYPES = {"coil": "text", "stand": "integer", "pass": "integer", "message": "text", "SOLVES": "integer",
         "status": sr.re.compile(rf"ok|no set-up|error|{LIMITS}(; {LIMITS})*")}

# A reversing mill on rigid rolls (quick): an awkwardly named coil set
# up, a coil the file describes wrongly, a coil with no set-up, one over
# its force limit.
COIL = """
[[coil]]
name = {name}
width = 1000.0
H_entry = 2.0
H_exit = 1.0
material = {{ Y = 30.0 }}
tension_exit = {exit}
tensions = {tensions}
V_exit = 300.0
distribution = {{ by = "given", H = [1.6, 1.25] }}
"""
MILL = """[mill]
kind = "reversing"
passes = 3
[[stand]]
R = 200.0
U = 0.07
max_force = 320.0
""" + COIL.format(name='"Q \\"1\\", é\\nzwei"', exit=0.0, tensions="[5.0, 5.0]") \
    + COIL.format(name='"bad, \\"one\\""', exit=0.0, tensions="[5.0]") \
    + COIL.format(name='"slips"', exit=60.0, tensions="[5.0, 5.0]")
GOOD = MILL.split("[[coil]]")[0] + "[[coil]]" + MILL.split("[[coil]]")[1]


def run(args, timeout=300):
    return sr.run_tool(SETUP, args, timeout=timeout)


read = sr.read_bytes


def write(path, text):
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    return path


def json_text(value):
    """A JSON cell as the CSV writes it."""
    return "" if value is None else value.text if isinstance(value, sr.Number) else value


class ReadBack(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        folder = os.path.join(cls.dir.name, 'mills, "q" é')
        os.mkdir(folder)
        cls.mill = write(os.path.join(folder, 'mill, "x" é.toml'), MILL)
        cls.status, cls.csv, cls.err = run([cls.mill])
        _, cls.json, _ = run([cls.mill, "--json"])

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def assert_types(self, rows):
        for row in rows:
            for name, text in row.items():
                self.assertEqual(sr.cell_problem(TYPES.get(name, "single"), text), "", f"{row['coil']!r} {name}")

    def test_csv_columns_types_and_names(self):
        head, rows, _ = sr.csv_records(self.csv)
        self.assertEqual(head, REVERSING_COLUMNS)
        self.assert_types(rows)
        names = [c["name"] for c in tomllib.loads(MILL)["coil"]]
        self.assertEqual([r["coil"] for r in rows], [names[0]] * 3 + [names[1]] + [names[2]] * 3)
        self.assertEqual([r["pass"] for r in rows], ["1", "2", "3", "", "1", "2", "3"])
        self.assertEqual({r["stand"] for r in rows}, {"1", ""})
        self.assertEqual([r["status"] for r in rows], ["over force limit", "ok", "ok", "error"] + ["no set-up"] * 3)

    def test_a_coils_problem_names_the_file_in_its_line(self):
        _, rows, _ = sr.csv_records(self.csv)
        problem = rows[3]["message"]
        self.assertTrue(problem.startswith(self.mill + ":"), problem)
        self.assertIn("key coil.tensions", problem)
        self.assertIn(f"orowan-setup: {problem}\n", self.err)
        self.assertEqual(self.status, 1)

    def test_json_lines_are_the_csv_lines(self):
        _, rows, _ = sr.csv_records(self.csv)
        objects = sr.json_lines(self.json)
        self.assertEqual(len(objects), len(rows))
        for o, row in zip(objects, rows):
            self.assertEqual(list(o), REVERSING_COLUMNS)
            for name in REVERSING_COLUMNS:
                kind = TYPES.get(name, "single")
                self.assertEqual(sr.json_problem(kind, o[name]), "", name)
                self.assertEqual(json_text(o[name]), row[name], f"{row['coil']!r} {name}")

    def test_a_tandem_mill_in_both_units(self):
        for units in ("si", "report"):
            code, out, err = run([TANDEM, "--units", units])
            self.assertEqual(code, 0, err)
            head, rows, _ = sr.csv_records(out)
            self.assertEqual(head, TANDEM_COLUMNS)
            self.assert_types(rows)
            self.assertEqual([(r["coil"], r["stand"]) for r in rows],
                             [(c, str(s)) for c in ("A1", "B2") for s in range(1, 6)])


USAGE = "Run with --help for the options.\n"  # after a command-line error, as the other tools say

# Each case: the mill file's text (None: the case names its own), the
# arguments ({m} the mill file, {d} the folder), the status, standard
# error, and what the result file r.csv holds ("clean": the lines of the
# clean run, None: no file).
CASES = [
    ("every coil set up", GOOD, ["{m}", "-o", "{d}/r.csv"], 0, "", "clean"),
    ("a coil over its limits is set up", GOOD.replace("max_force = 320.0", "max_force = 1.0"),
     ["{m}", "-o", "{d}/r.csv"], 0, "", "written"),
    ("a coil the file describes wrongly", MILL.split("[[coil]]", 3)[0] + "[[coil]]" + MILL.split("[[coil]]")[1]
     + "[[coil]]" + MILL.split("[[coil]]")[2], ["{m}", "-o", "{d}/r.csv"], 1,
     "orowan-setup: {m}:{line}: key coil.tensions: 1 tensions; expected 2 (one between each two passes)\n",
     "clean and one more"),
    ("a coil with no set-up", GOOD.replace("tension_exit = 0.0", "tension_exit = 60.0"),
     ["{m}", "-o", "{d}/r.csv"], 1, None, "written"),
    ("a stand the file describes wrongly", GOOD.replace("U = 0.07", "U = -0.07"), ["{m}", "-o", "{d}/r.csv"], 1,
     None, None),
    ("a file that is not TOML", "[mill\n", ["{m}", "-o", "{d}/r.csv"], 1, None, None),
    ("a mill file that does not exist", GOOD, ["{d}/none.toml", "-o", "{d}/r.csv"], 1, None, None),
    ("a result file in no folder", GOOD, ["{m}", "-o", "{d}/no/r.csv"], 1,
     "orowan-setup: {d}/no/r.csv: cannot create a temporary file beside it: No such file or directory\n", None),
    ("a result file on a full device", GOOD, ["{m}", "-o", "/dev/full"], 1,
     "orowan-setup: /dev/full: cannot write: No space left on device\n", None),
    ("a page in no folder", GOOD, ["{m}", "-o", "{d}/r.csv", "--html", "{d}/no/p.html"], 1,
     "orowan-setup: {d}/no/p.html: cannot create a temporary file beside it: No such file or directory "
     "(the HTML page is not written)\n", "clean"),
    ("a page on a full device", GOOD, ["{m}", "-o", "{d}/r.csv", "--html", "/dev/full"], 1,
     "orowan-setup: /dev/full: cannot write: No space left on device (the HTML page is not written)\n", "clean"),
    ("an unknown option", GOOD, ["{m}", "-o", "{d}/r.csv", "--bogus"], 2,
     "orowan-setup: The following argument was not expected: --bogus\n" + USAGE, None),
    ("no mill file named", GOOD, ["-o", "{d}/r.csv"], 2, "orowan-setup: MILL is required\n" + USAGE, None),
    ("units that do not exist", GOOD, ["{m}", "-o", "{d}/r.csv", "--units", "kgf"], 2, None, None),
    ("a result file that is the mill file", GOOD, ["{m}", "-o", "{m}"], 2,
     "orowan-setup: -o names the mill file {m}\n", None),
    ("a page that is the result file", GOOD, ["{m}", "-o", "{d}/r.csv", "--html", "{d}/r.csv"], 2,
     "orowan-setup: --html and -o name the same file\n", None),
]


class ExitStatus(unittest.TestCase):
    def test_the_help_promises_these_statuses(self):
        code, out, _ = run(["--help"])
        self.assertEqual(code, 0)
        self.assertIn("Exit status: 0 every coil set up; 1 the file or a coil could not be read or set up, or an "
                      "output not written; 2 a command-line error.", " ".join(out.decode().split()))

    def test_each_cause_alone(self):
        clean = None
        for name, text, args, status, err, results in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as d:
                mill = write(os.path.join(d, "mill.toml"), text)
                code, _, said = run([a.replace("{m}", mill).replace("{d}", d) for a in args])
                self.assertEqual(code, status, said)
                if err is not None:
                    line = text[:text.find("tensions = [5.0]\n")].count("\n") + 1
                    self.assertEqual(said, err.replace("{m}", mill).replace("{d}", d).replace("{line}", str(line)))
                else:  # one message (CLI11's is two lines: the error, and where help is)
                    self.assertEqual(said.count("\n"), 2 if status == 2 else 1, said)
                    self.assertTrue(said.startswith("orowan-setup: "), said)
                self.assertEqual(read(mill).decode(), text)
                written = os.path.join(d, "r.csv")
                if clean is None and status == 0:
                    clean = read(written)
                if results is None:
                    self.assertFalse(os.path.exists(written))
                elif results == "clean":
                    self.assertEqual(read(written), clean)
                elif results == "clean and one more":
                    self.assertTrue(read(written).startswith(clean), read(written))
                    self.assertEqual(read(written).count(b"\n"), clean.count(b"\n") + 1)
                else:
                    self.assertTrue(os.path.exists(written))
                self.assertEqual(sorted(os.listdir(d)), sorted({"mill.toml"} | ({"r.csv"} if results else set())))

    def test_an_interrupted_set_up_leaves_nothing(self):
        for sig in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(sig.name), tempfile.TemporaryDirectory() as d:
                process = subprocess.Popen([SETUP, TANDEM, "-o", os.path.join(d, "r.csv"), "--html",
                                            os.path.join(d, "p.html")], stdout=subprocess.DEVNULL,
                                           stderr=subprocess.PIPE)
                time.sleep(0.3)  # into the first coil's searches (some 0.8 s a coil)
                process.send_signal(sig)
                _, err = process.communicate(timeout=60)
                self.assertEqual(process.returncode, -sig, err)
                self.assertEqual(os.listdir(d), [])


if __name__ == "__main__":
    if len(sys.argv) > 1:
        SETUP = sys.argv.pop(1)
    unittest.main()
