#include "cli/plot.h"

#include <gtest/gtest.h>

#include "cli/run.h"
#include "cli_test_support.h"

namespace {

// The plot is drawn with Qt into an SVG with its axes, their units and a legend; asking only for
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
      {"--source", source + ":22", "--load", load + ":11", "--plot", dir.File("p.svg")},
      cli::WritePlotSvg);
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
        {"--source", source + ":11", "--load", load + ":11", "--plot", dir.File("p.svg")},
        cli::WritePlotSvg);
    EXPECT_EQ(r.status, cli::kSuccess) << r.err;
    EXPECT_EQ(dir.Read("p.svg").find(">\u221e<") != std::string::npos, c.band) << c.source;
  }
}

}  // namespace
