#include "touchstone/touchstone.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using touchstone::ReadError;
using touchstone::ReflectionReader;
using touchstone::Sample;

// A frequency point as the file writes S_pp: re and im for RI, magnitude (in dB for DB) and angle
// for MA and DB.
struct Point {
  double hz, a, b;
};

struct Good {
  const char* what;
  const char* name;  // its extension gives the port count of version 1 data
  const char* text;
  int port;
  int ports;
  double ohms;
  bool ri;
  std::vector<Point> points;
};

constexpr const char* kTwoPortDb =
    "# KHZ S DB R 50\n"
    "! f S11 S21 S12 S22\n"
    "1 -10 1 -20 2 -30 3 -6 4\n"
    "2 -11 5 -21 6 -31 7 -40 8\n"
    "! noise parameters: the frequency starts again\n"
    "1 2.0 0.5 10 0.3\n"
    "2 2.1 0.5 11 0.3\n";

constexpr const char* kUpper =
    "[Version] 2.0\n"
    "# MHz S MA\n"
    "[Number of Ports] 3\n"
    "[Number of Frequencies] 1\n"
    "[Number of Noise Frequencies] 1\n"
    "[Matrix Format] upper\n"
    "[Reference] 50 60 70\n"
    "[Network Data]\n"
    "5 .11 1 .12 2 .13 3\n"
    "  .22 4 .23 5\n"
    "  .33 6\n"
    "[Noise Data]\n"
    "4 2.0 0.5 10 0.3\n"
    "[End]\n";

