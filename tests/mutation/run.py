#!/usr/bin/env python3
"""Mutation check: do the tests notice realistic faults?

  run.py [--list FILE] [--only ID[,ID...]] [--jobs N] [--keep DIR]
  run.py --check-list [--list FILE]

Copies the project's tracked files (as they are in the working tree) to a
scratch folder, builds them once and runs the test suite there (without
the compiler-independence test; with the web page when emscripten is
installed) to make sure it passes. Then, for every
mutant of the list (tests/mutation/mutants.toml), it replaces the mutant's
text in its file (the text must stand there exactly once), rebuilds, runs
the unit tests and then the rest of the suite, stopping at the first
failing test, and puts the file back; a mutant's optional `tests` (a CTest
regular expression naming the tests expected to notice it) run before the
rest, so that a mutant only a late test notices costs seconds, not the
whole suite. A mutant is killed when the build succeeds and a test fails
(the first failing test is printed). A mutant marked equivalent (it changes nothing
observable; the list says why) is not run. The check fails when a
non-equivalent mutant survives, when a mutant's text is not found (the
code moved on: update the list), or when a mutant does not compile (a
mutant must model a mistake that compiles). Before anything is built,
every mutant's text is looked for in the working tree, so that a list the
code has moved away from fails in a second, not after the baseline; the
test suite runs that look alone (--check-list) as the test mutation_list.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import tomllib

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.normpath(os.path.join(HERE, "..", ".."))


def load_mutants(path):
    with open(path, "rb") as f:
        mutants = tomllib.load(f)["mutant"]
    ids = [m["id"] for m in mutants]
    duplicates = {i for i in ids if ids.count(i) > 1}
    if duplicates:
        sys.exit(f"mutants listed twice: {', '.join(sorted(duplicates))}")
    for m in mutants:
        for key in ("id", "file", "from", "to", "models"):
            if key not in m:
                sys.exit(f"mutant {m.get('id', '?')}: no '{key}'")
    return mutants


def misplaced(mutants, top):
    """The mutants whose text does not stand exactly once in their file
    (or whose file is gone), each as 'id: file: why'."""
    problems = []
    for m in mutants:
        path = os.path.join(top, m["file"])
        if not os.path.isfile(path):
            problems.append(f"{m['id']}: {m['file']}: no such file")
            continue
        with open(path, encoding="utf-8") as f:
            count = f.read().count(m["from"])
        if count != 1:
            problems.append(f"{m['id']}: {m['file']}: its text stands there {count} times, not once")
    return problems


def copy_tree(destination):
    """The tracked files as they are in the working tree."""
    files = subprocess.run(["git", "-C", TOP, "ls-files", "-z"], check=True,
                           capture_output=True).stdout.decode().split("\0")
    for name in filter(None, files):
        source = os.path.join(TOP, name)
        if not os.path.isfile(source):
            continue  # deleted in the working tree
        target = os.path.join(destination, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(source, target)


def run(command, cwd, quiet=True):
    result = subprocess.run(command, cwd=cwd, capture_output=quiet, text=True)
    return result.returncode == 0, (result.stdout or "") + (result.stderr or "")


def configure(source, build):
    # With the web page (when emscripten is there, as in CI): its browser
    # test is the one that notices a fault only the WebAssembly build has.
    web = "ON" if shutil.which("emcmake") else "OFF"
    ok, log = run(["cmake", "-S", source, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                   "-DOROWAN_COMPILER_TEST=OFF", f"-DOROWAN_WEB={web}"], source)
    if not ok:
        sys.exit("configure failed:\n" + log)


def build_all(build, jobs):
    return run(["cmake", "--build", build, "-j", str(jobs)], build)


def tests_pass(build, jobs, first=None):
    """The tests named by `first` (a CTest regular expression: the tests
    expected to notice the mutant), then the unit tests (they fail fast),
    then everything else. Returns whether all passed, the log, and the
    first failing test's name."""
    selections = [["-L", "unit"], ["-LE", "unit|compilers|mutation"]]
    if first:
        selections.insert(0, ["-R", first])
    for selection in selections:
        ok, log = run(["ctest", "--test-dir", build, "-j", str(jobs), "--stop-on-failure",
                       "--timeout", "300"] + selection, build)
        if not ok:
            return False, log, first_failure(log)
    return True, "", None


