"""The web page's pass against the native library pass, in one run.

Runs, ROUNDS times in turn: build/bench/pass_bench's BM_LibraryPass (the
example pass through solvePass) and, in headless Chromium, the same pass
through window.orowan.solve (request, solve, JSON text and its parse: what
a page or script pays) and through window.orowan.run (without the parse),
each timed over enough calls to last about a second, after half a second
of calls that lets the browser compile the module's hot code fully. Both
figures are wall time (the native benchmark's real time, the page's
performance.now()): a machine busy with other work slows both alike,
where the native CPU time against the page's wall time would not. Prints
the load average, each round's figures and the medians.

/usr/bin/python3 bench/web_bench.py BUILD_DIR PAGE [ROUNDS]"""
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from page_test import start_browser  # noqa: E402

EXAMPLE = {"R": 100, "H1": 2, "H2": 1.5, "Y": 20, "SGB": 0, "SGF": 0, "U": 0.1}
TIMING = """
const [what, input] = arguments;
const call = what === 'solve' ? () => window.orowan.solve(input) : () => window.orowan.run([input]);
let now = performance.now();
for (const warm = now; now - warm < 500; now = performance.now()) for (let k = 0; k < 50; ++k) call();
let calls = 0; const start = performance.now(); now = start;
while (now - start < 1000) { for (let k = 0; k < 50; ++k) call(); calls += 50; now = performance.now(); }
return (now - start) * 1000 / calls;
"""


def native_us(build):
    out = subprocess.run([os.path.join(build, "bench", "pass_bench"), "--benchmark_filter=BM_LibraryPass$",
                          "--benchmark_min_time=1", "--benchmark_format=csv"],
                         capture_output=True, text=True, check=True).stdout
    row = [line for line in out.splitlines() if line.startswith('"BM_LibraryPass"')][0].split(",")
    return float(row[2]) / 1000.0  # real_time (ns): wall time, as the page's performance.now()


def main():
    build, page = sys.argv[1], sys.argv[2]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    browser = start_browser(1280, 900)
    browser.set_script_timeout(120)
    browser.get("file://" + os.path.abspath(page))
    browser.execute_async_script("const d = arguments[arguments.length - 1]; window.orowan.ready.then(() => d(1));")
    print("load average: " + " ".join(f"{x:.2f}" for x in os.getloadavg()), flush=True)
    figures = {"native": [], "solve": [], "run": []}
    for r in range(rounds):
        figures["native"].append(native_us(build))
        figures["solve"].append(browser.execute_script(TIMING, "solve", EXAMPLE))
        figures["run"].append(browser.execute_script(TIMING, "run", EXAMPLE))
        print(f"round {r + 1}: native solvePass {figures['native'][-1]:.1f} us, "
              f"orowan.solve {figures['solve'][-1]:.1f} us, orowan.run {figures['run'][-1]:.1f} us", flush=True)
    browser.quit()
    median = {k: statistics.median(v) for k, v in figures.items()}
    print(f"medians: native {median['native']:.1f} us, solve {median['solve']:.1f} us "
          f"({median['solve'] / median['native']:.2f}x), run {median['run']:.1f} us "
          f"({median['run'] / median['native']:.2f}x)")


if __name__ == "__main__":
    main()
