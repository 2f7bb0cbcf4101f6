// The response plot as the design screen and the printed page draw it, one
// set of cases run on both surfaces through the recording canvas.
#include "drawing/plot_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "../platform/canvas_checks.h"
#include "model/circuit/evaluation.h"
#include "platform/recording_canvas.h"
#include "report/report.h"
#include "screens/plot.h"

namespace diruruzevuv::screens {
namespace {

using platform::GridPoint;
using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

// true: the printed page; false: the design screen.
class PlotDrawingTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    model::ApplyDefaultDesign(session.design);
    session.design.InductorQ = 200.0f;
    session.design.CapacitorQ = 1000.0f;
    session.defaults = {-20.0f, -28.0f, -35.0f, 1.05f, 6, -60.0f};
    Evaluate();
  }
  void Evaluate() { shown = model::Evaluate(session.design, session.defaults); }
  bool Page() const { return GetParam(); }
  const model::PlotFrame& Frame() const {
    return Page() ? model::kReportPlotFrame : model::kScreenPlotFrame;
  }
  PlotLabels Draw() {
    canvas.Reset();
    if (!Page()) return Plot(canvas, session, shown, 12000.0);
    report::DrawReport(canvas, session, shown, {12000.0, "06.12.2026"});
    return {};
  }
  // The curves' strokes: transmission first, then reflection.
  std::array<std::vector<Op>, 2> Curves() const {
    std::array<std::vector<Op>, 2> curves;
    for (const Op& op : canvas.Ops()) {
      if (op.kind != Kind::Line && op.kind != Kind::LineTo) continue;
      if (Page() && (op.colour == model::kRed || op.colour == model::kBlue) &&
          (op.lineWidth == 9 || op.lineWidth == 6))
        curves[op.lineWidth == 9 ? 0 : 1].push_back(op);
      if (!Page() && op.colour == session.DrawColor)
        curves[op.lineWidth == 2 ? 0 : 1].push_back(op);
    }
    return curves;
  }
  model::Session session;
  model::Evaluation shown;
  RecordingCanvas canvas;
};

// The 20-metre frequency grid stays as it is whatever the level divisions.
// Beyond nine divisions 3500 x i no longer fits 16 bits; the level lines
// still come out evenly spread.
TEST_P(PlotDrawingTest, GridAndLabelsForAnyDivisions) {
  const struct {
    std::int16_t divisions;
    std::vector<double> offsets;
    std::string lastLabel;
  } rows[] = {
      {-3, {}, ""},
      {12, {0, 291, 583, 875, 1166, 1458, 1750, 2041, 2333, 2625, 2916, 3208, 3500}, "-120"}};
  const model::PlotFrame& f = Frame();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.divisions);
    session.defaults.GridDivisions = row.divisions;
    Draw();
    std::vector<double> xs, offsets;
    for (const Op& op : testing::Strokes(canvas, model::kGrey)) {
      if (op.a.x == op.b.x && op.a.y == f.top && op.b.y == f.bottom) xs.push_back(op.a.x);
      if (op.a.y == op.b.y && op.a.x == f.left && op.b.x == f.right)
        offsets.push_back(op.a.y - f.top);
    }
    EXPECT_EQ(offsets, row.offsets);
    ASSERT_EQ(xs.size(), 11u);
    EXPECT_NEAR(xs[5], f.left + 5000.0 * std::log10(2.0), 0.01);  // 10 MHz
    std::vector<Op> below, left;  // labels below and left of the frame
    for (const Op& op : canvas.OfKind(Kind::Text)) {
      if (op.a.y == f.bottom + 100.0) below.push_back(op);
      if (op.a.x < f.left && op.a.y < f.bottom) left.push_back(op);
    }
    ASSERT_EQ(below.size(), 8u);
    EXPECT_EQ(below[0].text + below[3].text + below[7].text, " 5M 10M 50M");
    EXPECT_NEAR(below[0].a.x, f.left - f.frequencyLabelShift, 0.01);
    ASSERT_EQ(left.size(), row.offsets.size());
    if (left.empty()) continue;
    EXPECT_EQ(left[1].text + ' ' + left.back().text, "-10 " + row.lastLabel);
    EXPECT_EQ(left[1].a, (GridPoint{f.left - 100.0 - 360.0, f.top - 100.0 + row.offsets[1]}));
  }
}

