"""orowan-batch's result and step files read back as a user's program
reads them: Python's csv module and pandas for CSV, a strict JSON parser
for JSON (strict_read.py). Every cell has the type docs/batch.md (and
docs/hot-rolling.md, docs/calibration.md for their columns) states; texts
with quotes, commas, line ends and non-ASCII letters come back as they
went in; `line` and `case` point at the input line and sweep case; a
step file's `step` runs 1..N on each side of each pass.

    read_back_test.py OROWAN_BATCH  (run by ctest)
"""
import csv
import io
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import strict_read as sr  # noqa: E402

BATCH = os.environ.get("OROWAN_BATCH", "")

# ---- what the guide states for every column (docs/batch.md, Output)

STATUS = sr.re.compile(r"ok|no neutral point|M6[0-9]{3}|no flattened radius|error|out of reach|not converged")
INPUTS = ["R", "H1", "H2", "Y", "SGB", "SGF", "U"]
SUMMARY = ["REDUCTION_RATIO", "XL", "OM", "XN", "ON", "NEUTRAL_F", "NEUTRAL_P", "PM", "ROLLING_FORCE", "G",
           "TORQUE_ARM"]
LATER_TYPED = ["CURVE", "K", "N", "EPS0", "S0", "EPS", "E", "NU", "V"]
LATER = ["EPS_IN", "EPS_OUT", "Y_ENTRY", "Y_EXIT", "Y_MEAN", "R_FLAT", "R_FLAT_ITERATIONS", "R_FLAT_RESIDUAL",
         "FORWARD_SLIP", "BACKWARD_SLIP", "V_EXIT", "V_ENTRY", "POWER"]
HOT_TYPED = ["FLOW", "C", "A"] + [f"M{i}" for i in range(1, 10)] + [
    "EPS_MIN", "T", "TRANSFER", "EMISSIVITY", "H_CONV", "T_AMBIENT", "DESCALE", "H_WATER", "H_CONTACT", "T_ROLL",
    "ETA", "RHO", "CP", "ALPHA"]
HOT = ["EPS_RATE_MEAN", "T_ENTRY", "T_EXIT", "T_RISE", "T_DROP_ROLL", "H1_HOT", "H2_HOT"]
FIT = ["FORCE_MEASURED", "FORWARD_SLIP_MEASURED", "U_FIT", "Y_FACTOR", "H2_FIT", "FIT_RESIDUAL",
       "FIT_SLIP_RESIDUAL", "FIT_SOLVES", "FIT_END"]
STEP_COLUMNS = ["X", "PHI", "O", "SL/ST", "F", "P", "P/K", "SGX", "SGX/K", "TAU", "H", "U", "RK", "A", "W"]

TYPES = {"line": "integer", "case": "integer", "status": STATUS, "message": "text",
         "stage": {"geometry", "march", "load", "summary"}, "side": {"exit", "entry"}, "step": "integer",
         "CURVE": {"swift", "ludwik"}, "FLOW": {"misaka", "shida", "hensel-spittel"},
         "R_FLAT_ITERATIONS": "integer", "STEPS_PER_SIDE": "integer", "FIT_SOLVES": "integer",
         "FIT_END": {"met", "jump"}}


def header(sweep=False, steps_per_side=False, fit=False, kept=()):
    """The result columns in the order the guide lists them."""
    names = ["line"] + (["case"] if sweep else []) + INPUTS + SUMMARY + ["status", "message", "stage", "side", "step"]
    names += LATER_TYPED + LATER + (["STEPS_PER_SIDE"] if steps_per_side else []) + HOT_TYPED + HOT
    return names + (FIT if fit else []) + list(kept)


def kind_of(name, kept, doubles=False):
    if name in kept:
        return "text"
    return TYPES.get(name, "double" if doubles else "single")


def run(*args, stdin=b""):
    done = subprocess.run([BATCH, *args], input=stdin, capture_output=True, timeout=300)
    return done.returncode, done.stdout, done.stderr.decode("utf-8", "replace")


# Texts a user's columns hold: quotes, commas, line ends (LF and CR LF),
# non-ASCII letters, leading and trailing blanks, a lone quote.
AWKWARD = ['say "hi", then\nstop', "Stahl, géwalzt – 日本", "  padded  ", 'one "', "crlf\r\nend", "", "plain"]


def csv_field(text):
    return '"' + text.replace('"', '""') + '"'


# Lines of a CSV input: (fields without NOTE, the result's expectation).
PASSES = [
    ("100,2,1.5,20,0,0,0.1", "ok"),                 # the example pass
    ("100,2,1.5,20,0,0,0", "M6103"),                # a fault in the exit march's first step
    ("100,2,1.5,20,0,25,0.05", "no neutral point"),
    ('100,2,1.5,20,0,0,"0,1"" é\nx"', "error"),    # a value holding a comma, a quote, a line end
    ("100,,1.2,22,0,0,0.1", "ok"),                  # a schedule line
    ("250,1,0.8,60,0,0,0.08", "ok"),                # with E and V below
]


