#!/usr/bin/env python3
"""Writes the example Touchstone files of the README: amp.s2p, the output of a model amplifier
(28 ohms behind a 1.1 nH bond wire and a 0.45 pF pad), and filter.s2p, the input of a model
third-order 0.5 dB Chebyshev band-pass filter (2.4 GHz, 300 MHz wide, with some loss), both from
2.0 to 2.8 GHz in 2 MHz steps. Synthetic data, so that anyone may use and change it."""
import cmath
import math


def chain(*stages):
    a, b, c, d = 1, 0, 0, 1
    for (e, f, g, h) in stages:
        a, b, c, d = a * e + b * g, a * f + b * h, c * e + d * g, c * f + d * h
    return a, b, c, d


def filter_s11(f, z0=50.0):
    w, w0, bw = 2 * math.pi * f, 2 * math.pi * 2.4e9, 0.3 / 2.4
    stages = []
    for i, g in enumerate((1.5963, 1.0967, 1.5963)):
        if i % 2 == 0:  # series resonator
            inductance = g * z0 / (w0 * bw)
            capacitance = 1 / (w0 * w0 * inductance)
            z = 1j * w * inductance + 1 / (1j * w * capacitance) + 0.4
            stages.append((1, z, 0, 1))
        else:  # shunt resonator
            capacitance = g / (z0 * w0 * bw)
            inductance = 1 / (w0 * w0 * capacitance)
            y = 1j * w * capacitance + 1 / (1j * w * inductance) + 1e-4
            stages.append((1, 0, y, 1))
    a, b, c, d = chain(*stages)
    return (a + b / z0 - c * z0 - d) / (a + b / z0 + c * z0 + d)


def amp_s22(f, z0=50.0):
    w = 2 * math.pi * f
    z = 1 / (1 / (28 + 1j * w * 1.1e-9) + 1j * w * 0.45e-12)
    return (z - z0) / (z + z0)


points = [2.0 + 0.002 * k for k in range(401)]
with open("amp.s2p", "w") as out:
    out.write("! Model amplifier (synthetic): S22 is its output match\n# GHz S MA R 50\n")
    for f in points:
        g = amp_s22(f * 1e9)
        out.write(f"{f:.3f} 0.1 -30 3.2 120 0.01 60 {abs(g):.6f} {math.degrees(cmath.phase(g)):.4f}\n")
with open("filter.s2p", "w") as out:
    out.write("! Model band-pass filter (synthetic): S11 is its input match\n# MHz S RI R 50\n")
    for f in points:
        g = filter_s11(f * 1e9)
        out.write(f"{f * 1000:.0f} {g.real:.7f} {g.imag:.7f} 0.9 0 0.9 0 {g.real:.7f} {g.imag:.7f}\n")
