#include "sweep/pairing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "platform/number_format.h"
#include "tests/sweep/scratch_files.h"

namespace {

using sweep_test::Files;

// Two sides, a file's text or nullptr for the fixed value 0.25 at 30°, and what the pairing
// gives: each pair's frequency in GHz, with "~S" or "~L" for the side interpolated, and the notes
// in between where they come, [grids] or [repeat].
struct Case {
  const char* what;
  const char* source;
  const char* load;
  const char* trace;
};

const Case kCases[] = {
    {"the same grid: point by point", "# GHz S MA R 50\n1 .5 0\n2 .5 0\n3 .5 0\n",
     "# MHz S RI R 50\n1000 .1 0\n2000 .1 0\n3000 .1 0\n", "1 2 3"},
    {"nearly the same grid: within a thousandth of a step, at the source's frequency",
     "# Hz S MA R 50\n1000000000 .5 0\n2000000000 .5 0\n",
     "# Hz S MA R 50\n1000000000.5 .3 0\n1999999999.5 .3 0\n", "1 2"},
    {"overlapping grids: the denser load's grid over the band both cover",
     "# GHz S RI R 50\n1 .1 0\n2 .3 .2\n3 .3 .2\n",
     "# GHz S MA R 50\n1.5 .2 10\n2 .2 20\n2.5 .2 30\n3 .2 40\n3.5 .2 50\n",
     "[grids] 1.5~S 2 2.5~S 3"},
    {"a grid nested in the other: its own points, the outer file interpolated",
     "# GHz S MA R 50\n1 .5 0\n1.2 .5 0\n1.4 .5 0\n1.6 .5 0\n",
     "# GHz S RI R 50\n0 .1 0\n2 .3 .2\n", "[grids] 1~L 1.2~L 1.4~L 1.6~L"},
    {"grids that part after three points: the note before the rest, nothing paired twice",
     "# GHz S MA R 50\n1 .5 0\n1.5 .5 0\n2 .5 0\n2.2 .5 0\n2.4 .5 0\n2.6 .5 0\n2.8 .5 0\n3 .5 0\n",
     "# GHz S MA R 50\n1 .3 0\n1.5 .3 0\n2 .3 0\n2.5 .3 0\n3 .3 0\n",
     "1 1.5 2 [grids] 2.2~L 2.4~L 2.6~L 2.8~L 3"},
    {"the source fixed: the load's points, a repeated one skipped with a note before the next",
     nullptr, "# GHz S MA R 50\n1 .5 0\n2 .5 0\n2 .5 1\n3 .5 0\n", "1 2 [repeat] 3"},
    {"the load fixed", "# GHz S MA R 50\n1 .5 0\n2 .5 0\n", nullptr, "1 2"},
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.what;
}

class Pairings : public testing::TestWithParam<Case> {};

TEST_P(Pairings, GiveThePairsInOrder) {
  const Case& c = GetParam();
  const Files files;
  const sweep::Reflection fixed = sweep::Reflection::Polar(0.25, 30);
  sweep::FilePort source, load;
  if (c.source != nullptr) source = files.Port("source.s1p", c.source);
  if (c.load != nullptr) load = files.Port("load.s1p", c.load);
  if (c.source == nullptr) source.fixed = fixed;
  if (c.load == nullptr) load.fixed = fixed;
  std::string trace;
  const auto add = [&trace](const std::string& word) {
    trace += (trace.empty() ? "" : " ") + word;
  };
  const std::function<void(const sweep::Note&)> note = [&](const sweep::Note& n) {
    add(std::holds_alternative<sweep::GridsDifferNote>(n) ? "[grids]" : "[repeat]");
  };
  sweep::Pairing pairs(source, load, note);
  sweep::Pair pair;
  long long count = 0;
  while (pairs.Next(pair)) {
    ++count;
    using I = sweep::Pair::Interpolated;
    add(platform::Shortest(pair.frequency_hz / 1e9) + (pair.interpolated == I::kSource ? "~S"
                                                       : pair.interpolated == I::kLoad ? "~L"
                                                                                       : ""));
    // The fixed side the same in every pair.
    if (source.fixed) {
      EXPECT_EQ(pair.source.angle_deg, fixed.angle_deg);
    }
    if (load.fixed) {
      EXPECT_EQ(pair.load.angle_deg, fixed.angle_deg);
    }
  }
  EXPECT_EQ(trace, c.trace);
  EXPECT_FALSE(pairs.Next(pair));  // and stays at the end
  EXPECT_EQ(pairs.summary().rows, count);
  const std::string t = c.trace;
  EXPECT_EQ(pairs.summary().interpolated, std::count(t.begin(), t.end(), '~'));
}

INSTANTIATE_TEST_SUITE_P(Sweep, Pairings, testing::ValuesIn(kCases));

}  // namespace
