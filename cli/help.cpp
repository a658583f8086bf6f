#include "cli/help.h"

#include "cli/budget_command.h"

namespace cli {

std::string HelpText() {
  return R"HELP(Usage:
  voranth-calc [--z0 OHMS] --source MAG@ANGLE --load MAG@ANGLE
               [--through "S11 S21 S12 S22"] [--json]
  voranth-calc --source FILE:PP --load FILE:PP [--through TWOPORT.s2p[:21]]
               [--z0 OHMS] [--csv OUT.csv] [--plot OUT.svg] [--smith OUT.svg]
  voranth-calc --source MAG@ANGLE --load FILE:PP ... (or the other way round)
  voranth-calc --source [max] MAG --load [max] MAG [--through "S11 S21 S12 S22"]
               [--json]
  voranth-calc --help | --version

Mismatch loss, return loss and impedances of a source-load junction, computed
exactly as the Voranth window computes them: for one point, or at every
frequency of a sweep read from two Touchstone files. With a two-port between
source and load (an adapter, a cable, an attenuator): what each side sees
through it, the transducer gain and the mismatch loss at both of its planes.

Single point:
  --z0 OHMS           reference impedance Z0 in ohms (default 50)
  --source MAG@ANGLE  source reflection coefficient: magnitude, and angle in
                      degrees (for example 0.5@30, or 0.5@30°)
  --load MAG@ANGLE    load reflection coefficient (for example 0.3@-45)
  --through "S11 S21 S12 S22"
                      a two-port between source and load, port 1 facing the
                      source, each S-parameter as MAG@ANGLE (for example
                      "0.05@10 0.9@-40 0.9@-40 0.05@170"); its lines follow
                      the others (see Two-port below)

  MAG is |Γ|, or a VSWR ("1.5:1", "VSWR 1.5"), or a return loss ("14 dB",
  "RL 14", "RL 14 dB"); "-14 dB" is |Γ| in dB, the same magnitude as "14 dB".
  The words may be written in any case. A magnitude given so is followed in the
  output by what it was read as: |ΓS| = 0.2 (VSWR 1.5:1).
  --json              write JSON instead of labelled lines

  Numbers follow the rule of the window's boxes: a point or a comma as the
  decimal separator, an optional sign and exponent, blanks around ignored; no
  digit grouping, inf, nan or hexadecimal. A comma followed by exactly three
  digits ("1,000") is refused: write 1000 or 1.000. Z0 is read only when the
  impedances need it, as in the window.

  The output gives the eight results exactly as the window writes them
  (RL = 6.02 dB, ML = 1.25 dB, ZS = 150.0 + j0.0 Ω, ZL = ...; RL = >100 dB for
  a perfect match, ML = ∞ dB when no power reaches the load), then:
    M                     share of the available power that reaches the load
    ML at any phase       mismatch loss for the same magnitudes at the best
                          and the worst phase
    Mismatch uncertainty  20·log10(1 ± |ΓS||ΓL|) in dB, (1 ± |ΓS||ΓL|)² − 1 in %
    Standard uncertainty  u = √2·|ΓS||ΓL| of the U-shaped mismatch term, in %
                          and in dB (10·log10(e)·u)
    Expanded uncertainty  U = 2u (k = 2)
    Coverage interval     95 % interval of the delivered power, 1/|1 − ΓS·ΓL|²
                          in dB, by Monte Carlo of the unknown phase
    VSWR, Return loss, Reflected power   of the source (S) and the load (L)
  A figure without a finite value says so in words, for example "infinite
  (total reflection or active port)" or "not defined: |ΓS||ΓL| ≥ 1".

  JSON: {"results": the eight texts, each with its number at full precision
  (RL_dB, ML_dB; re_ohm and im_ohm of ZS and ZL), "figures": the figures,
  "through": the two-port's figures, "lines": the lines}. Every value is a
  number, "infinite" or "-infinite" for an unbounded one, or null for one
  that is not defined.

  When a box of the window would hold no number, or a quantity cannot be
  computed, the window's warning is written to standard error, nothing to
  standard output (with --json: {"error": {"warning": the warning}}), and
  the exit status is 1.

Sweep:
  --source FILE:PP    S_pp of port p of a Touchstone file (version 1, 2.0 or
                      2.1, .s1p to .sNp), for example amp.s2p:22 for S22; from
                      port 10 on, both indices are written (1212 for S1212).
                      A port of mixed-mode data is named as the file's
                      [Mixed-Mode Order] names it: bal.s4p:D1,3 (or
                      bal.s4p:D1 when only one differential pair starts at
                      port 1); it refers to its two ports' reference
                      impedances in series (D) or in parallel (C)
  --load FILE:PP      likewise for the load, for example filter.s2p:11; FILE
                      may be a pipe, a FIFO, or - for standard input (each
                      file is read once)
  --source MAG@ANGLE or --load MAG@ANGLE with a file on the other side
                      a fixed reflection coefficient (a data sheet's VSWR,
                      say: --source "VSWR 1.5@0"), the same at every
                      frequency of the file and against its reference
                      impedance
  --source-ports N, --load-ports N
                      the number of ports of version 1 data whose name does
                      not end in .sNp (a pipe, for example)
  --z0 OHMS           the common reference impedance of the sweep: every file
                      (and the two-port) is brought to it, and ZS and ZL are
                      given against it. Without it, a file that states its
                      ports' impedances at each frequency ("! Port Impedance"
                      comments, as simulators export data that is not
                      renormalised) is brought to the source's option-line R
                      (50 ohms if none); otherwise ΓL is brought to the
                      source's reference
  --csv OUT.csv       write the table to OUT.csv; the table goes to standard
                      output when none of --csv, --plot and --smith is
                      given. For every output, "-" is standard output (for
                      one of them); a symbolic link is followed to its
                      file; a FIFO or a device is written directly
  --plot OUT.svg      draw the mismatch loss, its range at any phase, and the
                      return loss against frequency (with --through: the
                      mismatch loss at both planes, and the transducer gain);
                      unbounded losses go to a band at the top of their panel,
                      marked ∞
  --smith OUT.svg     draw ΓS, ΓL (and Γout with --through) over frequency on
                      a Smith chart, normalised to the source's reference
                      impedance, the first and last frequencies marked
  --through TWOPORT.s2p[:21]
                      a two-port between source and load: all four
                      S-parameters of a 2-port file, port 1 facing the
                      source; ":21" turns it round (see Two-port below).
                      The path may hold blanks; "S11 S21 S12 S22", each
                      MAG@ANGLE, is a two-port fixed for every frequency

  The table is CSV with a header row and one row per frequency, every number
  at full precision (the shortest text that reads back to the same value):
    frequency_hz                         frequency in Hz
    source_magnitude, source_angle_deg   ΓS as read
    load_magnitude, load_angle_deg       ΓL as used (renormalised, interpolated)
    M                                    mismatch factor
    ML_dB, RL_dB                         mismatch loss, return loss
    ZS_re_ohm, ZS_im_ohm, ZL_re_ohm, ZL_im_ohm   impedances against the source's
                                         reference impedance
    ML_min_dB, ML_max_dB                 mismatch loss at any phase
    standard_uncertainty_percent, standard_uncertainty_dB
                                         standard uncertainty of the
                                         mismatch term
    expanded_uncertainty_percent, expanded_uncertainty_dB
                                         expanded uncertainty (k = 2)
  with --through:
    gamma_out_magnitude, gamma_out_angle_deg, gamma_in_magnitude,
    gamma_in_angle_deg                   Γout and Γin
    Gt_dB                                transducer gain (-inf: no power)
    ML_source_plane_dB, ML_source_plane_min_dB, ML_source_plane_max_dB,
    ML_load_plane_dB, ML_load_plane_min_dB, ML_load_plane_max_dB
                                         mismatch loss at each plane, with
                                         its range at any phase
  and last:
    warning                              why a point could not be computed
  "inf" is an unbounded loss: ML when no power reaches the load, RL for a
  perfect match. An empty field is a figure that is not defined; zero is
  written 0, whatever its sign.

  When the reference impedances of the two ports differ, ΓL is brought to the
  source's reference impedance through its impedance. Files with the same
  frequencies are paired point by point (two frequencies are the same when
  they differ by less than a thousandth of either grid's step there). When the
  grids differ, the sweep covers the whole band both files cover, on the grid
  of the file with more points in it, and the other file is interpolated
  linearly in its real and imaginary parts. Both are said on standard error,
  and so is a phase that turns by more than 45° between the neighbouring
  points interpolated. Bands that do not overlap are an error.

  Each file is read once. A fault in either (with its file, line and what was
  expected), or an output that cannot be written, leaves OUT.csv and OUT.svg
  as they were: each is written beside its target and flushed to the disk,
  and all are renamed over their targets only when all are complete; the
  temporary files are removed when a signal ends the program. What went to
  standard output may have been begun. An output that is one of the input
  files, or two outputs naming one file in any spelling, is refused before
  anything is written.

  A point that cannot be computed (for example |ΓL| = 1 at 0°, an open circuit
  whose impedance is infinite) keeps its row: frequency and reflection
  coefficients, empty results, and the window's warning in the column
  "warning". The first ones are also listed on standard error, and the exit
  status is 1.

Two-port:
  With S11, S21, S12, S22 of a two-port between source and load (port 1
  facing the source), against the source's reference impedance:
    Γout = S22 + S12·S21·ΓS/(1 − S11·ΓS)   the source as the load sees it
    Γin  = S11 + S12·S21·ΓL/(1 − S22·ΓL)   the load as the source sees it
    Gt = |S21|²(1 − |ΓS|²)(1 − |ΓL|²)/|(1 − S11·ΓS)(1 − S22·ΓL)
         − S12·S21·ΓS·ΓL|²                  transducer gain, in dB
    ML at the source plane (ΓS with Γin) and at the load plane (Γout with ΓL),
    each as the window computes it, with its range at any phase.
  The results of ΓS and ΓL met directly keep their place. The two-port's
  reference impedances are renormalised to the source's (they must be
  positive); its file is read once, its S-parameters interpolated linearly
  in their real and imaginary parts where it has no point of its own (with
  a warning where its S21 turns by more than 45° between its points), and
  frequencies outside its band are left out (standard error says so).

)HELP" + BudgetHelpText() +
         R"HELP(
Exit status:
  0  success
  1  the calculation gave a warning, or some points of a sweep could not be
     computed (the table is complete; those rows say why)
  2  the command line cannot be used
  3  a file cannot be read or written, or the two files do not fit together;
     no table or plot file is left incomplete, and standard error says what,
     if anything, was written (a table on standard output may be incomplete)
)HELP";
}

}  // namespace cli
