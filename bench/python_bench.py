#!/usr/bin/env python3
"""Timings of the Python module orowan (not a test).

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py \
        [--pass-bench build/bench/pass_bench] [--passes 10000] [--rounds 5]

- one pass: the library call inside the module (its own copy of the core,
  CPU time of the thread), solve() from Python, and the parts of solve():
  argument checks, the compiled call, the result object, the step arrays;
  with --pass-bench, BM_LibraryPass of the executables' core in the same
  session (Google Benchmark's CPU time), for what the module's TLS model
  and position-independent code cost;
- solve_many over generated passes with jobs=1 and jobs=2, with and
  without steps (wall time).

Every figure is the median of --rounds rounds.
"""
import argparse
import json
import os
import statistics
import subprocess
import time

import numpy as np

import orowan
from orowan import _arguments, _orowan

EXAMPLE = dict(R=100, H1=2, H2=1.5, Y=20, SGB=0, SGF=0, U=0.1)


def machine():
    """lscpu's model name, the cores, the load."""
    model = "?"
    try:
        for line in subprocess.run(["lscpu"], capture_output=True, text=True).stdout.splitlines():
            if line.startswith("Model name:"):
                model = line.split(":", 1)[1].strip()
    except OSError:
        pass
    return f'"{model}", {os.cpu_count()} cores, load average {os.getloadavg()[0]:.2f}'


def cpu_per_call(call, count):
    """CPU seconds of this thread per call."""
    start = time.thread_time()
    for _ in range(count):
        call()
    return (time.thread_time() - start) / count


def median(rounds, measure):
    return statistics.median(measure() for _ in range(rounds))


def pass_bench(path, rounds):
    """BM_LibraryPass's CPU time per pass (s), median of its repetitions."""
    out = subprocess.run([path, "--benchmark_filter=^BM_LibraryPass$", "--benchmark_format=json",
                          f"--benchmark_repetitions={rounds}", "--benchmark_min_time=0.5"],
                         capture_output=True, text=True, check=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    return statistics.median(b["cpu_time"] for b in runs) * 1e-9  # ns


def generated_passes(count):
    """Slipping, sticking, mixed and tensioned passes, fixed seed."""
    rng = np.random.default_rng(14)
    passes = []
    for i in range(count):
        R, H1, Y = rng.uniform(30, 400), rng.uniform(0.5, 8), rng.uniform(5, 60)
        U = (rng.uniform(0.05, 0.15), rng.uniform(0.5, 1.2), rng.uniform(0.15, 0.4),
             rng.uniform(0.05, 0.15))[i % 4]
        tension = Y * rng.uniform(0, 0.5) if i % 4 == 3 else 0.0
        passes.append(dict(R=R, H1=H1, H2=H1 * (1 - rng.uniform(0.05, 0.4)), Y=Y,
                           SGB=tension, SGF=tension / 2, U=U))
    return passes


def wall(call):
    start = time.perf_counter()
    call()
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--pass-bench", help="build/bench/pass_bench, for BM_LibraryPass")
    parser.add_argument("--passes", type=int, default=10000)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    n = 2000
    us = 1e6
    print(f"machine: {machine()}")
    print(f"module: {os.path.dirname(orowan.__file__)}")

    print("\none pass (the example), CPU time of the calling thread, medians:")
    # Interleaved: each round times the library call and then solve(), so
    # that a change of the machine's pace between them cancels out.
    library, solve, overhead = [], [], []
    for _ in range(args.rounds):
        library.append(_orowan._time_library_pass(n))
        solve.append(cpu_per_call(lambda: orowan.solve(**EXAMPLE), n))
        overhead.append(solve[-1] - library[-1])
    library, solve = statistics.median(library), statistics.median(solve)
    print(f"  library call inside the module            {library * us:8.1f} us")
    if args.pass_bench:
        executable = pass_bench(args.pass_bench, args.rounds)
        print(f"  BM_LibraryPass (executables' core)        {executable * us:8.1f} us"
              f"   module / executable {library / executable:.2f}")
    print(f"  orowan.solve()                            {solve * us:8.1f} us"
          f"   overhead {statistics.median(overhead) * us:.1f} us (median of the rounds' differences)")
    request = _arguments.request(**EXAMPLE)
    answer = _orowan.solve(request)
    parts = [
        ("argument checks, request", lambda: _arguments.request(**EXAMPLE)),
        ("compiled call (GIL released)", lambda: _orowan.solve(request)),
        ("PassResult from the answer", lambda: orowan.PassResult(answer)),
        ("step arrays of both marches", lambda: (answer.steps("exit"), answer.steps("entry"))),
    ]
    for label, call in parts:
        t = median(args.rounds, lambda: cpu_per_call(call, n))
        print(f"    {label:38s}{t * us:8.1f} us")

    passes = generated_passes(args.passes)
    print(f"\nsolve_many, {args.passes:,} generated passes, wall time, medians:")
    for steps in (True, False):
        times = {}
        for jobs in (1, 2):
            times[jobs] = median(args.rounds, lambda: wall(
                lambda: orowan.solve_many(passes, jobs=jobs, steps=steps, errors="return")))
            print(f"  steps={steps!s:5s} jobs={jobs}   {times[jobs]:6.2f} s"
                  f"   {args.passes / times[jobs]:8,.0f} passes/s")
        print(f"  steps={steps!s:5s} jobs=2 / jobs=1 speed-up {times[1] / times[2]:.2f}")
    prepare = median(args.rounds, lambda: wall(lambda: _arguments.requests(passes, False)))
    print(f"  of which the argument checks (one thread)   {prepare:6.2f} s")


if __name__ == "__main__":
    main()