def first_failure(log):
    """The name of the first test listed as failed in a CTest log."""
    lines = log.splitlines()
    for i, line in enumerate(lines):
        if line.startswith("The following tests FAILED:") and i + 1 < len(lines):
            words = lines[i + 1].split()
            return words[2] if len(words) > 2 else None
    return None


def apply(source, mutant):
    """Replaces the mutant's text; returns the original file, or None."""
    path = os.path.join(source, mutant["file"])
    if not os.path.isfile(path):
        return None
    with open(path, encoding="utf-8") as f:
        original = f.read()
    if original.count(mutant["from"]) != 1:
        return None
    with open(path, "w", encoding="utf-8") as f:
        f.write(original.replace(mutant["from"], mutant["to"]))
    return original


def restore(source, mutant, original):
    with open(os.path.join(source, mutant["file"]), "w", encoding="utf-8") as f:
        f.write(original)


def try_mutant(source, build, mutant, jobs):
    """'killed', 'survived', 'not found' or 'does not compile', and the
    test that killed it."""
    original = apply(source, mutant)
    if original is None:
        return "not found", None
    try:
        built, _ = build_all(build, jobs)
        if not built:
            return "does not compile", None
        passed, _, killer = tests_pass(build, jobs, mutant.get("tests"))
        return ("survived", None) if passed else ("killed", killer)
    finally:
        restore(source, mutant, original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--list", default=os.path.join(HERE, "mutants.toml"))
    parser.add_argument("--only", help="comma-separated mutant ids")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--keep", help="scratch folder to use and keep")
    parser.add_argument("--check-list", action="store_true",
                        help="only check that every mutant's text stands once in its file")
    args = parser.parse_args()
    mutants = load_mutants(args.list)
    if args.only:
        wanted = set(args.only.split(","))
        unknown = wanted - {m["id"] for m in mutants}
        if unknown:
            sys.exit(f"no such mutant: {', '.join(sorted(unknown))}")
        mutants = [m for m in mutants if m["id"] in wanted]
    problems = misplaced(mutants, TOP)
    for problem in problems:
        print(f"not found: {problem}")
    if problems or args.check_list:
        print(f"{len(mutants)} mutants, {len(problems)} not found in the working tree")
        return 1 if problems else 0
    scratch = args.keep or tempfile.mkdtemp(prefix="orowan-mutation-")
    source, build = os.path.join(scratch, "src"), os.path.join(scratch, "build")
    started = time.monotonic()
    copy_tree(source)
    configure(source, build)
    built, log = build_all(build, args.jobs)
    if not built:
        sys.exit("the unmutated copy does not build:\n" + log)
    passed, log, _ = tests_pass(build, args.jobs)
    if not passed:
        sys.exit("the unmutated copy fails its tests:\n" + log)
    print(f"baseline built and passing in {time.monotonic() - started:.0f} s", flush=True)
    failures, counts = [], {}
    for m in mutants:
        began = time.monotonic()
        outcome, killer = ("equivalent", None) if "equivalent" in m else try_mutant(
            source, build, m, args.jobs)
        counts[outcome] = counts.get(outcome, 0) + 1
        by = f" (by {killer})" if killer else ""
        print(f"{outcome:>17}  {m['id']:<36} {time.monotonic() - began:5.0f} s  {m['models']}{by}",
              flush=True)
        if outcome not in ("killed", "equivalent"):
            failures.append((m["id"], outcome))
    # Put every file back as it was built, so a kept scratch folder is clean.
    build_all(build, args.jobs)
    if not args.keep:
        shutil.rmtree(scratch, ignore_errors=True)
    summary = ", ".join(f"{n} {k}" for k, n in sorted(counts.items()))
    print(f"{len(mutants)} mutants: {summary}; {time.monotonic() - started:.0f} s in all")
    for ident, outcome in failures:
        print(f"FAILED: {ident}: {outcome}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
