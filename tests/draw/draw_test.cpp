#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "calc/smith_geometry.h"
#include "draw/chart_labels.h"
#include "draw/plot.h"
#include "draw/plot_data.h"
#include "draw/situation_chart.h"
#include "draw/sweep_colours.h"
#include "draw/sweep_smith.h"

namespace {

// Whether `xml` is well-formed as far as the pictures use XML: elements nest and close, every
// attribute is quoted, and text holds no bare '<' or '&'. Returns what is wrong, or "".
std::string XmlFault(const std::string& xml) {
  std::vector<std::string> open;
  std::size_t i = 0;
  if (xml.rfind("<?xml", 0) != 0) return "no XML declaration";
  i = xml.find("?>") + 2;
  while (i < xml.size()) {
    const std::size_t lt = xml.find('<', i);
    const std::string text = xml.substr(i, lt == std::string::npos ? std::string::npos : lt - i);
    for (std::size_t a = text.find('&'); a != std::string::npos; a = text.find('&', a + 1)) {
      const std::size_t semi = text.find(';', a);
      if (semi == std::string::npos || semi - a > 6) return "bare & in " + text;
    }
    if (lt == std::string::npos) break;
    const std::size_t gt = xml.find('>', lt);
    if (gt == std::string::npos) return "unclosed tag";
    std::string tag = xml.substr(lt + 1, gt - lt - 1);
    if (tag.find('<') != std::string::npos) return "'<' inside a tag: " + tag;
    if (std::count(tag.begin(), tag.end(), '"') % 2 != 0) return "unquoted attribute: " + tag;
    if (tag[0] == '/') {
      if (open.empty() || open.back() != tag.substr(1)) return "mismatched </" + tag.substr(1);
      open.pop_back();
    } else if (tag.back() != '/') {
      open.push_back(tag.substr(0, tag.find(' ')));
    }
    i = gt + 1;
  }
  if (!open.empty()) return "unclosed <" + open.back();
  return "";
}

sweep::SweepRow Row(double hz, double source_magnitude, double load_magnitude) {
  sweep::SweepRow row;
  row.frequency_hz = hz;
  row.source_magnitude = source_magnitude;
  row.load_magnitude = load_magnitude;
  return row;
}

// Every picture, at its own size and at others, in light and dark, is well-formed XML; titles
// with XML's special characters are escaped.
TEST(Svg, EveryPictureIsWellFormed) {
  draw::PlotData plot("a <b> & \"c\"");
  draw::SmithData smith("a <b> & \"c\"");
  for (int i = 0; i < 50; ++i) {
    plot.Add(Row(1e9 + i * 1e6, 0.5, 0.2));
    smith.Add(Row(1e9 + i * 1e6, 0.5, 0.2));
  }
  draw::SmithPoint cursor;
  cursor.frequency_hz = 1.01e9;
  cursor.source = {0.1, 0.2};
  cursor.load = {-0.3, 0.1};
  const std::optional<calc::SmithGeometry> geometries[] = {
      std::nullopt, calc::ComputeSmithGeometry(0.5, 30, 0.3, -45),
      calc::ComputeSmithGeometry(5, 30, 1, 90), calc::ComputeSmithGeometry(NAN, 0, 0.5, 0)};
  const draw::SweepColours dark = draw::DarkSweepColours();
  std::vector<std::string> pictures = {
      draw::PlotSvg(plot), draw::PlotSvg(plot, 400, 300, {1.02e9, dark}),
      draw::SweepSmithSvg(smith), draw::SweepSmithSvg(smith, 380, 410, {cursor, dark})};
  // No rows at all, and a window not yet laid out.
  pictures.push_back(draw::PlotSvg(draw::PlotData("empty"), 0, 0));
  pictures.push_back(draw::SweepSmithSvg(draw::SmithData("empty"), 0, 0));
  pictures.push_back(draw::SituationSvg(geometries[1], 0, 0, draw::LightSituationStyle()));
  for (const auto& g : geometries) {
    pictures.push_back(draw::SituationSvg(g, 360, 420, draw::LightSituationStyle()));
    pictures.push_back(draw::SituationSvg(g, 300, 360, draw::DarkSituationStyle()));
  }
  for (const std::string& svg : pictures) {
    EXPECT_EQ(XmlFault(svg), "") << svg.substr(0, 400);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
  }
  EXPECT_NE(pictures[0].find("a &lt;b&gt; &amp; &quot;c&quot;"), std::string::npos);
}

// A click's x position gives the frequency drawn there, on linear and logarithmic axes, held to
// the ends of the axis outside the panels.
// The sweep's words, and its curves, whose colours write their labels too, keep 4.5 : 1 against
// their ground in both schemes.
TEST(SweepColours, KeepTheirContrast) {
  const auto luminance = [](draw::Colour c) {
    const auto channel = [](std::uint8_t v) {
      const double s = v / 255.0;
      return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
  };
  const auto contrast = [&](draw::Colour a, draw::Colour b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
  };
  for (const draw::SweepColours& c : {draw::SweepColours{}, draw::DarkSweepColours()}) {
    for (const draw::Colour words :
         {c.title, c.ink, c.loss, c.return_loss, c.load_plane, c.gain, c.source, c.load, c.out}) {
      EXPECT_GE(contrast(words, c.ground), 4.5);
    }
  }
}

TEST(PlotLayout, MapsPositionsToFrequencies) {
  const struct {
    double first_hz, last_hz;
    bool log;
  } cases[] = {{1e9, 2e9, false}, {1e6, 1e9, true}, {10, 50, false}};
  for (const auto& c : cases) {
    draw::PlotData data("t");
    data.Add(Row(c.first_hz, 0.5, 0.2));
    data.Add(Row(c.last_hz, 0.5, 0.2));
    for (const double width : {960.0, 500.0}) {
      const draw::PlotLayout layout = draw::LayoutPlot(data, width, 400);
      EXPECT_EQ(layout.log, c.log);
      EXPECT_NEAR(layout.XOf(c.first_hz), layout.left, 1e-9);
      EXPECT_NEAR(layout.XOf(c.last_hz), layout.right, 1e-9);
      const double middle = layout.left + 0.37 * (layout.right - layout.left);
      EXPECT_NEAR(layout.XOf(layout.FrequencyAt(middle)), middle, 1e-6);
      EXPECT_EQ(layout.FrequencyAt(layout.left - 50), c.first_hz);
      EXPECT_NEAR(layout.FrequencyAt(layout.right + 50), c.last_hz, 1e-6 * c.last_hz);
      EXPECT_TRUE(layout.OnPanels(middle, layout.top + 10));
      EXPECT_FALSE(layout.OnPanels(middle, layout.top - 10));
    }
  }
}

// The chart's labels: coincident points share one, labels keep apart from each other, inside the
// view and off the rim; a point beyond the view gets an arrow with its value.
TEST(SituationChart, LabelsNeverOverlap) {
  const struct {
    double ms, as, ml, al;
    std::set<std::string> labels;
    std::size_t arrows;
    bool off_rim;  // room enough to keep every label off the rim
  } cases[] = {
      {0.5, 30, 0.3, -45, {"\u0393S", "\u0393S*", "\u0393L"}, 0, true},
      {0.5, 0, 0.3, -45, {"\u0393S = \u0393S*", "\u0393L"}, 0, true},  // a real ΓS
      {0.5, 180, 0.3, 10, {"\u0393S = \u0393S*", "\u0393L"}, 0, true},
      {0.5, 30, 0.5, -30, {"\u0393S", "\u0393S* = \u0393L"}, 0, true},  // a conjugate match
      {0.3, 1, 0.3, 0.5, {"\u0393S", "\u0393S*", "\u0393L"}, 0, true},  // three near-equal points
      {0.98, 1, 0.99, 0.5, {"\u0393S", "\u0393S*", "\u0393L"}, 0, false},  // near-equal at the rim
      {0, 0, 0, 0, {"\u0393S = \u0393S* = \u0393L"}, 0, true},             // all matched
      {1, 90, 1, -90, {"\u0393S", "\u0393S* = \u0393L"}, 0, false},        // on the rim
      {0.5, 30, 3, 60, {"\u0393S", "\u0393S*", "\u0393L = 3.00 \u2220 60.0\u00b0"}, 1, true},
      {5,
       10,
       4,
       -100,
       {"\u0393S = 5.00 \u2220 10.0\u00b0", "\u0393S* = 5.00 \u2220 -10.0\u00b0",
        "\u0393L = 4.00 \u2220 -100.0\u00b0"},
       3,
       false},
  };
  for (const auto& c : cases) {
    for (const double font : {13.0, 20.0}) {
      draw::SituationStyle style;
      style.font_px = font;
      const auto geometry = calc::ComputeSmithGeometry(c.ms, c.as, c.ml, c.al);
      const draw::SituationLayout layout = draw::LayoutSituation(geometry, 300, 360, style);
      const std::string name = std::to_string(c.ms) + "@" + std::to_string(c.as) + " " +
                               std::to_string(c.ml) + "@" + std::to_string(c.al) + " font " +
                               std::to_string(font);
      std::set<std::string> texts;
      for (const auto& l : layout.labels) texts.insert(l.text);
      EXPECT_EQ(texts, c.labels) << name;
      EXPECT_EQ(layout.labels.size(), c.labels.size()) << name;
      EXPECT_EQ(layout.arrows.size(), c.arrows) << name;
      const draw::Rect view{layout.view_left, layout.view_top, layout.view_side, layout.view_side};
      for (std::size_t i = 0; i < layout.labels.size(); ++i) {
        const auto& l = layout.labels[i];
        const draw::Rect box{l.left, l.top, l.width, l.height};
        EXPECT_TRUE(view.Contains({box.left, box.top}) &&
                    view.Contains({box.right(), box.bottom()}))
            << name << ": " << l.text;
        if (c.off_rim) {
          EXPECT_FALSE(draw::CrossesCircle(box, {layout.centre_x, layout.centre_y}, layout.scale))
              << name << ": " << l.text;
        }
        for (std::size_t j = 0; j < i; ++j) {
          const auto& m = layout.labels[j];
          EXPECT_FALSE(draw::Overlap(box, {m.left, m.top, m.width, m.height}))
              << name << ": " << l.text << " over " << m.text;
        }
      }
    }
  }
}

// The chart in words says where the points are and what the circles are.
TEST(SituationChart, DescribesTheChart) {
  const struct {
    std::optional<calc::SmithGeometry> geometry;
    std::vector<std::string> says;
  } cases[] = {
      {std::nullopt, {"no results yet"}},
      {calc::ComputeSmithGeometry(0.5, 30, 0.3, -45),
       {"\u0393S, the source, is at 0.50 \u2220 30.0\u00b0, in the upper half (inductive)",
        "mirror image at 0.50 \u2220 -30.0\u00b0",
        "\u0393L, the load, is at 0.30 \u2220 -45.0\u00b0, in the lower half (capacitive)",
        "|\u0393| = 0.50 through \u0393S", "|\u0393| = 0.30 through \u0393L",
        "same mismatch loss as \u0393L"}},
      {calc::ComputeSmithGeometry(0.5, 180, 0, 0),
       {"on the real axis (resistive)", "\u0393S* coincides with it",
        "\u0393L, the load, is at 0.00 \u2220 0.0\u00b0, at the centre (matched)"}},
      {calc::ComputeSmithGeometry(0.5, 30, 0.5, -30), {"on \u0393S*: a conjugate match"}},
      {calc::ComputeSmithGeometry(1, 90, 3, 0),
       {"on the rim (total reflection)", "outside the unit circle (an active port)",
        "arrows at the edge"}},
  };
  for (const auto& c : cases) {
    const std::string text = draw::SituationDescription(c.geometry);
    for (const std::string& part : c.says) EXPECT_NE(text.find(part), std::string::npos) << text;
    // Without both ports passive there is no circle of the same loss to speak of.
    const bool passive = c.geometry && c.geometry->same_loss;
    EXPECT_EQ(text.find("green circle") != std::string::npos, passive) << text;
  }
}

}  // namespace
