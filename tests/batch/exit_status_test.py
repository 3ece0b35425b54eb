"""orowan-batch's exit status for every kind of failure it knows, each
the only problem of its run (every input line good unless the line is
the cause): the status --help and docs/batch.md promise, the one message
on standard error, and nothing else lost (the results that can be
written are those of a clean run, byte for byte; nothing is left that
should not be).

    exit_status_test.py OROWAN_BATCH  (run by ctest)
"""
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

BATCH = os.environ.get("OROWAN_BATCH", "")

GOOD = "R,H1,H2,Y,SGB,SGF,U\n100,2,1.5,20,0,0,0.1\n100,,1.2,22,0,0,0.1\n"
# A fault and a pass without a neutral point are results, not failures.
RESULTS_NOT_FAILURES = "R,H1,H2,Y,SGB,SGF,U\n100,2,1.5,20,0,0,0\n100,2,1.5,20,0,25,0.05\n"
BAD_LINE = "R,H1,H2,Y,SGB,SGF,U\n100,2,1.5,20,0,0,0.1\n100,,1.2,22,0,0,0.1x\n"
TWICE = "R,H1,H2,Y,SGB,SGF,U,U\n100,2,1.5,20,0,0,0.1,7\n100,,1.2,22,0,0,0.1,7\n"
NO_U = "R,H1,H2,Y,SGB,SGF\n100,2,1.5,20,0,0\n"
USAGE = "Run with --help for the options.\n"

# Each case: the input's text, the arguments after the input ({d} the
# run's folder, {in} the input; a case naming {d}... first names its own), the status, standard error ({d} and {in} again), what the
# result file r.csv holds afterwards ("clean": the clean run's bytes,
# None: no file), and the files the folder holds afterwards.
CASES = [
    # -- 0: nothing failed
    ("faults and slips are results", RESULTS_NOT_FAILURES, ["-o", "{d}/r.csv"], 0, "", "clean", ["in.csv", "r.csv"]),
    # -- 1: a line, the input or its header could not be read
    ("an unreadable line", BAD_LINE, ["-o", "{d}/r.csv"], 1,
     '{in}:3: column U: expected a number, found "0.1x" (F6103)\n', "first line clean", ["in.csv", "r.csv"]),
    ("a header naming a column twice", TWICE, ["-o", "{d}/r.csv"], 1,
     "{in}:1: column U: named twice (the second is ignored)\n", "clean of GOOD", ["in.csv", "r.csv"]),
    ("a header without a required column", NO_U, ["-o", "{d}/r.csv"], 1,
     "orowan-batch: {in}:1: column U: required, but the header does not name it\n", None, ["in.csv"]),
    ("an input that does not exist", GOOD, ["{d}/none.csv", "-o", "{d}/r.csv"], 1,
     "orowan-batch: {d}/none.csv: cannot open: No such file or directory\n", None, ["in.csv"]),
    ("an input that is a folder", GOOD, ["{d}", "-o", "{d}/r.csv"], 1,
     "orowan-batch: {d}: cannot read: it is a directory\n", None, ["in.csv"]),
    # -- 1: an output could not be written
    ("a result file in no folder", GOOD, ["-o", "{d}/no/r.csv"], 1,
     "orowan-batch: {d}/no/r.csv: cannot create a temporary file beside it: No such file or directory\n", None,
     ["in.csv"]),
    ("a result file onto a folder", GOOD, ["-o", "{d}/sub"], 1,
     "orowan-batch: {d}/sub: cannot write: it is a directory\n", None, ["in.csv", "sub"]),
    ("a result file on a full device", GOOD, ["-o", "/dev/full"], 1,
     "orowan-batch: /dev/full: cannot write: No space left on device\n", None, ["in.csv"]),
    ("a step file in no folder", GOOD, ["-o", "{d}/r.csv", "--steps-out", "{d}/no/s.csv"], 1,
     "orowan-batch: {d}/no/s.csv: cannot create a temporary file beside it: No such file or directory\n", None,
     ["in.csv"]),
    ("a step file on a full device", GOOD, ["-o", "{d}/r.csv", "--steps-out", "/dev/full"], 1,
     "orowan-batch: /dev/full: cannot write: No space left on device\n", None, ["in.csv"]),
    ("a picture folder under a file", GOOD, ["-o", "{d}/r.csv", "--svg", "{in}/pictures"], 1,
     "orowan-batch: {in}/pictures: cannot create the directory: Not a directory (no further SVG files are written)\n",
     "clean", ["in.csv", "r.csv"]),
    ("a picture folder in no folder", GOOD, ["-o", "{d}/r.csv", "--svg", "{d}/no/pictures"], 1,
     "orowan-batch: {d}/no/pictures: cannot create the directory: No such file or directory "
     "(no further SVG files are written)\n", "clean", ["in.csv", "r.csv"]),
    ("a page in no folder", GOOD, ["-o", "{d}/r.csv", "--html", "{d}/no/page.html"], 1,
     "orowan-batch: {d}/no/page.html: cannot create a temporary file beside it: No such file or directory "
     "(the HTML page is not written)\n", "clean", ["in.csv", "r.csv"]),
    ("a page on a full device", GOOD, ["-o", "{d}/r.csv", "--html", "/dev/full"], 1,
     "orowan-batch: /dev/full: cannot write: No space left on device (the HTML page is not written)\n", "clean",
     ["in.csv", "r.csv"]),
    # -- 2: the command line is wrong; nothing is read or written
    ("an unknown option", GOOD, ["-o", "{d}/r.csv", "--bogus"], 2,
     "orowan-batch: The following argument was not expected: --bogus\n" + USAGE, None, ["in.csv"]),
    ("a sweep that ends below its start", GOOD, ["-o", "{d}/r.csv", "--vary", "U=0.3:0.1:0.05"], 2, None, None,
     ["in.csv"]),
    ("units that do not exist", GOOD, ["-o", "{d}/r.csv", "--units", "imperial"], 2, None, None, ["in.csv"]),
    ("an empty result name", GOOD, ["-o", ""], 2,
     "orowan-batch: --output: needs a file name (- for standard output)\n" + USAGE, None, ["in.csv"]),
    ("a result file that is the input", GOOD, ["-o", "{in}"], 2, None, "input kept", ["in.csv"]),
    ("a kept column that is an input column", GOOD, ["-o", "{d}/r.csv", "--keep", "R"], 2,
     "orowan-batch: --keep R: is an input column, already in the results\n" + USAGE, None, ["in.csv"]),
    ("steps to standard output as CSV", GOOD, ["--steps"], 2,
     "orowan-batch: --steps: with CSV to standard output, name the step file: --steps-out FILE\n" + USAGE, None,
     ["in.csv"]),
    ("a picture with the converged solver", GOOD, ["-o", "{d}/r.csv", "--solver", "converged", "--svg", "{d}/p"], 2,
     None, None, ["in.csv"]),
]


