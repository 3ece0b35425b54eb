"""Passes for the module's tests, as typed texts: each pass a dict of the
library reference's KEY -> TEXT items (R H1 H2 Y SGB SGF U, YT/FT tables,
CURVE K N EPS0 S0 EPS, E NU V, SOLVER). The module gets float(text) of
each, the reference the console's reading of the text.

The numbers come from the 64-bit linear congruential generator of the
project's other generators, so the sets are the same on every machine.
"""
import math
import os
import subprocess
import sys

import numpy as np


class Numbers:
    """Knuth's MMIX LCG, as in tests/generate_inputs.py and the batch tool's test."""

    def __init__(self, seed):
        self.state = seed

    def between(self, low, high):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2**64
        return low + (high - low) * (self.state >> 11) / 2**53


def _strain_out(H1, H2):
    """The strain a pass from zero strain leaves, as the single value the
    library stores: (2/sqrt 3) ln(H1/H2) in double, rounded once."""
    h1, h2 = float(np.float32(float(H1))), float(np.float32(float(H2)))
    return float(np.float32(2.0 / math.sqrt(3.0) * math.log(h1 / h2)))


def batch_test_passes(count):
    """The kinds of the batch tool's end-to-end test (tests/batch): slip,
    stick, tensions, no neutral point (front tension beyond the yield
    stress), friction 0 (a fault), H1 taken over from the line before."""
    rng = Numbers(12345)
    passes, previous_H2 = [], None
    for i in range(count):
        h1, y = rng.between(0.5, 8), rng.between(5, 60)
        u = rng.between(0.5, 1.2) if i % 3 == 1 else rng.between(0.05, 0.3)
        front = y * rng.between(0.6, 1.5) if i % 5 == 2 else y * rng.between(0, 0.3)
        p = {"R": "%.3f" % rng.between(30, 400), "H1": "%f" % h1,
             "H2": "%.4f" % (h1 * (1 - rng.between(0.05, 0.4))), "Y": "%.2f" % y,
             "SGB": "%.2f" % (y * rng.between(0, 0.3)), "SGF": "%.2f" % front,
             "U": "0" if i % 11 == 5 else "%f" % u}
        if i % 7 == 3 and previous_H2 is not None:
            p["H1"] = previous_H2
            p["schedule"] = True  # the module is given no H1: it takes the H2 before
            # ... and the strain the pass before left, which the library is told
            p["EPS"] = "%.9g" % _strain_out(previous_H1, previous_H2)
        previous_H1, previous_H2 = p["H1"], p["H2"]
        passes.append(p)
    return passes


def benchmark_csv_passes(count):
    """tests/generate_inputs.py csv: the batch tool's benchmark input."""
    script = os.path.join(os.environ["OROWAN_SOURCE"], "tests", "generate_inputs.py")
    lines = subprocess.run([sys.executable, script, "csv", str(count)], check=True,
                           capture_output=True, text=True).stdout.splitlines()
    header = lines[0].split(",")
    return [dict(zip(header, line.split(","))) for line in lines[1:]]


EXAMPLE = {"R": "100", "H1": "2", "H2": "1.5", "Y": "20", "SGB": "0", "SGF": "0", "U": "0.1"}


def with_(**changes):
    p = dict(EXAMPLE)
    p.update(changes)
    return p


# Every M number in every stage it can end, and the other edges of the
# library's own tests: no neutral point, sticking over the whole arc.
EDGE_PASSES = [
    with_(U="0"),                          # M6103, exit march, step 1
    with_(Y="0"),                          # M6103
    with_(H1="1.5", H2="2"),               # M6201, geometry
    with_(H1="2", H2="2"),                 # M6101, no reduction, no tensions
    with_(H1="2", H2="2", SGB="3"),        # no reduction, back tension
    with_(SGF="5000"),                     # M6201 in the exit march
    with_(SGB="5000"),                     # M6201 in the entry march
    with_(R="3.4028234E38"),               # M6104, geometry
    with_(U="1E-45"),                      # M6104, the smallest denormal friction
    with_(Y="3.4E38"),                     # M6104, the yield stress's 1.15 factor
    with_(R="1", H1="2.5", H2="0.5"),      # a reduction of twice the radius
    with_(R="0"),
    with_(R="0", H1="2", H2="2"),          # M6101, geometry
    with_(Y="0", SGF="1"),                 # M6103 in the exit march
    with_(H1="1.5", H2="1.5"),             # M6101, load (the torque arm)
    with_(SGF="25", U="0.05"),             # no neutral point
    with_(U="1.2"),                        # sticking
    with_(U="-0.1"),                       # a negative friction as typed
    with_(Y="1E-46"),                      # reads as 0
    with_(H2="0"),                         # M6101
]