// clang-format off
const Good kGood[] = {
    {"v1 RI, Hz, R 75, comments, CRLF, negative real axis", "a.s1p",
     "! a comment\r\n# hz s ri r 75 ! units and format\r\n\r\n100 0.1 -0.2\r\n"
     "200\t-0.5 -0 ! on the negative real axis\r\n",
     1, 1, 75, true, {{100, 0.1, -0.2}, {200, -0.5, -0.0}}},
    {"v1 without option line: GHz, MA, R 50; byte-order mark; exact hertz", "b.S1P",
     "\xEF\xBB\xBF" "1 0.5 30\n1.00001E+0 +0.25 -45E0\n",
     1, 1, 50, false, {{1e9, 0.5, 30}, {1000010000, 0.25, -45}}},
    {"v1 2-port DB, kHz, S22, noise data after", "c.s2p", kTwoPortDb,
     2, 2, 50, false, {{1e3, -6, 4}, {2e3, -40, 8}}},
    {"v1 2-port DB, S11", "c.s2p", kTwoPortDb,
     1, 2, 50, false, {{1e3, -10, 1}, {2e3, -11, 5}}},
    {"v1 3-port MA, MHz: one row of the matrix per line", "d.s3p",
     "# MHz S MA R 50\n"
     "1 .11 1 .12 2 .13 3\n .21 4 .22 5 .23 6\n .31 7 .32 8 .33 9\n"
     "2 .11 1 .12 2 .13 3\n .21 4 .22 5 .23 6\n .31 7 .32 8 .33 -9\n",
     3, 3, 50, false, {{1e6, .33, 9}, {2e6, .33, -9}}},
    {"v1 5-port RI: rows wrapped after four pairs", "e.s5p",
     "# Hz S RI R 50\n"
     "7 1.1 0 1.2 0 1.3 0 1.4 0\n 1.5 0\n 2.1 0 2.2 0 2.3 0 2.4 0\n 2.5 0\n"
     " 3.1 0 3.2 0 3.3 0 3.4 0\n 3.5 0\n 4.1 0 4.2 0 4.3 0 4.4 0\n 4.5 0\n"
     " 5.1 0 5.2 0 5.3 0 5.4 0\n 5.5 -5.5\n",
     5, 5, 50, true, {{7, 5.5, -5.5}}},
    {"v2 2-port 12_21 RI, [Reference] over two lines", "f.ts",
     "! version 2\n[Version] 2.0\n# GHz S RI R 50\n[Number of Ports] 2\n"
     "[Two-Port Data Order] 12_21\n[Number of Frequencies] 2\n[Reference] 50\n 75 ! port 2\n"
     "[Network Data]\n1 0.11 0 0.12 0 0.21 0 0.22 -0.1\n2 0.11 0 0.12 0\n 0.21 0 0.22 -0.2\n"
     "[End]\n",
     2, 2, 75, true, {{1e9, 0.22, -0.1}, {2e9, 0.22, -0.2}}},
    {"v2 3-port full RI, S22", "g.s3p",
     "[version] 2.0\n# Hz S RI R 25\n[number of ports] 3\n[Number of Frequencies] 1\n"
     "[Matrix Format] Full\n[Network Data]\n3 1 0 2 0 3 0 4 0 5 0 6 0 7 0 8 0 9 0\n",
     2, 3, 25, true, {{3, 5, 0}}},
    {"v2 3-port lower DB, numbers wrapped freely", "h.s3p",
     "[Version] 2.0\n# Hz S DB R 50\n[Number of Ports] 3\n[Number of Frequencies] 2\n"
     "[Matrix Format] Lower\n[Network Data]\n"
     "10 -1 1 -2 2 -20 22\n-3 3 -4 4 -5 5 20 -1 1 -2 2 -40 44\n-3 3 -4 4\n-5 5\n[End]\n",
     2, 3, 50, false, {{10, -20, 22}, {20, -40, 44}}},
    {"v2 3-port upper MA, S22, noise data after", "i.ts", kUpper, 2, 3, 60, false, {{5e6, .22, 4}}},
    {"v2 3-port upper MA, S33", "i.ts", kUpper, 3, 3, 70, false, {{5e6, .33, 6}}},
    {"v1 CR line ends; too small for a double: zero of its sign", "j.s1p",
     "# MHz S RI R 50\r1 1e-400 -1e-400\r\r2 -0.5e-99999 0\r",
     1, 1, 50, true, {{1e6, 0, -0.0}, {2e6, -0.0, 0}}},
    {"v1 exponent at the end of its range, unit added", "k.s1p",
     "# MHz S MA R 50\n0e9223372036854775807 0.5 0\n", 1, 1, 50, false, {{0, 0.5, 0}}},
    {"v1 3-port: each matrix on one line", "l.s3p",
     "# MHz S MA R 50\n1 .11 1 .12 2 .13 3 .21 4 .22 5 .23 6 .31 7 .32 8 .33 9\n"
     "2 .11 1 .12 2 .13 3 .21 4 .22 5 .23 6 .31 7 .32 8 .33 -9\n",
     3, 3, 50, false, {{1e6, .33, 9}, {2e6, .33, -9}}},
    {"v1 2-port point wrapped over lines", "m.s2p",
     "# Hz S RI R 50\n1 .11 0 .21 0\n .12 0 .22 -1\n2 .11 0 .21 0 .12 0 .22 -2\n",
     2, 2, 50, true, {{1, .22, -1}, {2, .22, -2}}},
    {"v1 references per port on the option line, port 3", "n.s4p",
     "# GHz S MA R 0.01 0.01 50.0 50.0\n1 .11 1 .12 0 .13 0 .14 0\n .21 0 .22 0 .23 0 .24 0\n"
     " .31 0 .32 0 .33 3 .34 0\n .41 0 .42 0 .43 0 .44 0\n",
     3, 4, 50, false, {{1e9, .33, 3}}},
    {"v1 references per port on the option line, port 1", "n.s2p",
     "# GHz S MA R 0.01 25\n1 .11 1 .21 0 .12 0 .22 2\n", 1, 2, 0.01, false, {{1e9, .11, 1}}},
    {"a frequency repeated where two segments meet: the first point kept", "o.s1p",
     "# Hz S MA\n1 .5 1\n2 .5 2\n2 .6 2\n3 .5 3\n",
     1, 1, 50, false, {{1, .5, 1}, {2, .5, 2}, {3, .5, 3}}},
    // Written apart, but one double in hertz: the same frequency, kept once.
    {"two frequencies that are one in hertz", "h.s1p",
     "22222222222222002 .5 1\n22222222222222003 .6 2\n", 1, 1, 50, false,
     {{2.2222222222222003e25, .5, 1}}},
};
// clang-format on

void PrintTo(const Good& c, std::ostream* out) {
  *out << c.what;
}

class GoodFiles : public testing::TestWithParam<Good> {};

