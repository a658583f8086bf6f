#!/usr/bin/python3
"""Checks voranth-calc on files that state their ports' impedances at each frequency ("! Port
Impedance" after each point, as simulators export data that is not renormalised), against values
computed here without the program: numpy with M = 4·Re ZS·Re ZL/|ZS + ZL|² from each port's
impedance Z = Zr(1 + Γ)/(1 − Γ), and scikit-rf, which reads the stated impedances as Network.z0,
for Γ brought to the common reference and for a two-port renormalised as a whole.

The files are written here: a two-port whose ports have one complex reference, and a three-port
whose references differ by port and by frequency; each also in the power-wave definition.

usage: check_stated_impedances.py VORANTH_CALC"""
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

calc = sys.argv[1]
GHZ = [1.0, 1.5, 2.0, 2.5]
rng = np.random.default_rng(24)


def write(path, ports, refs, definition, s=None):
    """A version 1 RI file, each matrix row on a line, refs[f][p] stated after each point."""
    if s is None:
        s = (rng.uniform(-0.45, 0.45, (len(GHZ), ports, ports))
             + 1j * rng.uniform(-0.45, 0.45, (len(GHZ), ports, ports)))
    with open(path, "w") as out:
        out.write("!Data is not renormalized\n")
        if definition:
            out.write(f"! S-parameter uses the {definition} definition\n")
        out.write("# GHZ S RI R 50\n! Modal data exported\n")
        for k, f in enumerate(GHZ):
            for row in range(ports):
                pairs = " ".join(f"{v.real!r} {v.imag!r}" for v in s[k, row])
                out.write((f"{f!r} " if row == 0 else "  ") + pairs + "\n")
            out.write("! Gamma ! " + " 0.1 2.0" * ports + "\n")
            out.write("! Port Impedance" + "".join(f" {z.real!r} {z.imag!r}" for z in refs[k]) +
                      "\n")
    return s


def run(args):
    out = subprocess.run([calc, *args, "--csv", "-"], check=True, capture_output=True, text=True)
    return list(csv.DictReader(out.stdout.splitlines())), out.stderr


def polar(mag, deg):
    return float(mag) * np.exp(1j * np.radians(float(deg)))


def network(path, definition, refs, to_ohms):
    """The file as scikit-rf reads it, with the stated impedances as its z0, renormalised."""
    net = skrf.Network(path, s_def={"power": "power", "pseudo": "pseudo"}.get(definition,
                                                                             "traveling"))
    net.z0 = np.array(refs)
    net.renormalize(to_ohms, s_def=net.s_def)
    return net


def port(path, definition, refs, p, to_ohms):
    """S_pp alone, as a one-port against the stated impedance of its port, brought to to_ohms:
    the other ports stay terminated as in the file."""
    net = skrf.Network(path, s_def={"power": "power", "pseudo": "pseudo"}.get(definition,
                                                                             "traveling"))
    one = skrf.Network(frequency=net.frequency, s=net.s[:, p, p], z0=np.array(refs)[:, p],
                       s_def=net.s_def)
    one.renormalize(to_ohms, s_def=net.s_def)
    return one.s[:, 0, 0]


failures = 0


def report(name, worst, limit):
    global failures
    ok = worst < limit
    failures += not ok
    print(f"{'ok  ' if ok else 'FAIL'} {name}: largest difference {worst:.2e}")


