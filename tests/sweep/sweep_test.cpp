#include "sweep/sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "sweep/note_text.h"
#include "tests/sweep/scratch_files.h"

namespace {

using sweep_test::Files;

struct Row {
  double hz, source_magnitude, source_angle, load_magnitude, load_angle;
};

// Two grids: the rows that come out, the count of interpolated rows, and a part of the notes.
struct Pairing {
  const char* what;
  const char* source;
  const char* load;
  std::vector<Row> rows;  // checked to 1e-12
  long long interpolated;
  bool source_interpolated;
  const char* note;  // a part of the notes; "" for none at all
};

// Interpolated values worked out by hand: halfway between 0.1 + j0 and 0.3 + j0.2 is 0.2 + j0.1,
// |0.2 + j0.1| = √0.05 and its angle atan(0.5) in degrees.
constexpr double kHalfMagnitude = 0.223606797749979;
constexpr double kHalfAngle = 26.56505117707799;

const Pairing kPairings[] = {
    {"the same grid: point by point",
     "# GHz S MA R 50\n1 0.5 30\n2 0.4 -20\n",
     "# MHz S MA R 50\n1000 0.3 -45\n2000 0.2 0\n",
     {{1e9, 0.5, 30, 0.3, -45}, {2e9, 0.4, -20, 0.2, 0}},
     0,
     false,
     ""},
    {"nearly the same grid: within a thousandth of a step the points pair, at the source's",
     "# Hz S MA R 50\n1000000000 0.5 0\n2000000000 0.4 0\n",
     "# Hz S MA R 50\n1000000000.5 0.3 0\n1999999999.5 0.2 0\n",
     {{1e9, 0.5, 0, 0.3, 0}, {2e9, 0.4, 0, 0.2, 0}},
     0,
     false,
     ""},
    {"overlapping grids: the band both cover, on the denser grid, the source interpolated",
     "# GHz S RI R 50\n1 0.1 0\n2 0.3 0.2\n3 0.3 0.2\n",
     "# GHz S MA R 50\n1.5 0.2 10\n2 0.2 20\n2.5 0.2 30\n3 0.2 40\n3.5 0.2 50\n",
     {{1.5e9, kHalfMagnitude, kHalfAngle, 0.2, 10},
      {2e9, 0.3605551275463989, 33.69006752597979, 0.2, 20},
      {2.5e9, 0.3605551275463989, 33.69006752597979, 0.2, 30},
      {3e9, 0.3605551275463989, 33.69006752597979, 0.2, 40}},
     2,
     true,
     "computing from 1.5e+09 to 3e+09 Hz, the band both cover, at the 4 frequencies"},
    {"a grid nested in the other: its band, the outer file interpolated",
     "# GHz S MA R 50\n1 0.5 0\n1.2 0.5 0\n1.4 0.5 0\n1.6 0.5 0\n",
     "# GHz S RI R 50\n0 0.1 0\n2 0.3 0.2\n",
     {{1e9, 0.5, 0, kHalfMagnitude, kHalfAngle},
      {1.2e9, 0.5, 0, 0.25059928172283336, 28.61045966596522},
      {1.4e9, 0.5, 0, 0.2778488797889961, 30.256437163529263},
      {1.6e9, 0.5, 0, 0.305286750449475, 31.607502246248906}},
     4,
     false,
     "with \u0393L interpolated linearly"},
    {"the negative real axis, interpolated, lies at +180°",
     "# GHz S MA R 50\n1 0.5 0\n1.5 0.5 0\n2 0.5 0\n",
     "# GHz S RI R 50\n1 -0.5 0.1\n2 -0.5 -0.1\n",
     {{1e9, 0.5, 0, 0.5099019513592785, 168.6900675259798},
      {1.5e9, 0.5, 0, 0.5, 180},
      {2e9, 0.5, 0, 0.5099019513592785, -168.6900675259798}},
     1,
     false,
     "the frequency grids differ"},
    {"another reference impedance: ΓL brought to the source's, 0.2 at 75 Ω is 5/13 at 50 Ω",
     "# GHz S MA R 50\n1 0.5 0\n",
     "# GHz S RI R 75\n1 0.2 0\n",
     {{1e9, 0.5, 0, 0.38461538461538464, 0}},
     0,
     false,
     "the reference impedances differ"},
};

void PrintTo(const Pairing& p, std::ostream* out) {
  *out << p.what;
}

class Pairs : public testing::TestWithParam<Pairing> {};

TEST_P(Pairs, RowsAndNotes) {
  const Pairing& c = GetParam();
  const Files files;
  std::vector<sweep::SweepRow> rows;
  std::string notes;
  const sweep::SweepSummary summary = sweep::RunSweep(
      files.Port("source.s1p", c.source), files.Port("load.s1p", c.load),
      [&](const sweep::Note& note) { notes += sweep::NoteText(note) + "\n"; },
      [&](const sweep::SweepRow& row) { rows.push_back(row); });
  ASSERT_EQ(rows.size(), c.rows.size());
  EXPECT_EQ(summary.rows, static_cast<long long>(c.rows.size()));
  EXPECT_EQ(summary.interpolated, c.interpolated);
  if (c.interpolated > 0) {
    EXPECT_EQ(summary.source_interpolated, c.source_interpolated);
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    const Row& want = c.rows[i];
    EXPECT_EQ(rows[i].frequency_hz, want.hz);
    EXPECT_NEAR(rows[i].source_magnitude, want.source_magnitude, 1e-12);
    EXPECT_NEAR(rows[i].source_angle_deg, want.source_angle, 1e-12);
    EXPECT_NEAR(rows[i].load_magnitude, want.load_magnitude, 1e-12);
    EXPECT_NEAR(rows[i].load_angle_deg, want.load_angle, 1e-12);
    EXPECT_TRUE(rows[i].computed) << rows[i].warning;
    // Every angle the sweep derives lies in (-180, 180].
    EXPECT_GT(rows[i].load_angle_deg, -180.0);
    EXPECT_LE(rows[i].load_angle_deg, 180.0);
  }
  if (*c.note == '\0') {
    EXPECT_EQ(notes, "");
  } else {
    EXPECT_NE(notes.find(c.note), std::string::npos) << notes;
  }
}

INSTANTIATE_TEST_SUITE_P(Sweep, Pairs, testing::ValuesIn(kPairings));

TEST(Sweep, BandsThatDoNotOverlapAreRefused) {
  const Files files;
  EXPECT_THROW(sweep::RunSweep(
                   files.Port("a.s1p", "# GHz S MA R 50\n1 0.5 0\n2 0.5 0\n"),
                   files.Port("b.s1p", "# GHz S MA R 50\n3 0.5 0\n4 0.5 0\n"),
                   [](const sweep::Note&) {}, [](const sweep::SweepRow&) {}),
               sweep::SweepError);
}

TEST(Sweep, ASteepTurnBetweenInterpolatedPointsIsCounted) {
  // The load turns by 90° from 1 to 2 GHz, then by 10°: one steep pair, the first.
  const Files files;
  const sweep::SweepSummary summary = sweep::RunSweep(
      files.Port("a.s1p", "# GHz S MA R 50\n1 0.5 0\n1.5 0.5 0\n2 0.5 0\n2.5 0.5 0\n3 0.5 0\n"),
      files.Port("b.s1p", "# GHz S MA R 50\n1 0.3 0\n2 0.3 90\n3 0.3 100\n"),
      [](const sweep::Note&) {}, [](const sweep::SweepRow&) {});
  EXPECT_EQ(summary.interpolated, 2);
  EXPECT_EQ(summary.steep_steps, 1);
  EXPECT_EQ(summary.steep_from_hz, 1e9);
  EXPECT_EQ(summary.steep_to_hz, 2e9);
}

}  // namespace