TEST_P(GoodFiles, GiveSppOfEachPoint) {
  const Good& c = GetParam();
  // A directory of this process: the tests run in parallel.
  const std::filesystem::path dir =
      std::filesystem::path(testing::TempDir()) / ("touchstone_test." + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / c.name, std::ios::binary) << c.text;
  ReflectionReader reader((dir / c.name).string(), c.port);
  std::filesystem::remove_all(dir);  // the open file stays readable
  EXPECT_EQ(reader.port_count(), c.ports);
  EXPECT_EQ(reader.reference_ohms(), c.ohms);
  EXPECT_EQ(reader.format() == touchstone::Format::kRealImaginary, c.ri);
  Sample s;
  for (const Point& p : c.points) {
    ASSERT_TRUE(reader.Next(s));
    EXPECT_EQ(s.frequency_hz, p.hz);
    // The pair as written, to the bit.
    EXPECT_EQ(s.a, p.a);
    EXPECT_EQ(s.b, p.b);
    EXPECT_EQ(std::signbit(s.a), std::signbit(p.a));
    EXPECT_EQ(std::signbit(s.b), std::signbit(p.b));
  }
  EXPECT_FALSE(reader.Next(s));
  EXPECT_FALSE(reader.Next(s));
}

INSTANTIATE_TEST_SUITE_P(Touchstone, GoodFiles, testing::ValuesIn(kGood));

struct Bad {
  const char* what;
  const char* name;
  const char* text;  // nullptr: open `name` as a path
  int port;
  long line;
  const char* key;  // a part of the message
};