TEST_P(PlotDrawingTest, DesignAidBoxesAndFrame) {
  Draw();
  const model::PlotFrame& f = Frame();
  const std::vector<Op> fills = canvas.OfKind(Kind::FilledBox);
  std::vector<Op> outlines;
  Op frame;
  for (const Op& op : canvas.OfKind(Kind::Box)) {
    if (op.a == GridPoint{f.left, f.top} && op.b == GridPoint{f.right, f.bottom})
      frame = op;
    else
      outlines.push_back(op);
  }
  ASSERT_TRUE(fills.size() == 3 && outlines.size() == 3);
  const double levels[] = {-20.0, -28.0, -35.0};
  for (int k = 1; k <= 3; ++k) {
    const Op& fill = fills[k - 1];
    EXPECT_NEAR(fill.a.x, f.left + 5000.0 * std::log10(k * 14e6 / 1.05f / 5e6), 0.01) << k;
    EXPECT_NEAR(fill.b.x, f.left + 5000.0 * std::log10(k * 14.35e6 * 1.05f / 5e6), 0.01) << k;
    EXPECT_NEAR(fill.b.y, f.top - 3500.0 / 60.0 * levels[k - 1], 1e-9) << k;
    EXPECT_EQ(outlines[k - 1].b, fill.b);
  }
  // Frame, first fill, outlines: colours, then the outlines' widths.
  constexpr model::Rgb kPaleRed{255, 17, 17};
  using Look =
      std::tuple<model::Rgb, double, model::Rgb, model::Rgb, model::Rgb, double, double, double>;
  EXPECT_EQ(
      Look(frame.colour, frame.lineWidth, fills[0].colour, outlines[0].colour, outlines[2].colour,
           outlines[0].lineWidth, outlines[1].lineWidth, outlines[2].lineWidth),
      Page() ? Look(model::kBlack, 12, {255, 240, 240}, kPaleRed, kPaleRed, 5, 6, 6)
             : Look(model::kBlack, 2, {255, 221, 221}, kPaleRed, model::kRed, 1, 1, 1));
  EXPECT_TRUE(Page() || testing::Strokes(canvas, model::kRed).size() == 6u);
}

// Boxes past the sweep's end and below the floor: clipped on the page,
// drawn as they fall on the screen, never beyond what a painter can take.
TEST_P(PlotDrawingTest, BoxesBeyondTheFrame) {
  session.design.SweepStop = 35e6f;
  session.defaults.SecondHarmonicBoxDb = -100;
  Evaluate();
  Draw();
  const model::PlotFrame& f = Frame();
  std::vector<Op> fills = canvas.OfKind(Kind::FilledBox);
  ASSERT_GE(fills.size(), 3u);
  EXPECT_NEAR(fills[1].a.x, f.left + 5000 * std::log(2 * 14 / 1.05f / 5.0) / std::log(7.0), 1e-3);
  EXPECT_NEAR(fills[1].b.y, Page() ? f.bottom : f.top + 3500.0 * 100.0 / 60.0, 1e-6);
  if (Page())
    EXPECT_EQ(std::pair(fills[2].a, fills[2].b.x), std::pair(GridPoint{f.right, f.top}, f.right));
  else
    EXPECT_GT(fills[2].a.x, f.right);

  const struct {
    float level, floorDb;
    double screenBottom;  // of the passband box, from the frame's top
  } rows[] = {{1e9f, -60.0f, -model::kCoordinateReach},
              {-1e9f, -60.0f, 3500.0 + model::kCoordinateReach}};
  SetUp();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.level);
    session.defaults.PassbandBoxDb = row.level;
    session.defaults.PlotFloorDb = row.floorDb;
    Evaluate();
    Draw();
    fills = canvas.OfKind(Kind::FilledBox);
    ASSERT_FALSE(fills.empty());
    const Op& box = fills[0];
    EXPECT_TRUE(box.a.x > f.left && box.b.x < f.right && box.a.y == f.top);
    EXPECT_EQ(box.b.y, Page() ? (row.level > 0 ? f.top : f.bottom) : f.top + row.screenBottom);
  }
}

