#!/usr/bin/python3
"""Checks voranth-calc's mismatch budget (magnitudes without angles) against numpy: the standard
uncertainty of each term from the spread of its first-order term 2·Re(product·e^jφ) drawn with
numpy's own generator (Rayleigh magnitudes for data-sheet limits, scale limit/sqrt(2 ln 20)), the
Monte Carlo of the exact expression 1/|(1 - a)(1 - b) - c|^2 (standard deviation, and the 95 %
probabilistically symmetric interval of its value in dB), and the worst case against the extremes
of the exact expression over a grid of the three phases.

usage: check_budget_numpy.py VORANTH_CALC"""
import json
import subprocess
import sys

import numpy as np

calc = sys.argv[1]
rng = np.random.default_rng(20110)
N = 1_000_000
SIGMA = np.sqrt(2 * np.log(20))  # the 95 % point of a Rayleigh distribution over its scale


def vswr(s):
    return (s - 1) / (s + 1)


def db(x):
    return 10 ** (x / 20)


# (command-line values, [(magnitude, is a limit)] for source, load and S11 S21 S12 S22)
CASES = [
    (["--source", "0.5", "--load", "0.3"], [(0.5, 0), (0.3, 0)], None),
    (["--source", "VSWR 1.5", "--load", "VSWR 1.15", "--through",
      "VSWR 1.05  -0.1 dB  -0.1 dB  1.05:1"],
     [(vswr(1.5), 0), (vswr(1.15), 0)],
     [(vswr(1.05), 0), (db(-0.1), 0), (db(-0.1), 0), (vswr(1.05), 0)]),
    (["--source", "max VSWR 1.5", "--load", "max VSWR 1.15", "--through",
      "max VSWR 1.05 -0.1 dB -0.1 dB max vswr 1.05"],
     [(vswr(1.5), 1), (vswr(1.15), 1)],
     [(vswr(1.05), 1), (db(-0.1), 0), (db(-0.1), 0), (vswr(1.05), 1)]),
    (["--source", "max VSWR 2", "--load", "RL 6 dB", "--through", "0.3 0.5 0.5 max 0.4"],
     [(1 / 3, 1), (db(-6), 0)], [(0.3, 0), (0.5, 0), (0.5, 0), (0.4, 1)]),
]

failures = 0


def check(label, got, want, tolerance):
    global failures
    if not abs(got - want) <= tolerance:
        failures += 1
        print(f"FAIL {label}: voranth-calc {got!r}, numpy {want!r}, tolerance {tolerance:g}")


def draw(magnitude, limit):
    if limit:
        return rng.rayleigh(magnitude / SIGMA, N)
    return np.full(N, magnitude)


for args, ports, through in CASES:
    out = subprocess.run([calc, *args, "--json"], capture_output=True, text=True, check=True)
    budget = json.loads(out.stdout)["budget"]
    name = " ".join(args)
    (gs, ls), (gl, ll) = ports
    source, load = draw(gs, ls), draw(gl, ll)
    if through:
        s11, s21, s12, s22 = (draw(m, l) for m, l in through)
        products = [source * s11, s22 * load, source * s21 * s12 * load]
        limits = [gs * through[0][0], through[3][0] * gl,
                  gs * through[1][0] * through[2][0] * gl]
    else:
        products = [source * load]
        limits = [gs * gl]
    phases = [np.exp(2j * np.pi * rng.random(N)) for _ in products]
    terms = [p * e for p, e in zip(products, phases)]

    # Each term's u from the spread of its first-order term.
    u = [np.std(2 * np.real(t)) for t in terms]
    for k, term in enumerate(budget["terms"]):
        check(f"{name}: u of {term['term']}", term["u_percent"] / 100, u[k], 0.01 * u[k])
    combined = np.sqrt(sum(x * x for x in u))
    check(f"{name}: combined u", budget["combined_standard_uncertainty_percent"] / 100, combined,
          0.01 * combined)

    # The exact expression.
    a, b, c = (terms if through else [0, 0, terms[0]])
    x = 1 / np.abs((1 - a) * (1 - b) - c) ** 2
    x_db = 10 * np.log10(x)
    mc = budget["monte_carlo"]
    check(f"{name}: draws", mc["draws"], N, 0)
    check(f"{name}: standard deviation", mc["standard_deviation_percent"] / 100, np.std(x),
          0.01 * np.std(x))
    check(f"{name}: standard deviation in dB", mc["standard_deviation_dB"], np.std(x_db),
          0.01 * np.std(x_db))
    low, high = np.quantile(x_db, [0.025, 0.975])
    width = high - low
    check(f"{name}: interval, lower end", mc["coverage_low_dB"], low, 0.005 * width)
    check(f"{name}: interval, upper end", mc["coverage_high_dB"], high, 0.005 * width)

    # The worst case: the extremes over every combination of the three phases on a grid of
    # 5° steps, which holds 0° and 180°, where they lie.
    grid = np.exp(1j * np.radians(np.arange(0, 360, 5)))
    la, lb, lc = (limits if through else [0, 0, limits[0]])
    ga, gb, gc = np.meshgrid(la * grid, lb * grid, lc * grid, indexing="ij", sparse=True)
    exact = -10 * np.log10(np.abs((1 - ga) * (1 - gb) - gc) ** 2)
    check(f"{name}: worst case, lower", budget["worst_case_low_dB"], exact.min(), 1e-9)
    check(f"{name}: worst case, upper", budget["worst_case_high_dB"], exact.max(), 1e-9)
    print(f"{name}: u {[round(100 * v, 4) for v in u]} %, interval {low:.4f} to {high:.4f} dB "
          f"(voranth-calc {mc['coverage_low_dB']:.4f} to {mc['coverage_high_dB']:.4f})")

sys.exit(1 if failures else 0)