def csv_input():
    """The input's bytes, with a blank line and records spanning lines."""
    lines = ["R,H1,H2,Y,SGB,SGF,U,NOTE,TAG,E,V"]
    for i, (fields, _) in enumerate(PASSES):
        extra = ",21000,600" if i == 5 else ",,"
        lines.append(f"{fields},{csv_field(AWKWARD[i % len(AWKWARD)])},t{i}{extra}")
        if i == 1:
            lines.append("")  # a blank line is skipped, and counted
    return ("\n".join(lines) + "\n").encode()


def input_records(data):
    """The input's records by the line each starts on (csv module)."""
    _, rows, starts = sr.csv_records(data, blank_lines=True)
    return dict(zip(starts, rows))


read = sr.read_bytes


class CellTypes:
    def assert_cells(self, rows, kept=(), doubles=False):
        for row in rows:
            for name, text in row.items():
                problem = sr.cell_problem(kind_of(name, kept, doubles), text)
                self.assertEqual(problem, "", f"line {row.get('line')}, column {name}")

    def assert_json_cells(self, objects, kept=(), doubles=False):
        for o in objects:
            for name, value in o.items():
                if name == "steps" or name in kept:
                    continue
                problem = sr.json_problem(kind_of(name, kept, doubles), value)
                self.assertEqual(problem, "", f"line {o.get('line')}, key {name}")


class CsvResults(unittest.TestCase, CellTypes):
    """One run: results, steps and the kept texts of an awkward input."""

    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        d = cls.dir.name
        # a file name with a comma, a quote and a non-ASCII letter
        cls.input = os.path.join(d, 'in, "é".csv')
        with open(cls.input, "wb") as f:
            f.write(csv_input())
        cls.status, _, cls.err = run(cls.input, "--keep", "NOTE,TAG", "-o", os.path.join(d, "r.csv"), "--steps")
        cls.data = read(os.path.join(d, "r.csv"))
        cls.steps = read(os.path.join(d, "r.steps.csv"))
        cls.head, cls.rows, _ = sr.csv_records(cls.data)

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def test_header_and_types_are_the_guides(self):
        self.assertEqual(self.head, header(kept=("NOTE", "TAG")))
        self.assert_cells(self.rows, kept=("NOTE", "TAG"))

    def test_each_result_points_at_its_input_line(self):
        records = input_records(csv_input())
        self.assertEqual([int(r["line"]) for r in self.rows], sorted(records))
        for row, (fields, status) in zip(self.rows, PASSES):
            typed = records[int(row["line"])]
            self.assertEqual(row["status"], status, row["line"])
            for name in ("NOTE", "TAG"):  # texts as they went in
                self.assertEqual(row[name], typed[name], f"line {row['line']}, {name}")
            for name in ("R", "H2", "Y", "E", "V"):  # numbers echo the typed values
                if typed[name]:
                    self.assertEqual(sr.single(float(row[name])), sr.single(float(typed[name])), name)

    def test_a_message_quoting_the_input_survives(self):
        bad = next(r for r in self.rows if r["status"] == "error")
        self.assertIn('found "0,1" é\nx"', bad["message"])
        escaped = bad["message"].replace("\n", "\\x0a")
        self.assertIn(f"{self.input}:{bad['line']}: {escaped}\n", self.err)
        self.assertEqual(self.status, 1)

    def test_a_fault_says_where(self):
        fault = next(r for r in self.rows if r["status"] == "M6103")
        self.assertEqual((fault["stage"], fault["side"], fault["step"]), ("march", "exit", "1"))
        for r in self.rows:
            if r["status"] != "M6103":
                self.assertEqual((r["stage"], r["side"], r["step"]), ("", "", ""), r["line"])

    def test_pandas_reads_the_types(self):
        import pandas as pd
        frame = pd.read_csv(io.BytesIO(self.data), float_precision="round_trip", keep_default_na=False,
                            na_values={c: [""] for c in self.head if c not in ("NOTE", "TAG", "message")})
        self.assertEqual(list(frame.columns), self.head)
        self.assertEqual(frame["line"].dtype.kind, "i")
        for name in INPUTS + SUMMARY + LATER:  # numbers (whole ones, as R, may read as integers)
            self.assertIn(frame[name].dtype.kind, "fi", name)
        self.assertEqual(list(frame["NOTE"]), [r["NOTE"] for r in self.rows])
        self.assertEqual(list(frame["message"]), [r["message"] for r in self.rows])
        for r, force in zip(self.rows, frame["ROLLING_FORCE"]):
            if r["ROLLING_FORCE"]:
                self.assertEqual(force, float(r["ROLLING_FORCE"]))

    def test_steps_run_one_to_n_on_each_side(self):
        head, rows, _ = sr.csv_records(self.steps)
        self.assertEqual(head, ["line", "side", "step"] + STEP_COLUMNS)
        for row in rows:
            for name in STEP_COLUMNS:
                self.assertEqual(sr.cell_problem("step", row[name], empty_allowed=False), "", name)
        with_pass = [r["line"] for r in self.rows if r["status"] in ("ok", "no neutral point")]
        self.assertEqual(runs_of(self, rows, ("line",)), [(line, side) for line in with_pass
                                                          for side in ("exit", "entry")])

    def test_steps_are_the_json_steps(self):
        code, out, _ = run(self.input, "--json", "--steps")
        self.assertEqual(code, 1)
        _, rows, _ = sr.csv_records(self.steps)
        by_pass = {}
        for row in rows:
            by_pass.setdefault((row["line"], row["side"]), []).append(row)
        objects = [o for o in sr.json_value(out) if "steps" in o]
        self.assertEqual({(str(int(o["line"])), side) for o in objects for side in ("exit", "entry")
                          if o["steps"][side]["X"]}, set(by_pass))
        for o in objects:
            for side in ("exit", "entry"):
                steps = by_pass.get((str(int(o["line"])), side), [])
                for name in STEP_COLUMNS:
                    texts = [v if isinstance(v, str) else v.text for v in o["steps"][side][name]]
                    self.assertEqual(texts, [s[name] for s in steps], f"line {o['line']} {side} {name}")


