#pragma once

// The two-port's points as the sweep reads them, alongside the rows. Used by sweep.cpp only.

#include <cmath>
#include <functional>
#include <optional>
#include <string>

#include "calc/reflection.h"
#include "sweep/note.h"
#include "sweep/sweep.h"
#include "sweep/sweep_detail.h"

namespace sweep::detail {

using calc::TwoPortS;
using touchstone::Format;
using touchstone::Sample;

// The through's points as they are read: each converted, turned round and renormalised.
class ThroughTrack {
 public:
  // Opens the file and reads its first point, which tells whether it states its impedances.
  ThroughTrack(const ThroughFile& file, const std::function<void(const Note&)>& note)
      : file_(file), reader_(file.path), note_(note), points_(reader_) {}
  bool states_impedances() const { return reader_.states_impedances(); }

  // Starts reading with the S-parameters brought to `to_ohms` at both ports.
  void Start(double to_ohms) {
    to_ohms_ = to_ohms;
    r1_ = reader_.reference_ohms(file_.reversed ? 2 : 1);
    r2_ = reader_.reference_ohms(file_.reversed ? 1 : 2);
    renormalise_ = r1_ != to_ohms_ || r2_ != to_ohms_;
    if (renormalise_ && !(r1_ > 0.0 && r2_ > 0.0 && to_ohms_ > 0.0 && std::isfinite(r1_) &&
                          std::isfinite(r2_) && std::isfinite(to_ohms_))) {
      throw SweepError(file_.path + ": its reference impedances (" + Shortest(r1_) + " and " +
                       Shortest(r2_) + " \u03a9) cannot be renormalised to the source's " +
                       Shortest(to_ohms_) + " \u03a9: all must be positive");
    }
    has_cur_ = Read(cur_);
    has_next_ = has_cur_ && Read(next_);
    if (!has_cur_) throw SweepError(file_.path + ": the file holds no frequency points");
    first_hz_ = cur_.hz;
  }

  // What the user should know before the first row, when anything.
  std::optional<ThroughRenormalisedNote> RenormalisationNote() const {
    if (!renormalise_ || reader_.states_impedances()) return std::nullopt;
    return ThroughRenormalisedNote{file_.path, r1_, r2_, to_ohms_};
  }

  enum class Where { kBelow, kInside, kAbove };
  // The S-parameters at `hz`; frequencies come in increasing order. `interpolated` tells whether
  // they lie between two points of the file.
  Where At(double hz, TwoPortS& s, bool& interpolated) {
    while (has_next_ && (next_.hz <= hz || Same(hz, next_.hz))) Advance();
    interpolated = false;
    not_a_number_line_ = cur_.not_a_number_line;
    if (Same(hz, cur_.hz)) {
      s = cur_.s;
      return Where::kInside;
    }
    if (hz < cur_.hz) return Where::kBelow;
    if (!has_next_) return Where::kAbove;
    interpolated = true;
    if (not_a_number_line_ == 0) not_a_number_line_ = next_.not_a_number_line;
    // Between points whose transmission turns further than this, a straight line in the complex
    // plane cuts the arc short: the interpolated loss is too high.
    const auto turn = [](calc::Complex a, calc::Complex b) {
      return std::fabs(std::remainder(calc::AngleDegrees(b) - calc::AngleDegrees(a), 360.0));
    };
    if (cur_.hz != steep_counted_hz_ && (turn(cur_.s.s21, next_.s.s21) > kSteepTurnDeg ||
                                         turn(cur_.s.s12, next_.s.s12) > kSteepTurnDeg)) {
      if (steep_steps_++ == 0) {
        steep_from_hz_ = cur_.hz;
        steep_to_hz_ = next_.hz;
      }
      steep_counted_hz_ = cur_.hz;
    }
    const double t = (hz - cur_.hz) / (next_.hz - cur_.hz);
    s = calc::Lerp(cur_.s, next_.s, t);
    return Where::kInside;
  }

