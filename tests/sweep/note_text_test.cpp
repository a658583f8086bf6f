#include "sweep/note_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using touchstone::WaveDefinition;

struct Wording {
  const char* what;
  sweep::Note note;
  const char* text;
};

const Wording kWordings[] = {
    {"a repeated point equal to the one before", sweep::RepeatedPointNote{"a.s1p", 4, 2e9, 0.0},
     "a.s1p:4: the frequency 2e+09 Hz repeats the point before (where two segments of a sweep "
     "meet): the point before is kept and this line skipped; the two are equal"},
    {"a difference that would round to 0.0000",
     sweep::RepeatedPointNote{"a.s1p", 4, 2e9, 0.00004999},
     "a.s1p:4: the frequency 2e+09 Hz repeats the point before (where two segments of a sweep "
     "meet): the point before is kept and this line skipped; |\u0394\u0393| between the two is "
     "below 0.0001"},
    {"a difference that rounds up to 0.0001", sweep::RepeatedPointNote{"a.s1p", 4, 2e9, 0.00005},
     "a.s1p:4: the frequency 2e+09 Hz repeats the point before (where two segments of a sweep "
     "meet): the point before is kept and this line skipped; |\u0394\u0393| between the two is "
     "0.0001"},
    {"stated impedances: files with their wave definition, the two-port without",
     sweep::CommonReferenceNote{
         {{"s.s1p", WaveDefinition::kPower}, {"t.s2p", std::nullopt}}, 25.0, false},
     "the port impedances stated at each frequency (! Port Impedance) are used: s.s1p "
     "(power-wave), t.s2p; every reflection coefficient is brought to the common reference of "
     "25 \u03a9 (the source's option-line R, 50 \u03a9 when it gives none), and ZS and ZL are "
     "given against it"},
    {"a given reference alone", sweep::CommonReferenceNote{{}, 75.0, true},
     "every reflection coefficient is brought to the common reference of 75 \u03a9 (--z0), and "
     "ZS and ZL are given against it"},
    {"grids that share one frequency, on the load's grid",
     sweep::GridsDifferNote{"s.s1p", "l.s1p", 3, 1, 2e9, 2e9, 1, true},
     "the frequency grids differ (s.s1p has 3, l.s1p has 1): computing from 2e+09 to 2e+09 Hz, "
     "the band both cover, at the one frequency of l.s1p there, with \u0393S interpolated "
     "linearly in its real and imaginary parts where s.s1p has no point of its own"},
    {"one frequency outside the two-port's band",
     sweep::OutsideThroughNote{"t.s2p", 1, 1.5e9, 2.5e9},
     "1 frequency of the sweep outside the band of the two-port t.s2p (1.5e+09 to 2.5e+09 Hz) "
     "left out"},
};

void PrintTo(const Wording& w, std::ostream* out) {
  *out << w.what;
}

class Notes : public testing::TestWithParam<Wording> {};

TEST_P(Notes, AreWordedAsBefore) {
  EXPECT_EQ(sweep::NoteText(GetParam().note), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Sweep, Notes, testing::ValuesIn(kWordings));

}  // namespace
