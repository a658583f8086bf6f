#include "cli/fixed_values.h"

#include <cmath>
#include <string>

#include "calc/calculate_texts.h"
#include "calc/reflection.h"
#include "platform/errors.h"
#include "platform/number_text.h"

namespace cli {

calc::TwoPortS ThroughOf(const std::array<PointSpec, 4>& points) {
  static constexpr const char* kNames[] = {"S11", "S21", "S12", "S22"};
  double v[8];
  for (int k = 0; k < 8; ++k) {
    const std::string& text = k % 2 == 0 ? points[k / 2].magnitude : points[k / 2].angle;
    try {
      v[k] = platform::TextToNumber(text);
    } catch (const platform::Error&) {
      throw UsageError("--through: the " + std::string(k % 2 == 0 ? "magnitude" : "angle") +
                       " of " + kNames[k / 2] + " \"" + text + "\" is not a number");
    }
  }
  calc::TwoPortS s;
  calc::Complex* c[] = {&s.s11, &s.s21, &s.s12, &s.s22};
  for (int k = 0; k < 4; ++k) {
    *c[k] = calc::FromPolar(v[2 * k], v[2 * k + 1]);
    if (!std::isfinite(c[k]->re) || !std::isfinite(c[k]->im)) {
      throw UsageError(std::string("--through: ") + kNames[k] + " is too large to compute with");
    }
  }
  return s;
}

sweep::Reflection FixedReflectionOf(const PointSpec& point, bool load,
                                    calc::MagnitudeReading& reading) {
  calc::InputTexts texts;
  const int magnitude = load ? calc::kLoadMagnitude : calc::kSourceMagnitude;
  const int angle = load ? calc::kLoadAngle : calc::kSourceAngle;
  texts[magnitude] = point.magnitude;
  texts[angle] = point.angle;
  const double m = calc::ConvertInput(texts, magnitude);
  const double a = calc::ConvertInput(texts, angle);
  reading = calc::ReadMagnitude(point.magnitude);
  return calc::Reflection::Polar(m, a);
}

}  // namespace cli
