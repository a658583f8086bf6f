#include "calc/results.h"

#include <cmath>

#include "calc/mismatch.h"

namespace calc {

Figure FigureOf(double x, Reason why_infinite) noexcept {
  if (std::isnan(x)) return Figure::NotDefined();
  if (std::isinf(x)) return Figure::Infinite(why_infinite, x < 0.0);
  return Figure::Number(x);
}

namespace {

Impedance ImpedanceOf(const ComplexValue& z) noexcept {
  return {FigureOf(z.Real), FigureOf(z.Imag)};
}

}  // namespace

Results ResultsOf(const MismatchResult& e) noexcept {
  Results r;
  r.mismatch_factor = FigureOf(e.MismatchFactor);
  // No power reaches the load: the mismatch loss has no bound.
  r.mismatch_loss_db = e.MismatchFactor == 0.0 ? Figure::Infinite(Reason::kNoPowerReachesLoad)
                                               : FigureOf(e.MismatchLossDb);
  // A mismatch loss of zero (of either sign) is a perfect match: the return loss has no bound.
  r.return_loss_db =
      e.MismatchLossDb == 0.0 ? Figure::Infinite(Reason::kPerfectMatch) : FigureOf(e.ReturnLossDb);
  r.source_impedance = ImpedanceOf(e.Impedance1);
  r.load_impedance = ImpedanceOf(e.Impedance2);
  return r;
}

}  // namespace calc