with tempfile.TemporaryDirectory() as tmp:
    two = os.path.join(tmp, "equal.s2p")
    three = os.path.join(tmp, "three.s3p")
    equal_refs = [[42.6 + 3.1j, 42.6 + 3.1j]] * len(GHZ)
    three_refs = [[50.0 + 10.0 * k + 2j, 81.5 - 4j * k, 392.36 + 0.23j * (k + 1)]
                  for k in range(len(GHZ))]
    three_refs_2 = [refs[:2] for refs in three_refs]
    for definition in ["", "power", "pseudo"]:
        s2 = write(two, 2, equal_refs, definition)
        s3 = write(three, 3, three_refs, definition)
        z2, z3 = np.array(equal_refs), np.array(three_refs)

        # The impedance of each port against its stated reference: ΓS and ΓL met directly.
        def impedance(g, zr):
            # Γ = (Z − Zr)/(Z + Zr), or (Z − Zr*)/(Z + Zr) for power waves.
            return (np.conj(zr) + g * zr) / (1 - g) if definition == "power" \
                else zr * (1 + g) / (1 - g)

        for z0 in [None, 75.0]:
            rows, err = run(["--source", three + ":11", "--load", three + ":33"]
                            + (["--z0", str(z0)] if z0 else []))
            zs = impedance(s3[:, 0, 0], z3[:, 0])
            zl = impedance(s3[:, 2, 2], z3[:, 2])
            m = 4 * zs.real * zl.real / np.abs(zs + zl) ** 2
            worst = max(max(abs(float(r["ML_dB"]) + 10 * np.log10(m[k])),
                            abs(complex(float(r["ZS_re_ohm"]), float(r["ZS_im_ohm"])) - zs[k])
                            / abs(zs[k]),
                            abs(complex(float(r["ZL_re_ohm"]), float(r["ZL_im_ohm"])) - zl[k])
                            / abs(zl[k])) for k, r in enumerate(rows))
            name = f"three-port {definition or 'travelling'} S11 with S33, z0 {z0 or 'from R'}"
            assert len(rows) == len(GHZ) and "Port Impedance" in err, (rows, err)
            report(name + " (numpy)", worst, 1e-9)
            # scikit-rf: Γ brought to the common reference.
            gs = port(three, definition, three_refs, 0, z0 or 50.0)
            gl = port(three, definition, three_refs, 2, z0 or 50.0)
            worst = max(max(abs(polar(r["source_magnitude"], r["source_angle_deg"]) - gs[k]),
                            abs(polar(r["load_magnitude"], r["load_angle_deg"]) - gl[k]))
                        for k, r in enumerate(rows))
            report(name + " (scikit-rf)", worst, 1e-12)

        # A two-port between, renormalised as a whole to the common reference: with one
        # complex reference at both ports, and with references that differ by port.
        for refs, label in [(equal_refs, "equal"), (three_refs_2, "unequal")]:
            write(two, 2, refs, definition, s2)
            rows, _ = run(["--source", three + ":11", "--load", three + ":22", "--through", two])
            t = network(two, definition, refs, 50.0).s
            gs = port(three, definition, three_refs, 0, 50.0)
            gl = port(three, definition, three_refs, 1, 50.0)
            g_in = t[:, 0, 0] + t[:, 0, 1] * t[:, 1, 0] * gl / (1 - t[:, 1, 1] * gl)
            g_out = t[:, 1, 1] + t[:, 0, 1] * t[:, 1, 0] * gs / (1 - t[:, 0, 0] * gs)
            gt = (np.abs(t[:, 1, 0]) ** 2 * (1 - np.abs(gs) ** 2) * (1 - np.abs(gl) ** 2)
                  / np.abs((1 - t[:, 0, 0] * gs) * (1 - t[:, 1, 1] * gl)
                           - t[:, 0, 1] * t[:, 1, 0] * gs * gl) ** 2)
            worst = max(max(abs(polar(r["gamma_in_magnitude"], r["gamma_in_angle_deg"]) - g_in[k]),
                            abs(polar(r["gamma_out_magnitude"], r["gamma_out_angle_deg"])
                                - g_out[k]),
                            abs(float(r["Gt_dB"]) - 10 * np.log10(gt[k])))
                        for k, r in enumerate(rows))
            report(f"two-port {definition or 'travelling'} of {label} references between "
                   "(scikit-rf)", worst, 1e-9)
sys.exit(1 if failures else 0)
