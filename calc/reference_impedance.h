#pragma once

// S-parameters against complex reference impedances, brought to one real reference: the
// reflection coefficient of one port, or a two-port renormalised as a whole. Plain C++.

#include "calc/two_port.h"

namespace calc {

// How the waves of S-parameters against a complex reference impedance Zr are defined. All three
// agree for a real Zr.
// - travelling waves: a = (V + Zr·I)/(2√Zr), b = (V − Zr·I)/(2√Zr); Γ = (Z − Zr)/(Z + Zr);
// - pseudo-waves (Marks and Williams): the travelling waves times √(Re Zr)·√Zr/|Zr|; Γ as above;
// - power waves (Kurokawa): a = (V + Zr·I)/(2√(Re Zr)), b = (V − Zr*·I)/(2√(Re Zr));
//   Γ = (Z − Zr*)/(Z + Zr).
enum class WaveDefinition { kTravelling, kPseudo, kPower };

// Γ of a port against the complex reference `zr` (Re zr > 0), in `definition`, brought to the
// real reference `r` (> 0) through the port's impedance Z: the Γ of the same Z against r. Γ = 1
// (an open) stays 1.
Complex ReflectionAgainst(Complex g, Complex zr, WaveDefinition definition, double r);

// The S-parameters of a two-port against `z1` at port 1 and `z2` at port 2 (real parts > 0), in
// `definition`, renormalised as a whole to the real reference `r` (> 0) at both ports. With new
// waves a' = k(pa·a + qa·b) and b' = k(qb·a + pb·b) at each port, S' = K(Qb + Pb·S)(Pa +
// Qa·S)⁻¹K⁻¹.
TwoPortS TwoPortAgainst(const TwoPortS& s, Complex z1, Complex z2, WaveDefinition definition,
                        double r);

}  // namespace calc