def runs_of(test, rows, keys):
    """The (keys..., side) runs of a step file, checking each run's step
    column counts 1, 2, ... N."""
    runs, previous = [], None
    for row in rows:
        key = tuple(row[k] for k in keys) + (row["side"],)
        if key != previous:
            test.assertNotIn(key, runs, "a pass's side split in two")
            runs.append(key)
            count, previous = 0, key
        count += 1
        test.assertEqual(row["step"], str(count), key)
    return runs


class JsonResults(unittest.TestCase, CellTypes):
    def test_json_results_are_the_csv_results(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "in.csv")
            with open(path, "wb") as f:
                f.write(csv_input())
            _, csv_out, _ = run(path, "--keep", "NOTE,TAG")
            code, out, _ = run(path, "--keep", "NOTE,TAG", "--json", "--steps")
        self.assertEqual(code, 1)
        head, rows, _ = sr.csv_records(csv_out)
        objects = sr.json_value(out)
        self.assert_json_cells(objects, kept=("NOTE", "TAG"))
        self.assertEqual(len(objects), len(rows))
        for o, row in zip(objects, rows):
            self.assertEqual([k for k in o if k != "steps"], head)
            for name in head:
                value = o[name]
                text = "" if value is None else value.text if isinstance(value, sr.Number) else value
                self.assertEqual(text, row[name], f"line {row['line']}, {name}")

    def test_json_input_lines_and_kept_values(self):
        # objects a line each, a blank line, two objects on one line (the
        # second named by its line), kept strings, numbers as written,
        # literals, a key the line lacks; a text with every awkward byte
        text = ('[{"R": 100, "H1": 2, "H2": 1.5, "Y": 20, "U": 0.1, "NOTE": "a \\"q\\", \\u00e9\\nx\\r\\n", '
                '"N2": 1.50, "B": true},\n\n'
                '  {"R": 100, "H1": 2, "H2": 1.5, "Y": 20, "U": "0.1x", "NOTE": 7e0},'
                ' {"R": 100, "H1": 2, "H2": 1.5, "Y": 20, "U": 0.1, "B": null}]\n')
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "p,\"é\".json")
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            code, out, err = run(path, "--json", "--keep", "NOTE,N2,B")
            _, csv_out, _ = run(path, "--keep", "NOTE,N2,B")
        objects = sr.json_value(out)
        self.assert_json_cells(objects, kept=("NOTE", "N2", "B"))
        self.assertEqual([int(o["line"]) for o in objects], [1, 3, 3])
        self.assertEqual([o["status"] for o in objects], ["ok", "error", "ok"])
        self.assertEqual(objects[0]["NOTE"], 'a "q", é\nx\r\n')
        self.assertEqual((objects[0]["N2"].text, objects[0]["B"]), ("1.50", True))
        self.assertEqual((objects[1]["NOTE"].text, objects[1]["N2"], objects[2]["B"]), ("7e0", None, None))
        self.assertEqual(code, 1)
        self.assertIn(f'{path}:3: element 2 at byte', err)
        _, rows, _ = sr.csv_records(csv_out)
        self.assertEqual([(r["line"], r["NOTE"], r["N2"], r["B"]) for r in rows],
                         [("1", 'a "q", é\nx\r\n', "1.50", "true"), ("3", "7e0", "", ""), ("3", "", "", "")])

    def test_a_text_that_is_not_utf8_is_still_json(self):
        data = b'R,H1,H2,Y,SGB,SGF,U,NOTE\n100,2,1.5,20,0,0,0.1,Walzger\xfcst\n100,2,1.5,20,0,0,0.1\xe9,x\n'
        code, out, _ = run("--json", "--keep", "NOTE", stdin=data)
        objects = sr.json_value(out)  # strict UTF-8
        self.assertEqual(objects[0]["NOTE"], "Walzger\ufffdst")
        self.assertIn('found "0.1\ufffd"', objects[1]["message"])
        self.assertEqual(code, 1)