TEST_P(PlotDrawingTest, CurvesClippedToTheFrame) {
  const struct {
    const char* name;
    float gain, reflection, floorDb;
    double gainY, reflectionY;  // below the top of the frame
  } rows[] = {{"AboveZero", 3.0f, 0.0f, -60.0f, 0.0, 0.0},
              {"ZeroFloorTakenAsSixty", -30.0f, -90.0f, 0.0f, 1750.0, 3500.0},
              {"FloorEighty", -40.0f, -20.0f, -80.0f, 1750.0, 875.0}};
  session.DrawColor = model::kYellow;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    session.defaults.PlotFloorDb = row.floorDb;
    for (int i = 0; i <= 2000; ++i) {  // flat levels, spaced as the analysis spaces them
      shown.sweep.frequency[i] = static_cast<float>(5e6 * std::pow(10.0, i / 2000.0));
      shown.sweep.gain[i] = row.gain;
      shown.sweep.reflection[i] = row.reflection;
    }
    Draw();
    const auto curves = Curves();
    for (int c = 0; c < 2; ++c) {
      ASSERT_FALSE(curves[c].empty()) << c;
      EXPECT_TRUE(curves[c].front().a.x == Frame().left &&
                  std::fabs(curves[c].back().b.x - Frame().right) < 1e-6);
      for (const Op& op : curves[c])
        ASSERT_NEAR(op.b.y, Frame().top + (c == 0 ? row.gainY : row.reflectionY), 1e-9) << c;
    }
  }
}

// The drawn curves follow the computed levels at every one of the 2001
// points within a layout unit: the screen leaves out only unseen points.
TEST_P(PlotDrawingTest, RealSweepIsDrawnPointByPoint) {
  const model::SweepResult& sweep = shown.sweep;
  ASSERT_TRUE(sweep.valid);
  Draw();
  const model::PlotGeometry g(Frame(), session.design, session.defaults);
  const auto curves = Curves();
  for (int c = 0; c < 2; ++c) {
    SCOPED_TRACE(c == 0 ? "transmission" : "reflection");
    ASSERT_FALSE(curves[c].empty());
    std::vector<GridPoint> path = {curves[c].front().a};
    for (const Op& op : curves[c]) path.push_back(op.b);
    const float* levels = c == 0 ? sweep.gain.data() : sweep.reflection.data();
    std::size_t segment = 0;
    for (int i = 0; i <= sweep.intervals; ++i) {
      const double x = g.X(sweep.frequency[i]);
      while (segment + 2 < path.size() && path[segment + 1].x < x) ++segment;
      const GridPoint a = path[segment], b = path[segment + 1];
      const double y = b.x == a.x ? a.y : a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
      ASSERT_NEAR(y, g.ClampedY(levels[i]), 1.0) << "point " << i;
    }
    EXPECT_GT(path.size(), 20u);  // the curve really bends
  }
}

// The reason is in the frame, and on the page again in place of the losses.
TEST_P(PlotDrawingTest, UnanalysableDesignNamesTheReason) {
  const struct {
    void (*change)(model::DesignState&);
    const char* line;
  } rows[] = {{[](auto& d) { d.TurnsL1 = d.TurnsL2 = 0; }, "Cannot analyse: L1 has 0 turns"},
              {[](auto& d) { d.SweepStart = d.SweepStop = 0; },
               "Cannot analyse: the sweep range is empty"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    SetUp();
    row.change(session.design);
    model::UpdateInductances(session.design);
    Evaluate();
    const PlotLabels labels = Draw();
    EXPECT_TRUE(Curves()[0].empty() && Curves()[1].empty());
    const auto texts = canvas.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), row.line), Page() ? 2 : 1);
    for (const std::string& text : texts) EXPECT_EQ(text.find("dB"), std::string::npos) << text;
    EXPECT_EQ(labels.lossLow.text + labels.lossHigh.text, "");
  }
}

