"""orowan-calibrate's outputs read back as a user's program reads them,
and its exit status for each kind of failure alone.

Read back: the summary by a strict JSON parser, the residuals by Python's
csv module (tests/batch/strict_read.py); every key and column of the type
docs/calibration.md states; group values and refusals holding quotes,
commas, a line end, non-ASCII letters and a byte that is not UTF-8 come
back in the parameter names and the refusals; every `line` points at
the log's line.

Exit status (--help): 0 fitted (a refused line is named, not a
failure), 1 the log or an output failed or no line was usable, 2 the
command line; the message, and what was still written.

    outputs_test.py OROWAN_CALIBRATE  (run by ctest)
"""
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "batch"))
import strict_read as sr  # noqa: E402

CALIBRATE = os.environ.get("OROWAN_CALIBRATE", "")

GRADE_A, GRADE_B = 'A "x", é', "B\nzwei"
# Forces orowan-batch gives at U 0.12, grade B's Y 1.15 times grade A's
# (the first three lines' Y): a constant friction and a factor a grade.
LOG = ("R,H1,H2,Y,SGB,SGF,FORCE_MEASURED,GRADE\n"
       '100,2,1.5,20,0,0,193.7782,"A ""x"", é"\n'
       '150,2.5,1.9,25,1,2,316.9969,"A ""x"", é"\n'
       '100,2,1.5,"2,0""",0,0,190,"A ""x"", é"\n'   # line 4: Y holds a comma and a quote
       '200,3,2.2,18,0,1,324.36868,"A ""x"", é"\n'
       "100,2,1.5,20,0,0,222.84503,\"B\nzwei\"\n"    # lines 6-7
       "150,2.5,1.9,25,1,2,,\"B\nzwei\"\n"         # lines 8-9: no force
       "150,2.5,1.9,25,1,2,367.0465,\"B\nzwei\"\n"  # lines 10-11
       "200,3,2.2,18,0,1,373.94006,\"B\nzwei\"\n").encode() + \
    b"200,3,2.2,2\xe97,0,1,373.94006,A\n"          # line 14: a byte that is not UTF-8
USED_LINES = [2, 3, 5, 6, 10, 12]
REFUSED = [(4, 'column Y: expected a number, found "2,0""'), (8, "column FORCE_MEASURED"),
           (14, 'column Y: expected a number, found "2\ufffd7"')]

RESIDUAL_COLUMNS = ["line", "FORCE_MEASURED", "FORCE_COMPUTED", "FORCE_ERROR", "FORWARD_SLIP_MEASURED",
                    "FORWARD_SLIP_COMPUTED", "FORWARD_SLIP_ERROR", "U", "Y_FACTOR"]


def run(args, timeout=300):
    return sr.run_tool(CALIBRATE, args, timeout=timeout)


read = sr.read_bytes


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)
    return path