class SweepsAndSolvers(unittest.TestCase, CellTypes):
    def test_cases_count_the_sweep_outermost_first(self):
        data = b"R,H1,H2,Y,SGB,SGF,U\n100,2,1.5,20,0,0,0.1\n100,,1.2,22,0,0,0.1\n"
        u = ["0.05", "0.1", "0.15"]
        sgf = ["0", "5", "10", "15"]
        with tempfile.TemporaryDirectory() as d:
            out = os.path.join(d, "r.csv")
            code, _, err = run("-", "--vary", "U=0.05:0.15:0.05", "--vary", "SGF=0:15:5", "--units", "si",
                               "-o", out, "--steps", stdin=data)
            self.assertEqual(code, 0, err)
            head, rows, _ = sr.csv_records(read(out))
            steps_head, steps, _ = sr.csv_records(read(os.path.join(d, "r.steps.csv")))
        self.assertEqual(head, header(sweep=True))
        self.assert_cells(rows)
        cases = [(line, case) for line in ("2", "3") for case in range(1, 13)]
        self.assertEqual([(r["line"], int(r["case"])) for r in rows], cases)
        for r in rows:
            outer, inner = divmod(int(r["case"]) - 1, len(sgf))
            self.assertEqual((r["U"], r["SGF"]), (u[outer], sgf[inner]), r["case"])
        self.assertEqual(steps_head, ["line", "case", "side", "step"] + STEP_COLUMNS)
        with_pass = [(r["line"], r["case"]) for r in rows if r["status"] in ("ok", "no neutral point")]
        self.assertEqual(runs_of(self, steps, ("line", "case")),
                         [p + (side,) for p in with_pass for side in ("exit", "entry")])

    def test_converged_and_fitted_columns(self):
        data = b"R,H1,H2,Y,SGB,SGF,U,FORCE_MEASURED\n100,2,1.5,20,0,0,0.1,193.7782\n100,2,1.5,20,0,0,,5\n"
        code, out, err = run("-", "--solver", "converged", stdin=data)
        self.assertEqual(code, 1, err)  # the second line has no U
        head, rows, _ = sr.csv_records(out)
        self.assertEqual(head, header(steps_per_side=True))
        self.assert_cells(rows, doubles=True)
        self.assertEqual(rows[0]["ROLLING_FORCE"], "185.63613203160253")
        code, out, err = run("-", "--fit", "U", "--json", stdin=data)
        self.assertEqual(code, 0, err)
        objects = sr.json_value(out)
        self.assertEqual(list(objects[0]), header(fit=True))
        self.assert_json_cells(objects)
        self.assertEqual([o["status"] for o in objects], ["ok", "out of reach"])
        code, out, err = run("-", "--fit", "U", stdin=data)
        head, rows, _ = sr.csv_records(out)
        self.assertEqual(head, header(fit=True))
        self.assert_cells(rows)


class KeptNames(unittest.TestCase):
    def test_a_kept_name_never_repeats_a_result_column(self):
        data = b"R,H1,H2,Y,SGB,SGF,U,T_ENTRY,U_FIT,steps\n100,2,1.5,20,0,0,0.1,5,6,7\n"
        for args in (["--keep", "T_ENTRY"], ["--keep", "H2_HOT"], ["--keep", "U_FIT", "--fit", "U"],
                     ["--keep", "steps", "--json", "--steps"]):
            code, out, err = run("-", *args, stdin=data)
            self.assertEqual(code, 2, args)
            self.assertIn(f"--keep {args[1]}: is the name of a result column", err)
            self.assertEqual(out, b"")
        # where the tool writes no such column, the name is the user's
        code, out, err = run("-", "--keep", "U_FIT", stdin=data)
        self.assertEqual((code, sr.csv_records(out)[1][0]["U_FIT"]), (0, "6"), err)
        code, out, err = run("-", "--keep", "steps", "--json", stdin=data)
        self.assertEqual((code, sr.json_value(out)[0]["steps"]), (0, "7"), err)  # CSV text: a string


if __name__ == "__main__":
    if len(sys.argv) > 1:
        BATCH = sys.argv.pop(1)
    unittest.main()