def curve_passes(count):
    """Swift (some as Hollomon's, EPS0 = 0) and Ludwik curves over slipping
    and sticking passes. A curve whose slope is infinite at no strain needs
    some strain before the pass (eps) or an EPS0 for a table to follow it."""
    rng = Numbers(99)
    passes = []
    for i in range(count):
        R, h1 = rng.between(50, 400), rng.between(0.5, 6)
        h2 = h1 * (1 - rng.between(0.05, 0.4))
        p = {"R": "%.2f" % R, "H1": "%.4f" % h1, "H2": "%.4f" % h2,
             "U": "%.3f" % rng.between(0.05, 0.6)}
        eps = 0 if i % 4 == 0 else rng.between(0.05, 1.5)
        p["EPS"] = "%.3f" % eps
        if i % 2 == 0:
            p.update(CURVE="swift", K="%.2f" % rng.between(30, 90), N="%.3f" % rng.between(0.1, 0.4),
                     EPS0="%.4f" % (rng.between(0.002, 0.05) if eps == 0 or i % 3 else 0))
        else:
            p.update(CURVE="ludwik", S0="%.2f" % rng.between(10, 40), K="%.2f" % rng.between(20, 60),
                     N="%.3f" % rng.between(0.2, 0.6))
        passes.append(p)
    return passes


def table_text(points):
    return ",".join("%s:%s" % xv for xv in points)


def table_passes():
    """Yield and friction tables over the example's arc (XL = 7.07 mm) and
    beyond it (defaults outside)."""
    out = []
    for k in range(1, 13):
        ys = [("0", "%d" % (20 + k)), ("3.5", "%d" % (24 + k)), ("7.1", "%d" % (30 + k))]
        us = [("0", "0.%02d" % (5 + k)), ("%.1f" % (1 + k / 3), "0.3"), ("8", "0.%02d" % (10 + k))]
        out.append({**{n: EXAMPLE[n] for n in ("R", "H1", "H2", "SGB", "SGF")},
                    "YT": table_text(ys), "U": "0.1"})
        out.append({**{n: EXAMPLE[n] for n in ("R", "H1", "H2", "SGB", "SGF", "Y")},
                    "FT": table_text(us)})
        out.append({**{n: EXAMPLE[n] for n in ("R", "H1", "H2", "SGB", "SGF")},
                    "YT": table_text(ys[:2]), "FT": table_text(us)})  # yield table ends inside
    return out


def mill_passes():
    """Cold passes flattened on steel rolls, with and without a roll speed,
    and roll speeds alone."""
    out = []
    for R, h1, h2, y, sgb, u in (("250", "2.0", "1.6", "60", "0", "0.08"),
                                  ("250", "1.0", "0.8", "60", "0", "0.08"),
                                  ("200", "0.5", "0.42", "45", "5", "0.06"),
                                  ("100", "2", "1.5", "20", "0", "0.1")):
        base = {"R": R, "H1": h1, "H2": h2, "Y": y, "SGB": sgb, "SGF": "0", "U": u}
        out.append({**base, "E": "21000"})
        out.append({**base, "E": "21000", "NU": "0.28", "V": "300"})
        out.append({**base, "V": "100"})
    out.append({**EXAMPLE, "E": "1E-30"})  # below minimum gauge
    return out


def converged_passes():
    """The converged solver over slipping, sticking, tensioned passes, one
    without a neutral point and faults."""
    return [dict(p, SOLVER="converged") for p in (
        EXAMPLE, with_(U="0.6"), with_(SGB="4", SGF="3"), with_(SGF="25", U="0.05"),
        with_(R="250", H1="1.0", H2="0.8", Y="60", U="0.08"), with_(U="0"),
        with_(H1="1.5", H2="2"))]