const Bad kBad[] = {
    {"missing file", "no/such.s1p", nullptr, 1, 0, "cannot open"},
    {"directory", ".", nullptr, 1, 0, "cannot read"},
    {"empty file", "a.s1p", "", 1, 0, "no network data"},
    {"header only", "a.s1p", "! nothing\n# GHz S MA R 50\n", 1, 2, "no network data"},
    {"unknown option", "a.s1p", "# GHz S MA R 50 XY\n1 0 0\n", 1, 1, "unknown option line"},
    {"Y-parameters", "a.s1p", "# GHz Y RI\n1 0 0\n", 1, 1, "only S-parameters"},
    {"R without value", "a.s1p", "# GHz S RI R\n1 0 0\n", 1, 1, "after R"},
    {"two formats", "a.s1p", "# RI MA\n1 0 0\n", 1, 1, "two data formats"},
    {"option line after the data", "a.s1p", "1 0 0\n# Hz S RI\n2 0 0\n", 1, 2, "option line"},
    {"1-port pair short", "a.s1p", "1 .5 0\n2 .5\n", 1, 2, "expected 3"},
    {"2-port line short", "a.s2p", "1 1 0 1 0 1 0 1\n", 1, 1, "expected 9 (the frequency"},
    {"3-port row short", "a.s3p", "1 1 0 1 0 1 0\n 1 0 1 0\n 1 0 1 0 1 0\n", 1, 3,
     "expected 2 more numbers"},
    {"3-port row short, a point after", "a.s3p",
     "1 1 0 1 0 1 0\n 1 0 1 0\n 1 0 1 0 1 0\n2 1 0 1 0 1 0\n", 1, 4,
     "the frequency point from line 1 holds 19 (the frequency and 9 pairs), and lines 1 to 4 "
     "hold 24"},
    {"one-line 3-port with a number too many", "a.s3p", "1 1 0 1 0 1 0 1 0 1 0 1 0 1 0 1 0 1 0 7\n",
     1, 1,
     "expected 19 (the frequency and 9 "
     "pairs), found 20"},
    {"file ends inside a point", "a.s3p", "1 1 0 1 0 1 0\n 1 0 1 0 1 0\n", 1, 2, "ends inside"},
    {"letters", "a.s1p", "1 0.5 abc\n", 1, 1, "non-numeric field \"abc\""},
    {"nan as the frequency", "a.s1p", "1 0.5 0\nnan 0.5 0\n", 1, 2, "non-numeric field \"nan\""},
    {"decimal comma", "a.s1p", "1 0,5 0\n", 1, 1, "non-numeric"},
    {"number too large", "a.s1p", "1 0.5 1e999\n", 1, 1, "out of range"},
    {"decibels too large", "a.s1p", "# DB\n1 1e6 0\n", 1, 2, "out of range"},
    {"negative frequency", "a.s1p", "-1 0.5 0\n", 1, 1, "negative frequency"},
    {"decreasing frequencies", "a.s1p", "2 .5 0\n! x\n1 .5 0\n", 1, 3, "decreasing frequencies"},
    {"R 0", "a.s1p", "# GHz S MA R 0\n1 .5 0\n", 1, 1, "above 0 ohms"},
    {"negative R of a port", "a.s2p", "# GHz S MA R 50 -50\n1 .5 0 0 0 0 0 0 0\n", 1, 1,
     "option line: R \"-50\": a reference impedance must be above 0 ohms"},
    {"[Reference] 0", "a.ts", "[Version] 2.0\n[Number of Ports] 2\n[Reference] 50\n 0\n", 1, 4,
     "[Reference] \"0\""},
    {"option line R per port, a count neither 1 nor the ports", "a.s3p", "# GHz S MA R 50 50\n", 1,
     1, "expected one, or one per port (3)"},
    {"stated impedance with real part 0", "a.s1p", "1 .5 0\n! Port Impedance0 0\n", 1, 2,
     "port 1 has the real part 0"},
    {"stated impedances as a matrix", "a.s2p",
     "1 .5 0 0 0 0 0 0 0\n! Port Impedance 50 0 0 0 0 0 50 0\n", 1, 2,
     "lists 4 pairs, a matrix: expected 2 pairs"},
    {"stated impedances short", "a.s2p", "1 .5 0 0 0 0 0 0 0\n! Port Impedance 50 0 50\n", 1, 2,
     "lists 3 numbers: expected 2 pairs"},
    {"stated impedances on a line of data", "a.s1p", "1 .5 0\n2 .5 0 ! Port Impedance 50 0\n", 1, 2,
     "on a line of data"},
    {"stated impedances on the first line of data", "a.s1p", "1 .5 0 ! Port Impedance 50 0\n", 1, 1,
     "on a line of data"},
    {"stated impedances after the first point only", "a.s1p",
     "1 .5 0\n! Port Impedance 50 1\n2 .5 0\n", 1, 3, "no \"! Port Impedance\" after"},
    {"stated impedances after a later point only", "a.s1p",
     "1 .5 0\n2 .5 0\n! Port Impedance 50 1\n", 1, 3, "but not after the first"},
    {"frequency repeated twice", "a.s1p", "2 .5 0\n2 .5 0\n2 .5 0\n", 1, 3,
     "frequency 2 GHz repeated a second time"},
    {"frequencies quoted with their unit", "a.s1p", "# MHz\n300 .5 0\n200 .5 0\n", 1, 3,
     "200 MHz after 300 MHz"},
    {"UTF-16", "a.s1p", "\xFF\xFE!", 1, 1, "UTF-16"},
    {"2-port decreasing, not noise", "a.s2p", "2 1 0 1 0 1 0 1 0\n1 1 0 1 0 1 0 1 0\n", 1, 2,
     "decreasing"},
    {"2-port noise-like line going up", "a.s2p", "2 1 0 1 0 1 0 1 0\n3 1 0 1 0\n", 1, 2,
     "expected 9"},
    {"port beyond the extension", "a.s2p", "1 1 0 1 0 1 0 1 0\n", 3, 0, "port 3 does not exist"},
    {"port 0", "a.s1p", "1 1 0\n", 0, 0, "port 0"},
    {"version 1 without .sNp", "a.txt", "1 1 0\n", 1, 0, ".sNp"},
    {"keyword in version 1", "a.s1p", "# Hz S RI\n[Number of Ports] 1\n", 1, 2,
     "unexpected keyword"},
    {"version 3", "a.ts", "[Version] 3.0\n", 1, 1, "unsupported version"},
    {"[Version] not first", "a.ts", "[Number of Ports] 1\n", 1, 1, "[Version] 2.0"},
    {"v2 port beyond [Number of Ports]", "a.ts",
     "[Version] 2.0\n[Number of Ports] 2\n[Number of Frequencies] 1\n[Network Data]\n", 3, 2,
     "port 3"},
    {"unknown keyword", "a.ts", "[Version] 2.0\n[Frobnicate] 1\n", 1, 2, "unknown keyword"},
    {"repeated keyword", "a.ts", "[Version] 2.0\n[Number of Ports] 1\n[Number of Ports] 1\n", 1, 3,
     "repeated keyword"},
    {"bad matrix format", "a.ts", "[Version] 2.0\n[Matrix Format] Diagonal\n", 1, 2,
     "Full, Lower or Upper"},
    {"data before [Network Data]", "a.ts", "[Version] 2.0\n[Number of Ports] 1\n1 0 0\n", 1, 3,
     "[Network Data]"},
    {"no [Number of Frequencies]", "a.ts", "[Version] 2.0\n[Number of Ports] 1\n[Network Data]\n",
     1, 3, "[Number of Frequencies]"},
    {"[Reference] before [Number of Ports]", "a.ts", "[Version] 2.0\n[Reference] 50\n", 1, 2,
     "[Number of Ports]"},
    {"[Reference] short", "a.ts",
     "[Version] 2.0\n[Number of Ports] 2\n[Reference] 50\n[Number of Frequencies] 1\n", 1, 4,
     "[Reference] lists 1"},
    {"[Reference] long", "a.ts", "[Version] 2.0\n[Number of Ports] 1\n[Reference] 50 60\n", 1, 3,
     "more than 1"},
    {"fewer frequencies than announced", "a.ts",
     "[Version] 2.0\n[Number of Ports] 1\n[Number of Frequencies] 3\n[Network Data]\n1 0 0\n"
     "2 0 0\n[End]\n",
     1, 7, "[Number of Frequencies] is 3"},
    {"more frequencies than announced", "a.ts",
     "[Version] 2.0\n[Number of Ports] 1\n[Number of Frequencies] 1\n[Network Data]\n1 0 0\n"
     "2 0 0\n",
     1, 6, "more frequencies"},
    {"v2 point cut short", "a.ts",
     "[Version] 2.0\n[Number of Ports] 2\n[Number of Frequencies] 1\n[Network Data]\n"
     "1 0 0 0 0\n0 0 0\n[End]\n",
     1, 6, "ends inside a frequency point: expected 1 more number"},
    {"v2 keyword inside the data", "a.ts",
     "[Version] 2.0\n[Number of Ports] 1\n[Number of Frequencies] 2\n[Network Data]\n1 0 0\n"
     "[Reference] 50\n",
     1, 6, "unexpected keyword [Reference]"},
};

