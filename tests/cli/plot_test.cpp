#include "draw/plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

#include "cli/run.h"
#include "cli_test_support.h"
#include "draw/plot_data.h"

namespace {

// The plot is drawn into an SVG with its axes, their units and a legend; asking only for
// a plot writes no table.
TEST(Plot, DrawsAnSvgWithAxesAndLegend) {
  cli_test::ScratchDir dir;
  const std::string source = dir.Write("amp.s2p",
                                       "# GHz S MA R 50\n"
                                       "1 0 0 0 0 0 0 0.3 20\n"
                                       "1.5 0 0 0 0 0 0 0.35 40\n"
                                       "2 0 0 0 0 0 0 0.4 60\n");
  const std::string load = dir.Write("filter.s1p", "# GHz S MA R 50\n1 0.2 0\n1.5 0.5 0\n2 1 0\n");
  const cli_test::Outcome r = cli_test::RunCli(
      {"--source", source + ":22", "--load", load + ":11", "--plot", dir.File("p.svg")});
  EXPECT_EQ(r.status, cli::kWarning) << r.err;  // 2 GHz is an open circuit
  EXPECT_EQ(r.out, "");
  const std::string svg = dir.Read("p.svg");
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  for (const char* text :
       {"<svg", "Mismatch of amp.s2p S22 and filter.s1p S11", ">Mismatch loss (dB)<",
        ">Return loss (dB)<", ">Frequency (GHz)<", ">ML at any phase (range)<", ">RL<", "</svg>"}) {
    EXPECT_NE(svg.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(dir.Names().size(), 3u);
}

// Unbounded losses (a short at 2 GHz: no power reaches the load) are drawn in a band at the top
// of the panel marked "∞"; without them there is no band.
TEST(Plot, UnboundedLossesGoToABandMarkedInfinity) {
  const struct {
    const char* source;
    bool band;
  } cases[] = {{"# GHz S MA R 50\n1 0.5 0\n2 1 180\n3 0.5 0\n", true},
               {"# GHz S MA R 50\n1 0.5 0\n2 0.9 180\n3 0.5 0\n", false}};
  for (const auto& c : cases) {
    cli_test::ScratchDir dir;
    const std::string source = dir.Write("s.s1p", c.source);
    const std::string load = dir.Write("l.s1p", "# GHz S MA R 50\n1 0.2 0\n2 0.2 0\n3 0.2 0\n");
    const cli_test::Outcome r = cli_test::RunCli(
        {"--source", source + ":11", "--load", load + ":11", "--plot", dir.File("p.svg")});
    EXPECT_EQ(r.status, cli::kSuccess) << r.err;
    EXPECT_EQ(dir.Read("p.svg").find(">\u221e<") != std::string::npos, c.band) << c.source;
  }
}

// Two points a ten-millionth of a hertz apart draw (the ticks once never advanced there), and a
// title too long for the picture keeps both of its ends.
TEST(Plot, DrawsATinySpanAndElidesALongTitle) {
  cli_test::ScratchDir dir;
  const std::string name(120, 'a');
  const std::string source =
      dir.Write(name + ".s1p", "# Hz S MA R 50\n1000000000 0.5 0\n1000000000.0000001 0.5 1\n");
  const std::string load = dir.Write(
      "load-" + name + ".s1p", "# Hz S MA R 50\n1000000000 0.2 0\n1000000000.0000001 0.2 1\n");
  const cli_test::Outcome r = cli_test::RunCli(
      {"--source", source + ":11", "--load", load + ":11", "--plot", dir.File("p.svg")});
  EXPECT_EQ(r.status, cli::kSuccess) << r.err;
  const std::string svg = dir.Read("p.svg");
  EXPECT_NE(svg.find("Mismatch of aaaa"), std::string::npos);
  EXPECT_NE(svg.find("\u2026"), std::string::npos);         // the middle left out
  EXPECT_NE(svg.find("aaaa.s1p S11<"), std::string::npos);  // the end kept
}

// Mismatch losses of 119.5 to 139.2 dB against an axis that ends at 120 dB run to the panel's top
// edge and no farther: nothing but text lies above the panel, where the title is, the clip path
// is there for viewers that honour it, and the edge is marked with the greatest value.
TEST(Plot, ValuesBeyondTheAxisStopAtThePanel) {
  cli_test::ScratchDir dir;
  const std::string source = dir.Write("hi.s1p",
                                       "# GHz S MA R 50\n1 0.99999999999944 0\n"
                                       "2 0.99999999999995 0\n3 0.999999999999994 0\n");
  const std::string load = dir.Write("zero.s1p", "# GHz S MA R 50\n1 0 0\n2 0 0\n3 0 0\n");
  const cli_test::Outcome r = cli_test::RunCli(
      {"--source", source + ":11", "--load", load + ":11", "--plot", dir.File("p.svg")});
  EXPECT_EQ(r.status, cli::kSuccess) << r.err;
  const std::string svg = dir.Read("p.svg");
  const draw::PlotLayout layout = draw::LayoutPlot(draw::PlotData("t"));
  // Every y of every path and line.
  for (const char* attribute : {" d=\"", " y1=\"", " y2=\""}) {
    for (std::size_t at = svg.find(attribute); at != std::string::npos;
         at = svg.find(attribute, at + 1)) {
      const std::size_t from = at + std::strlen(attribute), to = svg.find('"', from);
      std::string text = svg.substr(from, to - from);
      for (char& c : text) c = std::isalpha(static_cast<unsigned char>(c)) ? ' ' : c;
      std::istringstream numbers(text);
      std::vector<double> values;
      for (double v = 0; numbers >> v;) values.push_back(v);
      for (std::size_t i = attribute[1] == 'd' ? 1 : 0; i < values.size();
           i += attribute[1] == 'd' ? 2 : 1) {
        EXPECT_GE(values[i], layout.top) << svg.substr(at, to - at);
      }
    }
  }
  EXPECT_NE(svg.find("<clipPath"), std::string::npos);
  EXPECT_NE(svg.find(">139.21 dB<"), std::string::npos);
}

// With a two-port between, the plot shows both planes and the transducer gain, and the Smith
// chart each coefficient with its first and last frequencies; only pictures: no table.
TEST(Plot, DrawsATwoPortAndASmithChart) {
  cli_test::ScratchDir dir;
  const std::string source = dir.Write("s.s1p", "# MHz S MA R 50\n100 0.3 20\n150 0.35 40\n");
  const std::string load = dir.Write("l.s1p", "# MHz S MA R 50\n100 0.2 0\n150 0.5 -30\n");
  const std::string through = dir.Write("pad.s2p",
                                        "# MHz S MA R 50\n100 0.1 0 0.5 -10 0.5 -10 0.1 0\n"
                                        "200 0.1 0 0.5 -20 0.5 -20 0.1 0\n");
  const cli_test::Outcome r = cli_test::RunCli({"--source", source + ":11", "--load", load + ":11",
                                                "--through", through + ":21", "--plot",
                                                dir.File("p.svg"), "--smith", dir.File("c.svg")});
  EXPECT_EQ(r.status, cli::kSuccess) << r.err;
  EXPECT_EQ(r.out, "");
  const std::string plot = dir.Read("p.svg");
  for (const char* text : {"through pad.s2p (turned round)<", ">Transducer gain (dB)<",
                           ">ML at the load plane (", ">Gt<"}) {
    EXPECT_NE(plot.find(text), std::string::npos) << text;
  }
  const std::string chart = dir.Read("c.svg");
  for (const char* text : {"S, the source<", "out, the source seen through the two-port<",
                           ">100 MHz<", ">150 MHz<", ">+j1<", ">\u2212j0.5<"}) {
    EXPECT_NE(chart.find(text), std::string::npos) << text;
  }
}

// A long sweep keeps a bounded number of the Smith chart's points, its first and last among them.
TEST(Plot, SmithChartKeepsBoundedPoints) {
  draw::SmithData data("long");
  sweep::SweepRow row;
  for (int i = 0; i < 100001; ++i) {
    row.frequency_hz = i;
    data.Add(row);
  }
  const std::vector<draw::SmithPoint> points = data.Points();
  EXPECT_LE(points.size(), 2u * draw::SmithData::kPoints + 1);
  EXPECT_GE(points.size(), static_cast<std::size_t>(draw::SmithData::kPoints));
  EXPECT_EQ(points.front().frequency_hz, 0);
  EXPECT_EQ(points.back().frequency_hz, 100000);
  for (std::size_t i = 1; i < points.size(); ++i) {
    EXPECT_LT(points[i - 1].frequency_hz, points[i].frequency_hz);
  }
}

// The plot's points thinned to what a picture's width shows keep the sweep's ends and its one
// narrow peak, and the values of every sliver.
TEST(Plot, ThinnedPointsKeepThePeak) {
  draw::PlotData data("long");
  for (int i = 0; i < 100000; ++i) {
    data.Add(sweep::MakeRow(1e6 + i, 0.1, 0, i == 54321 ? 0.95 : 0.2, 30, 50));
  }
  const auto highest = [](const std::vector<draw::PlotPoint>& points) {
    double ml = 0;
    for (const draw::PlotPoint& p : points) ml = std::max(ml, p.ml_db);
    return ml;
  };
  const std::vector<draw::PlotPoint> all = data.Points();
  for (const std::size_t most : {std::size_t{1}, std::size_t{999}, std::size_t{100000}}) {
    const std::vector<draw::PlotPoint> few = data.Points(most);
    EXPECT_LE(few.size(), std::min(2 * most, all.size())) << most;
    EXPECT_EQ(few.front().frequency_hz, 1e6) << most;
    EXPECT_EQ(few.back().frequency_hz, 1e6 + 99999) << most;
    EXPECT_EQ(highest(few), highest(all)) << most;
  }
  EXPECT_GT(highest(all), 5.0);
}

}  // namespace