// No multiplier, no boxes; an evaluation of other sweep limits: frame only.
TEST_P(PlotDrawingTest, UnusableLimitsDrawTheFrameOnly) {
  session.defaults.BandwidthMultiplier = 0.0f;
  Evaluate();
  Draw();
  EXPECT_EQ(canvas.OfKind(Kind::Box).size(), 1u);
  SetUp();
  session.design.SweepStart = 0.0f;
  Draw();
  EXPECT_EQ(canvas.OfKind(Kind::Box).size(), 1u);
  EXPECT_TRUE(Curves()[0].empty() && Curves()[1].empty());
  for (const Op& op : canvas.Ops())
    EXPECT_TRUE(std::isfinite(op.a.x) && std::isfinite(op.a.y) && std::isfinite(op.b.x));
}

INSTANTIATE_TEST_SUITE_P(Surfaces, PlotDrawingTest, ::testing::Values(false, true),
                         [](const auto& p) { return std::string(p.param ? "Page" : "Screen"); });

TEST(EdgeLossLabelTest, RedOnlyAboveOneDb) {
  const LabelText one = EdgeLossLabel(14e6f, -1.0), more = EdgeLossLabel(14.35e6f, -1.01);
  EXPECT_EQ(std::tie(one.text, one.colour, more.text, more.colour),
            std::tuple("Target-value parts loss at 14MHz: 1 dB", model::kBlack,
                       "Target-value parts loss at 14.35MHz: 1.01 dB", model::kRed));
}

// The page's curves turn red inside a mark window (0.95 to 1.05, 1.9 to
// 2.1, 2.85 to 3.15 times the band) above its box; limits and level exclusive.
using PageCurveTest = PlotDrawingTest;
TEST_F(PageCurveTest, ColoursAtTheExactWindowLimits) {
  session.defaults = {-1, -40, -50, 1.1f, 6, -60};
  const float lo = session.design.LowerEdge, hi = session.design.UpperEdge;
  const float lo2 = static_cast<float>(1.9 * lo), hi2 = static_cast<float>(2.1 * hi);
  const float lo3 = static_cast<float>(2.85 * lo), hi3 = static_cast<float>(3.15 * hi);
  const float lo1 = static_cast<float>(0.95 * lo), hi1 = static_cast<float>(1.05 * hi);
  auto up = [](float f) { return std::nextafter(f, 1e30f); };
  auto down = [](float f) { return std::nextafter(f, -1e30f); };
  const model::Rgb B = model::kBlue, R = model::kRed;
  // Each point with the colours of the transmission and reflection segments ending there.
  const std::vector<std::array<float, 3>> points = {
      {5e6f, 0, 0},        {lo2, 0, 0},         {up(lo2), 0, 0},   {28e6f, -40, 0},
      {28e6f, up(-40), 0}, {down(hi2), -10, 0}, {hi2, -10, 0},     {lo3, -10, 0},
      {up(lo3), -49, 0},   {42e6f, -50, 0},     {hi3, 0, 0},       {lo1, 0, 0},
      {up(lo1), 0, -0.5f}, {14.1e6f, 0, -1},    {down(hi1), 0, 0}, {hi1, 0, 0}};
  const std::vector<model::Rgb> transmission = {B, B, R, B, R, R, B, B, R, B, B, B, B, B, B, B};
  const std::vector<model::Rgb> reflection = {B, B, B, B, B, B, B, B, B, B, B, B, R, B, R, B};
  model::SweepResult& r = shown.sweep;
  r.intervals = static_cast<std::int16_t>(points.size() - 1);
  for (std::size_t k = 0; k < points.size(); ++k)
    r.frequency[k] = points[k][0], r.gain[k] = points[k][1], r.reflection[k] = points[k][2];
  drawing::DrawMarkedResponse(canvas,
                     model::PlotGeometry(model::kReportPlotFrame, session.design, session.defaults),
                     r, session.design, session.defaults);
  std::vector<model::Rgb> colours[2];
  for (const Op& op : canvas.Ops())
    if (op.kind == Kind::Line || op.kind == Kind::LineTo)
      colours[op.lineWidth == 9 ? 0 : 1].push_back(op.colour);
  EXPECT_EQ(colours[0], transmission);  // a zero-length line, then one segment per point
  EXPECT_EQ(colours[1], reflection);
}

}  // namespace
}  // namespace diruruzevuv::screens