// Reads a whole file the way a caller does; the error it raises, if any.
std::optional<ReadError> ErrorOf(const Bad& c) {
  std::istringstream in(c.text ? c.text : "");
  try {
    ReflectionReader reader = c.text ? ReflectionReader(in, c.name, c.port)
                                     : ReflectionReader(std::string(c.name), c.port);
    Sample s;
    try {
      while (reader.Next(s)) {
      }
    } catch (const ReadError& first) {
      // A failed reader stays failed.
      try {
        reader.Next(s);
      } catch (const ReadError& again) {
        EXPECT_STREQ(again.what(), first.what());
        throw;
      }
      ADD_FAILURE() << "reading on after an error gave no error";
      throw;
    }
  } catch (const ReadError& e) {
    return e;
  }
  return std::nullopt;
}

void PrintTo(const Bad& c, std::ostream* out) {
  *out << c.what;
}

class BadFiles : public testing::TestWithParam<Bad> {};

TEST_P(BadFiles, GiveFileLineAndWhatWasExpected) {
  const Bad& c = GetParam();
  const std::optional<ReadError> e = ErrorOf(c);
  ASSERT_TRUE(e) << c.what;
  EXPECT_EQ(e->file(), c.name);
  EXPECT_EQ(e->line(), c.line) << e->what();
  EXPECT_NE(e->message().find(c.key), std::string::npos) << e->what();
  std::string where = c.name;
  if (c.line > 0) {
    // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) about ":" + to_string here.
    where += ':';
    where += std::to_string(c.line);
  }
  EXPECT_EQ(e->what(), where + ": " + e->message());
}

INSTANTIATE_TEST_SUITE_P(Touchstone, BadFiles, testing::ValuesIn(kBad));