  // Neighbouring points used for interpolation whose transmission turns by more than 45°: how
  // many pairs, and the first; nothing when none.
  std::optional<ThroughSteepNote> SteepNote() const {
    if (steep_steps_ == 0) return std::nullopt;
    return ThroughSteepNote{file_.path, steep_steps_, steep_from_hz_, steep_to_hz_};
  }

  // The line of a "nan" or "inf" in the file behind the S-parameters that At() gave (0: none).
  long not_a_number_line() const { return not_a_number_line_; }

  // The band of the points read so far: all of it once At() has passed the end.
  double first_hz() const { return first_hz_; }
  double last_hz() const { return has_next_ ? next_.hz : cur_.hz; }

 private:
  struct Point {
    double hz = 0.0;
    TwoPortS s;
    long not_a_number_line = 0;  // of a "nan" or "inf" in the file
  };

  bool Read(Point& p) {
    const auto skipped = [this](const touchstone::TwoPortSample& kept,
                                const touchstone::TwoPortSample& b) {
      double difference = 0.0;
      for (int k = 0; k < 4; ++k) {
        const Reflection x = ReflectionOf(Sample{0, kept.s[k].a, kept.s[k].b}, reader_.format());
        const Reflection y = ReflectionOf(Sample{0, b.s[k].a, b.s[k].b}, reader_.format());
        difference = std::max(difference, std::hypot(x.re - y.re, x.im - y.im));
      }
      note_(RepeatedPointNote{file_.path, reader_.skipped_line(), b.frequency_hz, difference});
    };
    touchstone::TwoPortSample sample;
    if (!points_.Next(reader_, sample, skipped)) return false;
    p.not_a_number_line = sample.not_a_number_line;
    const Format format = reader_.format();
    calc::Complex c[4];
    for (int k = 0; k < 4; ++k) {
      c[k] =
          ReflectionOf(Sample{sample.frequency_hz, sample.s[k].a, sample.s[k].b}, format).value();
    }
    p.hz = sample.frequency_hz;
    // Turned round, port 2 faces the source: S11 and S22 change places, and so do S21 and S12.
    p.s = file_.reversed ? TwoPortS{c[3], c[2], c[1], c[0]} : TwoPortS{c[0], c[1], c[2], c[3]};
    if (reader_.states_impedances()) {
      // Against the impedances the file states at this frequency, renormalised as a whole.
      const touchstone::Impedance z1 = reader_.stated_impedance(file_.reversed ? 2 : 1);
      const touchstone::Impedance z2 = reader_.stated_impedance(file_.reversed ? 1 : 2);
      p.s = calc::TwoPortAgainst(p.s, {z1.re, z1.im}, {z2.re, z2.im},
                                 DefinitionOf(reader_.wave_definition()), to_ohms_);
    } else if (renormalise_) {
      p.s = calc::RenormaliseTwoPort(p.s, r1_, r2_, to_ohms_);
    }
    return true;
  }
  void Advance() {
    cur_ = next_;
    has_next_ = Read(next_);
  }
  // A row's frequency and a point of the file are the same when closer than a thousandth of the
  // file's step there (and than 1e-9 of their size).
  bool Same(double hz, double point_hz) const {
    double step = kInfinity;
    if (has_next_) step = next_.hz - cur_.hz;
    return SameFrequency(hz, point_hz, kInfinity, step);
  }

  ThroughFile file_;
  touchstone::TwoPortReader reader_;
  const std::function<void(const Note&)>& note_;
  ReadAhead<touchstone::TwoPortReader, touchstone::TwoPortSample> points_;
  long not_a_number_line_ = 0;
  double to_ohms_ = 0.0, r1_ = 0.0, r2_ = 0.0;
  bool renormalise_ = false;
  Point cur_, next_;
  bool has_cur_ = false, has_next_ = false;
  long long steep_steps_ = 0;
  double steep_from_hz_ = 0.0, steep_to_hz_ = 0.0, steep_counted_hz_ = -kInfinity;
  double first_hz_ = 0.0;
};

}  // namespace sweep::detail
