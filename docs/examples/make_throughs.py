#!/usr/bin/env python3
"""Writes the example two-ports that go between the amplifier and the filter of the README, made
with scikit-rf (python3-scikit-rf), from 2.0 to 2.8 GHz in 10 MHz steps:

  attenuator.s2p  a 6 dB attenuator (a resistive T pad) with 0.3 nH of lead inductance in each
                  series arm and 0.08 pF across its shunt resistor, so that its match and its
                  loss drift a little with frequency;
  cable.s2p       1 m of 51 ohm coaxial cable with a velocity factor of 0.69 and 0.35 dB/m of
                  loss at 1 GHz, rising with the square root of frequency;
  adapter.ts      a 50 to 75 ohm minimum-loss pad behind 8 mm of 52 ohm line, written as
                  Touchstone 2.0 with the reference impedances of its two sides, 50 and 75 ohms.

Synthetic data, so that anyone may use and change it."""
import numpy as np
import skrf

freq = skrf.Frequency(2.0, 2.8, 81, "GHz")
w = 2 * np.pi * freq.f
c0 = 299792458.0


def abcd_series(z):
    a = np.zeros((len(z), 2, 2), complex)
    a[:, 0, 0] = a[:, 1, 1] = 1
    a[:, 0, 1] = z
    return a


def abcd_shunt(y):
    a = np.zeros((len(y), 2, 2), complex)
    a[:, 0, 0] = a[:, 1, 1] = 1
    a[:, 1, 0] = y
    return a


def abcd_line(zc, gamma_length):
    a = np.zeros((len(gamma_length), 2, 2), complex)
    a[:, 0, 0] = a[:, 1, 1] = np.cosh(gamma_length)
    a[:, 0, 1] = zc * np.sinh(gamma_length)
    a[:, 1, 0] = np.sinh(gamma_length) / zc
    return a


def network(abcd, z0):
    n = skrf.Network(frequency=freq, s=skrf.a2s(abcd, z0), z0=z0)
    return n


# The 6 dB T pad for 50 ohms: series arms of 16.61 ohms, shunt 66.93 ohms.
arm = 16.61 + 1j * w * 0.3e-9
shunt = 1 / 66.93 + 1j * w * 0.08e-12
pad = network(abcd_series(arm) @ abcd_shunt(shunt) @ abcd_series(arm), 50)

# The cable: 0.35 dB/m at 1 GHz, rising with the square root of frequency.
alpha = 0.35 / 8.685889638 * np.sqrt(freq.f / 1e9)
beta = w / (0.69 * c0)
cable = network(abcd_line(51.0, (alpha + 1j * beta) * 1.0), 50)

# The 50 to 75 ohm minimum-loss pad (series 43.30 ohms on the 75 ohm side, shunt 86.60 ohms),
# behind 8 mm of 52 ohm line on the 50 ohm side.
line = network(abcd_line(52.0, 1j * w / (0.8 * c0) * 8e-3), 50)
matching = network(abcd_shunt(np.full(len(w), 1 / 86.60 + 0j)) @ abcd_series(
    np.full(len(w), 43.30 + 0j)), [50, 75])
adapter = skrf.connect(line, 1, matching, 0)


def ma(x):
    return f"{abs(x):.9f} {np.degrees(np.angle(x)):.6f}"


def write_v1(name, n, comment):
    with open(name, "w") as out:
        out.write(f"! {comment} (synthetic, made with scikit-rf by make_throughs.py)\n")
        out.write("# GHz S MA R 50\n")
        for k, f in enumerate(freq.f):
            s = n.s[k]
            out.write(f"{f / 1e9:.2f} {ma(s[0, 0])} {ma(s[1, 0])} {ma(s[0, 1])} {ma(s[1, 1])}\n")


write_v1("attenuator.s2p", pad, "6 dB attenuator")
write_v1("cable.s2p", cable, "1 m of lossy 51 ohm cable")
with open("adapter.ts", "w") as out:
    out.write("! 50 to 75 ohm adapter (synthetic, made with scikit-rf by make_throughs.py)\n")
    out.write("[Version] 2.0\n# GHz S RI R 50\n[Number of Ports] 2\n")
    out.write("[Two-Port Data Order] 12_21\n")
    out.write(f"[Number of Frequencies] {len(freq.f)}\n[Reference] 50 75\n[Network Data]\n")
    for k, f in enumerate(freq.f):
        s = adapter.s[k]
        pairs = [s[0, 0], s[0, 1], s[1, 0], s[1, 1]]
        out.write(f"{f / 1e9:.2f} " + " ".join(f"{x.real:.9f} {x.imag:.9f}" for x in pairs) + "\n")
    out.write("[End]\n")