// Points as simulators and analysers export them: impedances stated per point (after the
// words, with or without a blank, wrapped on a comment line of numbers, in the definition a
// comment names), a point that could not be measured, and a point skipped where two segments
// meet.
struct Stated {
  const char* what;
  const char* name;
  const char* text;
  int port;
  touchstone::WaveDefinition definition;
  std::vector<touchstone::Impedance> impedances;  // per point; empty: none stated
  std::vector<long> not_a_number_lines;           // per point
  long skipped_line;
};

const Stated kStated[] = {
    {"simulator export, power definition, port 2",
     "x.s2p",
     "!Data is not renormalized\n! S-parameter uses the power definition\n# GHZ S MA\n"
     "60 0.0071 4.54 0.9889 94.37 0.9889 94.37 0.0069 -1.01\n"
     "! Gamma         !   0.4173 744.39 0.4173 744.40\n"
     "! Port Impedance392.359437943816 0.231873922920449 392.391998187176 0.232014222252011\n"
     "61 0.0071 4.54 0.9889 94.37 0.9889 94.37 0.0069 -1.01\n"
     "! Port Impedance 42.6 0\n!   81.5 -2\n",
     2,
     touchstone::WaveDefinition::kPower,
     {{392.391998187176, 0.232014222252011}, {81.5, -2}},
     {0, 0},
     0},
    {"pseudo definition, port 1",
     "x.s2p",
     "! S-parameter uses the pseudo definition\n1 .1 0 .2 0 .3 0 .4 0\n! Port Impedance 50 5 60 "
     "6\n",
     1,
     touchstone::WaveDefinition::kPseudo,
     {{50, 5}},
     {0},
     0},
    {"nan and inf where an analyser could not measure",
     "x.s1p",
     "# Hz S RI\n1 nan 0\n2 .5 -INF\n3 .5 0\n",
     1,
     touchstone::WaveDefinition::kTravelling,
     {},
     {2, 3, 0},
     0},
    {"nan in a number that is not read",
     "x.s2p",
     "# Hz S RI\n1 .1 0 nan 0 0 0 .4 0\n",
     1,
     touchstone::WaveDefinition::kTravelling,
     {},
     {0},
     0},
    {"repeated frequency skipped with its impedances",
     "x.s1p",
     "1 .5 0\n! Port Impedance 50 1\n"
     "1 .6 0\n! Port Impedance 70 1\n2 .5 0\n! Port Impedance 60 1\n",
     1,
     touchstone::WaveDefinition::kTravelling,
     {{50, 1}, {60, 1}},
     {0, 0},
     3},
};

void PrintTo(const Stated& c, std::ostream* out) {
  *out << c.what;
}

class StatedFiles : public testing::TestWithParam<Stated> {};

TEST_P(StatedFiles, GiveImpedancesLinesAndSkippedPoints) {
  const Stated& c = GetParam();
  std::istringstream in(c.text);
  ReflectionReader reader(in, c.name, c.port);
  Sample s;
  for (std::size_t k = 0; k < c.not_a_number_lines.size(); ++k) {
    ASSERT_TRUE(reader.Next(s)) << k;
    EXPECT_EQ(s.not_a_number_line, c.not_a_number_lines[k]) << k;
    EXPECT_EQ(std::isnan(s.a) || std::isnan(s.b), c.not_a_number_lines[k] != 0) << k;
    EXPECT_EQ(reader.states_impedances(), !c.impedances.empty());
    if (!c.impedances.empty()) {
      EXPECT_EQ(reader.stated_impedance().re, c.impedances[k].re) << k;
      EXPECT_EQ(reader.stated_impedance().im, c.impedances[k].im) << k;
    }
  }
  EXPECT_FALSE(reader.Next(s));
  EXPECT_EQ(reader.wave_definition(), c.definition);
  EXPECT_EQ(reader.skipped_points(), c.skipped_line != 0 ? 1 : 0);
  if (c.skipped_line != 0) {
    EXPECT_EQ(reader.skipped_line(), c.skipped_line);
    EXPECT_EQ(reader.skipped().a, .6);
  }
}

INSTANTIATE_TEST_SUITE_P(Touchstone, StatedFiles, testing::ValuesIn(kStated));