def run(args, cwd=None):
    done = subprocess.run([BATCH, *args], capture_output=True, timeout=300, cwd=cwd)
    return done.returncode, done.stdout, done.stderr.decode("utf-8", "replace")


def clean_results(text):
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "in.csv")
        with open(path, "w") as f:
            f.write(text)
        code, out, err = run([path])
        assert code == 0 and err == "", err
        return out


def read(path):
    with open(path, "rb") as f:
        return f.read()


class ExitStatus(unittest.TestCase):
    def test_the_help_promises_these_statuses(self):
        code, out, _ = run(["--help"])
        said = " ".join(out.decode().split())
        self.assertEqual(code, 0)
        self.assertIn("Exit status: 0 every line was read (a pass that faults is a result, not a failure), "
                      "1 a line or the input could not be read, or an output (a picture too) could not be written, "
                      "2 the command line is wrong.", said)

    def test_each_cause_alone(self):
        for name, text, args, status, err, results, files in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as d:
                source = os.path.join(d, "in.csv")
                with open(source, "w") as f:
                    f.write(text)
                os.mkdir(os.path.join(d, "sub"))
                subst = [a.replace("{d}", d).replace("{in}", source) for a in args]
                if not args[0].startswith("{d}"):  # the input first, unless the case names its own
                    subst.insert(0, source)
                code, _, said = run(subst)
                self.assertEqual(code, status, said)
                if err is not None:
                    self.assertEqual(said, err.replace("{d}", d).replace("{in}", source))
                elif status == 2:  # CLI11's words; ours begin and end the same way
                    self.assertTrue(said.startswith("orowan-batch: ") and said.endswith(USAGE), said)
                    self.assertEqual(said.count("\n"), 2, said)
                left = sorted(n for n in os.listdir(d) if n != "sub" or "sub" in files)
                self.assertEqual(left, sorted(files))
                written = os.path.join(d, "r.csv")
                if results is None:
                    self.assertFalse(os.path.exists(written))
                elif results == "clean":
                    self.assertEqual(read(written), clean_results(text))
                elif results == "clean of GOOD":
                    self.assertEqual(read(written), clean_results(GOOD))
                elif results == "first line clean":
                    got, want = read(written).split(b"\n"), clean_results(GOOD).split(b"\n")
                    self.assertEqual(got[:2], want[:2])
                    self.assertTrue(got[2].startswith(b"3,100,1.5,1.2,22,0,0,,") and b",error," in got[2], got[2])
                elif results == "input kept":
                    self.assertEqual(read(source).decode(), text)

    def test_an_interrupted_run_leaves_nothing(self):
        # SIGHUP, SIGPIPE (output_safety_test), SIGINT and SIGTERM
        # (batch_e2e_test) are tested there; these are the rest the guide names.
        for sig in (signal.SIGQUIT, signal.SIGXFSZ, signal.SIGINT):
            with self.subTest(sig.name), tempfile.TemporaryDirectory() as d:
                source = os.path.join(d, "in.csv")
                with open(source, "w") as f:
                    f.write(GOOD)
                args = [BATCH, source, "-o", os.path.join(d, "r.csv"), "--steps", "--html", os.path.join(d, "p.html"),
                        "--vary", "U=0.001:1:0.001", "--jobs", "1"]
                process = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
                deadline = time.monotonic() + 60
                while time.monotonic() < deadline and not any(
                        ".tmp-" in n and os.path.getsize(os.path.join(d, n)) > 0 for n in os.listdir(d)):
                    time.sleep(0.01)
                process.send_signal(sig)
                _, err = process.communicate(timeout=60)
                self.assertEqual(process.returncode, -sig, err)  # ended by the signal itself: 128 + its number
                self.assertEqual(os.listdir(d), ["in.csv"])


if __name__ == "__main__":
    if len(sys.argv) > 1:
        BATCH = sys.argv.pop(1)
    unittest.main()