class ReadBack(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        d = cls.dir.name
        cls.log = write(os.path.join(d, 'log, "é".csv'), LOG)
        cls.status, _, cls.err = run([cls.log, "--flow-factor", "by:GRADE", "-o", os.path.join(d, "s.json"),
                                      "--residuals", os.path.join(d, "r.csv"), "--jobs", "1"])
        cls.summary = read(os.path.join(d, "s.json"))
        cls.residuals = read(os.path.join(d, "r.csv"))

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def test_the_summary_is_strict_json_of_the_guides_types(self):
        self.assertEqual(self.status, 0, self.err)
        s = sr.json_value(self.summary)
        self.assertEqual(list(s["parameters"]), ["U0", f"Y_FACTOR[{GRADE_A}]", f"Y_FACTOR[{GRADE_B}]"])
        for p in s["parameters"].values():
            self.assertEqual(list(p), ["value", "stderr"])
            self.assertIsInstance(p["value"], sr.Number)
            self.assertTrue(p["stderr"] is None or isinstance(p["stderr"], sr.Number))
        self.assertEqual(s["loss"], "squared")
        self.assertEqual((s["lines_used"].text, type(s["converged"]), type(s["termination"])), ("6", bool, str))
        self.assertTrue(s["iterations"].text.isdigit())
        for when in ("before", "after"):
            stats = s["force_error"][when]
            self.assertEqual(list(stats), ["lines", "rms", "largest"])
            self.assertEqual(stats["lines"].text, "6")
            self.assertTrue(all(isinstance(stats[k], sr.Number) for k in ("rms", "largest")))
        self.assertAlmostEqual(s["parameters"]["U0"]["value"], 0.12, delta=0.002)
        ratio = s["parameters"][f"Y_FACTOR[{GRADE_B}]"]["value"] / s["parameters"][f"Y_FACTOR[{GRADE_A}]"]["value"]
        self.assertAlmostEqual(ratio, 1.15, delta=0.01)

    def test_refusals_point_at_their_lines_and_quote_them(self):
        refused = sr.json_value(self.summary)["lines_refused"]
        self.assertEqual([(r["line"].text, type(r["why"])) for r in refused], [(str(n), str) for n, _ in REFUSED])
        for r, (_, why) in zip(refused, REFUSED):
            self.assertIn(why, r["why"])
        for line, _ in REFUSED:
            self.assertIn(f"{self.log}:{line}: column ", self.err)

    def test_residuals_point_at_the_lines_used(self):
        head, rows, _ = sr.csv_records(self.residuals)
        self.assertEqual(head, RESIDUAL_COLUMNS)
        self.assertEqual([int(r["line"]) for r in rows], USED_LINES)
        _, log_rows, starts = sr.csv_records(LOG.replace(b"\xe9", b"9"))
        measured = dict(zip(starts, (r["FORCE_MEASURED"] for r in log_rows)))
        for r in rows:
            for name in RESIDUAL_COLUMNS[1:]:
                kind = "integer" if name == "line" else "double"
                self.assertEqual(sr.cell_problem(kind, r[name]), "", f"line {r['line']} {name}")
            self.assertEqual(float(r["FORCE_MEASURED"]), sr.single(float(measured[int(r["line"])])))  # read as a typed REAL
            miss = (float(r["FORCE_COMPUTED"]) - float(r["FORCE_MEASURED"])) / float(r["FORCE_MEASURED"])
            self.assertAlmostEqual(float(r["FORCE_ERROR"]), miss, delta=1e-12)
            self.assertEqual(r["FORWARD_SLIP_MEASURED"] + r["FORWARD_SLIP_COMPUTED"] + r["FORWARD_SLIP_ERROR"], "")

    def test_a_json_log_names_its_lines(self):
        log = (b'[{"R": 100, "H1": 2, "H2": 1.5, "Y": 20, "FORCE_MEASURED": 193.7782},\n\n'
               b' {"R": 150, "H1": 2.5, "H2": 1.9, "Y": 25, "SGB": 1, "SGF": 2, "FORCE_MEASURED": "x\\u00e9,\\""},\n'
               b' {"R": 150, "H1": 2.5, "H2": 1.9, "Y": 25, "SGB": 1, "SGF": 2, "FORCE_MEASURED": 316.9969}]\n')
        with tempfile.TemporaryDirectory() as d:
            path = write(os.path.join(d, "log.json"), log)
            code, out, err = run([path, "--residuals", os.path.join(d, "r.csv"), "--jobs", "1"])
            self.assertEqual(code, 0, err)
            _, rows, _ = sr.csv_records(read(os.path.join(d, "r.csv")))
        s = sr.json_value(out)
        self.assertEqual([(r["line"].text, r["why"]) for r in s["lines_refused"]],
                         [("3", 'column FORCE_MEASURED: expected a number, found "xé,"" (F6102)')])
        self.assertEqual([r["line"] for r in rows], ["1", "4"])


GOOD = b"R,H1,H2,Y,SGB,SGF,FORCE_MEASURED\n100,2,1.5,20,0,0,193.7782\n150,2.5,1.9,25,1,2,316.9969\n"
USAGE = "Run with --help for the options.\n"

# Each case: the log, the arguments ({l} the log, {d} the folder), the
# status, standard error (None: one line, or CLI11's two), and the files
# the folder holds afterwards besides the log.
CASES = [
    ("fitted", GOOD, ["{l}", "-o", "{d}/s.json", "--residuals", "{d}/r.csv"], 0, "", {"s.json", "r.csv"}),
    ("a refused line is named, and the rest fitted", GOOD + b"100,2,1.5,20,0,0,-5\n",
     ["{l}", "-o", "{d}/s.json"], 0, "{l}:4: column FORCE_MEASURED: must be above 0, found -5\n", {"s.json"}),
    ("no line usable", GOOD.split(b"\n")[0] + b"\n100,2,1.5,20,0,0,-5\n", ["{l}", "-o", "{d}/s.json"], 1,
     "{l}:2: column FORCE_MEASURED: must be above 0, found -5\norowan-calibrate: {l}: no line can be used\n", set()),
    ("a log without the measured force", b"R,H1,H2,Y\n100,2,1.5,20\n", ["{l}", "-o", "{d}/s.json"], 1, None, set()),
    ("a log that does not exist", GOOD, ["{d}/none.csv", "-o", "{d}/s.json"], 1,
     "orowan-calibrate: {d}/none.csv: cannot open\n", set()),
    ("a log that is a folder", GOOD, ["{d}", "-o", "{d}/s.json"], 1,
     "orowan-calibrate: {d}: cannot read: it is a directory\n", set()),
    ("a summary in no folder", GOOD, ["{l}", "-o", "{d}/no/s.json"], 1,
     "orowan-calibrate: {d}/no/s.json: cannot create a temporary file beside it: No such file or directory\n",
     set()),
    ("a summary on a full device", GOOD, ["{l}", "-o", "/dev/full"], 1,
     "orowan-calibrate: /dev/full: cannot write: No space left on device\n", set()),
    ("residuals in no folder", GOOD, ["{l}", "-o", "{d}/s.json", "--residuals", "{d}/no/r.csv"], 1,
     "orowan-calibrate: {d}/no/r.csv: cannot create a temporary file beside it: No such file or directory\n",
     {"s.json"}),
    ("a page on a full device", GOOD, ["{l}", "-o", "{d}/s.json", "--residuals", "{d}/r.csv", "--html", "/dev/full"],
     1, "orowan-calibrate: /dev/full: cannot write: No space left on device\n", {"s.json", "r.csv"}),
    ("an unknown option", GOOD, ["{l}", "--bogus"], 2, None, set()),
    ("no log named", GOOD, ["-o", "{d}/s.json"], 2, None, set()),
    ("a law that does not exist", GOOD, ["{l}", "--friction", "square:V"], 2, None, set()),
    ("a law naming a column twice", GOOD, ["{l}", "--friction", "linear:V,V"], 2,
     'orowan-calibrate: --friction/--flow-factor: "linear:V,V": column V is named twice\n' + USAGE, set()),
    ("a loss that does not exist", GOOD, ["{l}", "--loss", "square"], 2, None, set()),
    ("a summary that is the log", GOOD, ["{l}", "-o", "{l}"], 2, None, set()),
    ("two outputs on one file", GOOD, ["{l}", "-o", "{d}/s.json", "--residuals", "{d}/s.json"], 2, None, set()),
]


class ExitStatus(unittest.TestCase):
    def test_the_help_promises_these_statuses(self):
        code, out, _ = run(["--help"])
        self.assertEqual(code, 0)
        self.assertIn("Exit status: 0 fitted, 1 the log or an output failed or no line was usable, 2 the command "
                      "line is wrong.", " ".join(out.decode().split()))

    def test_each_cause_alone(self):
        for name, log, args, status, err, files in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as d:
                path = write(os.path.join(d, "log.csv"), log)
                code, out, said = run([a.replace("{l}", path).replace("{d}", d) for a in args] + ["--jobs", "1"])
                self.assertEqual(code, status, said)
                if err is not None:
                    self.assertEqual(said, err.replace("{l}", path).replace("{d}", d))
                else:
                    self.assertEqual(said.count("\n"), 2 if status == 2 else 1, said)
                    self.assertTrue(said.startswith("orowan-calibrate: "), said)
                self.assertEqual(read(path), log)
                self.assertEqual(set(os.listdir(d)), files | {"log.csv"})
                if "s.json" in files:
                    sr.json_value(read(os.path.join(d, "s.json")))
                if status != 0:
                    self.assertEqual(out, b"")

    def test_an_interrupted_fit_leaves_nothing(self):
        rows = [f"{100 + i},2,1.5,{20 + i % 7},0,0,{190 + i % 13}" for i in range(400)]
        log = ("R,H1,H2,Y,SGB,SGF,FORCE_MEASURED\n" + "\n".join(rows) + "\n").encode()
        for sig in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(sig.name), tempfile.TemporaryDirectory() as d:
                path = write(os.path.join(d, "log.csv"), log)
                process = subprocess.Popen([CALIBRATE, path, "-o", os.path.join(d, "s.json"), "--residuals",
                                            os.path.join(d, "r.csv"), "--jobs", "1"],
                                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
                time.sleep(0.3)
                process.send_signal(sig)
                _, err = process.communicate(timeout=60)
                self.assertEqual(process.returncode, -sig, err)
                self.assertEqual(os.listdir(d), ["log.csv"])


if __name__ == "__main__":
    if len(sys.argv) > 1:
        CALIBRATE = sys.argv.pop(1)
    unittest.main()