// All four S-parameters of a 2-port, in the order S11 S21 S12 S22 whatever the file's order, with
// the references of both ports; anything but a 2-port, or a version 2 file that leaves the order
// of S21 and S12 open, is refused.
TEST(Touchstone, TwoPortGivesAllFourInOneOrder) {
  struct Case {
    const char* what;
    const char* name;
    const char* text;
    double r1, r2;
    double pairs[8];  // of the last point: S11 S21 S12 S22, each as written
    const char* error;
  };
  const Case cases[] = {
      {"v1, noise data after", "c.s2p", kTwoPortDb, 50, 50, {-11, 5, -21, 6, -31, 7, -40, 8}, ""},
      {"v2 12_21 with two references",
       "f.ts",
       "[Version] 2.0\n# GHz S RI\n[Number of Ports] 2\n[Two-Port Data Order] 12_21\n"
       "[Number of Frequencies] 1\n[Reference] 50 75\n[Network Data]\n1 .11 0 .12 0 .21 0 .22 0\n",
       50,
       75,
       {.11, 0, .21, 0, .12, 0, .22, 0},
       ""},
      {"v2 lower: S12 is S21",
       "h.ts",
       "[Version] 2.0\n# Hz S RI\n[Number of Ports] 2\n[Number of Frequencies] 1\n"
       "[Matrix Format] Lower\n[Network Data]\n1 .11 0 .21 0 .22 0\n",
       50,
       50,
       {.11, 0, .21, 0, .21, 0, .22, 0},
       ""},
      {"v1 without .sNp counts as a 2-port",
       "pipe",
       "1 1 2 3 4 5 6 7 8\n",
       50,
       50,
       {1, 2, 3, 4, 5, 6, 7, 8},
       ""},
      {"3-port",
       "d.s3p",
       "1 1 0 1 0 1 0\n 1 0 1 0 1 0\n 1 0 1 0 1 0\n",
       0,
       0,
       {},
       "a two-port is needed here, and the file has 3 ports"},
      {"v2 full without its order",
       "f.ts",
       "[Version] 2.0\n[Number of Ports] 2\n[Number of Frequencies] 1\n[Network Data]\n"
       "1 0 0 0 0 0 0 0 0\n",
       0,
       0,
       {},
       "[Two-Port Data Order]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::istringstream in(c.text);
    try {
      touchstone::TwoPortReader reader(in, c.name);
      touchstone::TwoPortSample s;
      while (reader.Next(s)) {
      }
      EXPECT_STREQ(c.error, "");
      EXPECT_EQ(reader.reference_ohms(1), c.r1);
      EXPECT_EQ(reader.reference_ohms(2), c.r2);
      for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(s.s[k].a, c.pairs[2 * k]);
        EXPECT_EQ(s.s[k].b, c.pairs[2 * k + 1]);
      }
    } catch (const ReadError& e) {
      EXPECT_NE(c.error[0], '\0') << e.what();
      EXPECT_NE(e.message().find(c.error), std::string::npos) << e.what();
    }
  }
}

