#!/usr/bin/python3
"""Checks voranth-calc --through against scikit-rf: the amplifier and filter examples with each
example two-port between them (attenuator, cable, 50/75 ohm adapter, and the adapter turned round).
scikit-rf renormalises, interpolates and connects the networks; the transducer gain is |S21|^2 of
the two-port renormalised to the source and load impedances (power waves).

usage: check_through_skrf.py VORANTH_CALC EXAMPLES_DIR"""
import csv
import os
import subprocess
import sys
import tempfile
import warnings

import numpy as np

warnings.filterwarnings("ignore")
# Debian 12's scikit-rf 0.15 still uses the alias numpy.complex, which its numpy no longer has.
if not hasattr(np, "complex"):
    np.complex = complex
import skrf  # noqa: E402

calc, examples = sys.argv[1], sys.argv[2]


def read_v2_two_port(path):
    """A version 2.0 RI two-port with [Two-Port Data Order] 12_21 and a [Reference] line, which
    this version of scikit-rf does not read."""
    freqs, s, z0, data = [], [], None, False
    for line in open(path):
        line = line.split("!")[0].strip()
        if line.lower().startswith("[reference]"):
            z0 = [float(v) for v in line.split("]")[1].split()]
        elif line.lower().startswith("[network data]"):
            data = True
        elif line.startswith("[end]") or line.lower().startswith("[end]"):
            data = False
        elif data and line:
            v = [float(x) for x in line.split()]
            freqs.append(v[0] * 1e9)
            p = [complex(v[i], v[i + 1]) for i in range(1, 9, 2)]
            s.append([[p[0], p[1]], [p[2], p[3]]])
    return skrf.Network(frequency=skrf.Frequency.from_f(np.array(freqs), unit="hz"),
                        s=np.array(s), z0=np.array(z0))


def expected(through_path, reversed_):
    amp = skrf.Network(os.path.join(examples, "amp.s2p"))
    flt = skrf.Network(os.path.join(examples, "filter.s2p"))
    src, load = amp.s22, flt.s11
    if through_path.endswith(".ts"):
        thr = read_v2_two_port(through_path)
    else:
        thr = skrf.Network(through_path)
    if reversed_:
        thr = thr.flipped()
    thr = thr.copy()
    thr.renormalize(50)
    thr = thr.interpolate(src.frequency)
    gs, gl = src.s[:, 0, 0], load.s[:, 0, 0]
    g_in = skrf.connect(thr, 1, load, 0).s[:, 0, 0]
    g_out = skrf.connect(src, 0, thr, 0).s[:, 0, 0]
    zs, zl = 50 * (1 + gs) / (1 - gs), 50 * (1 + gl) / (1 - gl)
    matched = thr.copy()
    matched.renormalize(np.stack([zs, zl], axis=1), s_def="power")
    gt_db = 10 * np.log10(np.abs(matched.s[:, 1, 0]) ** 2)
    return src.frequency.f, g_out, g_in, gt_db, gs, gl


def plane_ml(a, b):
    m = (1 - abs(a) ** 2) * (1 - abs(b) ** 2) / abs(1 - a * b) ** 2
    p = abs(a) * abs(b)
    base = (1 - abs(a) ** 2) * (1 - abs(b) ** 2)
    return -10 * np.log10(m), -10 * np.log10(base / (1 - p) ** 2), -10 * np.log10(base / (1 + p) ** 2)


def polar(mag, deg):
    return float(mag) * np.exp(1j * np.radians(float(deg)))


failures = 0
with tempfile.TemporaryDirectory() as tmp:
    for name, reversed_ in [("attenuator.s2p", False), ("cable.s2p", False),
                            ("adapter.ts", False), ("adapter.ts", True)]:
        path = os.path.join(examples, name)
        out = os.path.join(tmp, "out.csv")
        subprocess.run([calc, "--source", os.path.join(examples, "amp.s2p") + ":22", "--load",
                        os.path.join(examples, "filter.s2p") + ":11", "--through",
                        path + (":21" if reversed_ else ""), "--csv", out],
                       check=True, stderr=subprocess.DEVNULL)
        rows = list(csv.DictReader(open(out)))
        f, g_out, g_in, gt_db, gs, gl = expected(path, reversed_)
        assert len(rows) == len(f), (name, len(rows), len(f))
        worst = {"gamma": 0.0, "dB": 0.0}
        for k, r in enumerate(rows):
            assert abs(float(r["frequency_hz"]) - f[k]) <= 1e-6 * f[k], (r["frequency_hz"], f[k])
            d_gamma = max(abs(polar(r["gamma_out_magnitude"], r["gamma_out_angle_deg"]) - g_out[k]),
                          abs(polar(r["gamma_in_magnitude"], r["gamma_in_angle_deg"]) - g_in[k]))
            s_ml = plane_ml(gs[k], g_in[k])
            l_ml = plane_ml(g_out[k], gl[k])
            got = [float(r[c]) for c in ("Gt_dB", "ML_source_plane_dB", "ML_source_plane_min_dB",
                                         "ML_source_plane_max_dB", "ML_load_plane_dB",
                                         "ML_load_plane_min_dB", "ML_load_plane_max_dB")]
            want = [gt_db[k], *s_ml, *l_ml]
            d_db = max(abs(a - b) for a, b in zip(got, want))
            worst["gamma"] = max(worst["gamma"], d_gamma)
            worst["dB"] = max(worst["dB"], d_db)
        ok = worst["gamma"] < 1e-12 and worst["dB"] < 1e-9
        failures += not ok
        print(f"{'ok  ' if ok else 'FAIL'} {name}{':21' if reversed_ else ''}: {len(rows)} rows, "
              f"largest difference {worst['gamma']:.2e} in Γ, {worst['dB']:.2e} dB")
sys.exit(1 if failures else 0)