// Version 2.1 and the keywords of 2.0 that carry no network data: per-port references on the
// option line, the information block, and mixed-mode ports chosen by their names in the file.
TEST(Touchstone, Version21InformationAndMixedMode) {
  // Four ports, one point: pair k holds k and 0, so S_pp is pair 5p − 4.
  const std::string point =
      "1 1 0 2 0 3 0 4 0 5 0 6 0 7 0 8 0 9 0 10 0 11 0 12 0 13 0 14 0 15 0 16 0\n";
  const std::string four = "[Number of Ports] 4\n[Number of Frequencies] 1\n";
  const std::string mixed = "[Version] 2.0\n# GHz S RI R 50\n" + four +
                            "[Mixed-Mode Order] D1,3 D2,4\n C1,3 C2,4\n[Network Data]\n" + point;
  struct Case {
    const char* what;
    std::string text;
    int port;
    const char* mode;
    double ohms, a;
    const char* error;  // a part of the message; "" for none
  };
  const Case cases[] = {
      {"2.1: a reference per port on the option line",
       "[Version] 2.1\n# GHz S RI R 50 50 75 75\n" + four + "[Network Data]\n" + point, 3, "", 75,
       11, ""},
      {"2.1: [Reference] replaces the option line's",
       "[Version] 2.1\n# GHz S RI R 50 50 75 75\n" + four +
           "[Reference] 10 20 30 40\n[Network Data]\n" + point,
       4, "", 40, 16, ""},
      {"the information block is skipped, whatever it holds",
       "[Version] 2.0\n[Begin Information]\n[Manufacturer] x\n1 2 3\n[End Information]\n# Hz S "
       "RI\n" +
           four + "[Network Data]\n" + point,
       2, "", 50, 6, ""},
      {"mixed-mode: D1,3 by its name, against 50 + 50 ohms", mixed, 0, "D1,3", 100, 1, ""},
      {"mixed-mode: C2 is C2,4, against 50 || 50 ohms", mixed, 0, "c2", 25, 16, ""},
      {"2.0: a reference per port on the option line", "[Version] 2.0\n# GHz S RI R 50 50\n", 1, "",
       0, 0, "needs [Version] 2.1"},
      {"2.1: three references for four ports",
       "[Version] 2.1\n# GHz S RI R 50 50 75\n" + four + "[Network Data]\n" + point, 1, "", 0, 0,
       "lists 3 reference impedances after R: expected one, or one per port (4)"},
      {"[End Information] alone", "[Version] 2.0\n[End Information]\n", 1, "", 0, 0,
       "without [Begin Information]"},
      {"a mixed-mode port of single-ended data",
       "[Version] 2.0\n" + four + "[Network Data]\n" + point, 0, "D1,3", 0, 0,
       "port D1,3 is a mixed-mode port, and the file has no [Mixed-Mode Order]: its 4 ports are "
       "single-ended"},
      {"a port number of mixed-mode data", mixed, 1, "", 0, 0,
       "name the port as [Mixed-Mode Order] does (D1,3 D2,4 C1,3 C2,4), for example D1,3"},
      {"a mixed-mode port the file lacks", mixed, 0, "D3", 0, 0,
       "[Mixed-Mode Order] has no port D3: it lists D1,3 D2,4 C1,3 C2,4"},
      {"a mode that is none", "[Version] 2.0\n" + four + "[Mixed-Mode Order] D1,3 X2 C1,3 C2,4\n",
       0, "D1,3", 0, 0, "\"X2\" is not a port"},
      {"a mixed-mode port of version 1 data", "1 0.5 0\n", 0, "S1", 0, 0,
       "has no [Mixed-Mode Order]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::istringstream in(c.text);
    try {
      ReflectionReader reader(in, "m.s4p", c.port, 0, c.mode);
      Sample s;
      ASSERT_TRUE(reader.Next(s));
      EXPECT_FALSE(reader.Next(s));
      EXPECT_STREQ(c.error, "");
      EXPECT_EQ(reader.reference_ohms(), c.ohms);
      EXPECT_EQ(s.a, c.a);
    } catch (const ReadError& e) {
      EXPECT_NE(c.error[0], '\0') << e.what();
      EXPECT_NE(e.message().find(c.error), std::string::npos) << e.what();
    }
  }
}

// Lines that cross the reading blocks, and one longer than a block, are read whole; a line too
// long to hold is an error, not an unbounded allocation.
TEST(Touchstone, LongStreamsAndLongLines) {
  Sample s;
  for (const std::string end : {"\n", "\r\n", "\r"}) {
    std::string text = "# Hz S RI" + end + "!" + std::string(200000, 'x') + end;
    for (int i = 1; i <= 20000; ++i) text += std::to_string(i) + " 0.25 -0.5" + end;
    text += "1 x" + end;  // an error, to check the count of lines across the blocks
    std::istringstream in(text);
    ReflectionReader reader(in, "long.s1p", 1);
    int points = 0;
    try {
      while (reader.Next(s)) ++points;
      ADD_FAILURE() << "no error";
    } catch (const ReadError& e) {
      EXPECT_EQ(e.line(), 20003);
    }
    EXPECT_EQ(points, 20000);
    EXPECT_EQ(s.frequency_hz, 20000);
    EXPECT_EQ(s.b, -0.5);
  }

  std::istringstream endless("1 0.5 0\n!" + std::string(3 << 20, 'x'));
  try {
    ReflectionReader r(endless, "endless.s1p", 1);
    while (r.Next(s)) {
    }
    ADD_FAILURE() << "no error";
  } catch (const ReadError& e) {
    EXPECT_EQ(e.line(), 2);
    EXPECT_NE(e.message().find("line longer"), std::string::npos);
  }
}

}  // namespace
