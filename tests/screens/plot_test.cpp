#include "screens/plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model/design_state.h"
#include "model/evaluation.h"
#include "model/plot_geometry.h"
#include "../platform/canvas_checks.h"
#include "platform/recording_canvas.h"

namespace diruruzevuv::screens {
namespace {

using platform::GridPoint;
using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

class PlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model::ApplyDefaultDesign(session.design);
    session.defaults = {-20.0f, -28.0f, -35.0f, 1.05f, 6, -60.0f};
    Fill(-30.0f, -20.0f);
  }
  // Flat levels over the 20-metre sweep, spaced as the analysis spaces them.
  void Fill(float gain, float reflection) {
    sweep.intervals = 2000;
    for (int i = 0; i <= 2000; ++i) {
      sweep.frequency[i] = static_cast<float>(5e6 * std::pow(10.0, i / 2000.0));
      sweep.gain[i] = gain;
      sweep.reflection[i] = reflection;
    }
    sweep.valid = true;
  }
  // The design's evaluation showing this sweep.
  PlotLabels Draw() {
    canvas.Reset();
    model::Evaluation shown = model::Evaluate(session.design, session.defaults);
    shown.sweep = sweep;
    shown.drawable = model::SweepDrawable(sweep, session.design);
    return Plot(canvas, session, shown, 12000.0);
  }
  // A flat curve is one Line, the transmission at width 2 before the
  // reflection at width 1.
  std::vector<Op> Strokes(model::Rgb colour) const { return testing::Strokes(canvas, colour); }
  std::vector<Op> Texts(bool frequencyLabels) const {
    std::vector<Op> texts;
    for (const Op& op : canvas.OfKind(Kind::Text))
      if ((op.a.y == 4100.0) == frequencyLabels) texts.push_back(op);
    return texts;
  }
  model::Session session;
  model::SweepResult sweep;
  RecordingCanvas canvas;
};

TEST_F(PlotTest, FrequencyGridAndLabelsForTwentyMetres) {
  Draw();
  std::vector<double> xs;
  for (const Op& op : Strokes(model::kGrey))
    if (op.a.x == op.b.x && op.a.y == 500.0 && op.b.y == 4000.0) xs.push_back(op.a.x);
  ASSERT_EQ(xs.size(), 11u);
  EXPECT_NEAR(xs[5], 6000.0 + 5000.0 * std::log10(2.0), 0.01);  // 10 MHz
  std::vector<std::string> texts;
  for (const Op& op : Texts(true)) texts.push_back(op.text);
  EXPECT_EQ(texts, (std::vector<std::string>{" 5M", " 6M", " 8M", " 10M", " 20M", " 30M", " 40M",
                                             " 50M"}));
  EXPECT_NEAR(Texts(true)[0].a.x, 5850.0, 0.01);
}

TEST_F(PlotTest, LevelGridForAnyDivisions) {
  // Beyond nine divisions 3500 x i no longer fits 16 bits; the lines still
  // come out evenly spread. None for zero or fewer.
  const struct {
    std::int16_t divisions;
    std::vector<double> ys;
    std::string lastLabel;
  } rows[] = {{0, {}, ""}, {-3, {}, ""},
              {4, {500, 1375, 2250, 3125, 4000}, "-40"},
              {6, {500, 1083, 1666, 2250, 2833, 3416, 4000}, "-60"},
              {12, {500, 791, 1083, 1375, 1666, 1958, 2250, 2541, 2833, 3125, 3416, 3708, 4000},
               "-120"}};
  for (const auto& row : rows) {
    session.defaults.GridDivisions = row.divisions;
    Draw();
    std::vector<double> ys;
    for (const Op& op : Strokes(model::kGrey))
      if (op.a.y == op.b.y) ys.push_back(op.a.y);
    EXPECT_EQ(ys, row.ys) << row.divisions;
    ASSERT_EQ(Texts(false).size(), row.ys.size()) << row.divisions;
    if (!ys.empty()) {
      EXPECT_EQ(Texts(false).back().text, row.lastLabel);
    }
  }
  EXPECT_EQ(Texts(false)[1].a, (GridPoint{5900.0 - 360.0, 691.0}));  // ends near the frame
}

TEST_F(PlotTest, DesignAidBoxesAndFrame) {
  Draw();
  const std::vector<Op> fills = canvas.OfKind(Kind::FilledBox);
  const std::vector<Op> outlines = canvas.OfKind(Kind::Box);
  ASSERT_EQ(fills.size(), 3u);
  ASSERT_EQ(outlines.size(), 4u);  // three boxes, then the frame
  const double levels[] = {-20.0, -28.0, -35.0};
  for (int k = 1; k <= 3; ++k) {
    const Op& fill = fills[k - 1];
    EXPECT_NEAR(fill.a.x, 6000.0 + 5000.0 * std::log10(k * 14e6 / 1.05f / 5e6), 0.01) << k;
    EXPECT_NEAR(fill.b.x, 6000.0 + 5000.0 * std::log10(k * 14.35e6 * 1.05f / 5e6), 0.01) << k;
    EXPECT_NEAR(fill.b.y, 500.0 - 3500.0 / 60.0 * levels[k - 1], 1e-9) << k;
    EXPECT_EQ(fill.colour, (model::Rgb{255, 221, 221}));
    EXPECT_EQ(outlines[k - 1].b, fill.b);
    EXPECT_EQ(outlines[k - 1].colour, (k == 1 ? model::Rgb{255, 17, 17} : model::kRed));
  }
  EXPECT_EQ(Strokes(model::kRed).size(), 6u);  // full-height edges at both sides of every box
  EXPECT_EQ(outlines[3].a, (GridPoint{6000.0, 500.0}));  // the frame, black at width 2
  EXPECT_EQ(outlines[3].b, (GridPoint{11000.0, 4000.0}));
  EXPECT_TRUE(outlines[3].colour == model::kBlack && outlines[3].lineWidth == 2.0);
}

TEST_F(PlotTest, CurvesInTheDrawColourClippedToTheFrame) {
  const struct {
    const char* name;
    float gain, reflection, floorDb;
    double gainY, reflectionY;
  } rows[] = {{"InRange", -30.0f, -20.0f, -60.0f, 2250.0, 500.0 + 3500.0 / 3.0},
              {"BelowFloor", -75.0f, -140.0f, -60.0f, 4000.0, 4000.0},
              {"AboveZero", 3.0f, 0.0f, -60.0f, 500.0, 500.0},
              {"ZeroFloorTakenAsSixty", -30.0f, -90.0f, 0.0f, 2250.0, 4000.0},
              {"FloorEighty", -40.0f, -20.0f, -80.0f, 2250.0, 1375.0}};
  session.DrawColor = model::kYellow;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    session.defaults.PlotFloorDb = row.floorDb;
    Fill(row.gain, row.reflection);
    Draw();
    const std::vector<Op> curves = Strokes(model::kYellow);
    ASSERT_EQ(curves.size(), 2u);  // flat levels need one segment each
    EXPECT_EQ(curves[0].a, (GridPoint{6000.0, row.gainY}));
    EXPECT_EQ(curves[0].b, (GridPoint{11000.0, row.gainY}));
    EXPECT_NEAR(curves[1].b.y, row.reflectionY, 1e-9);
  }
  EXPECT_TRUE(Strokes(model::kBlue).empty());
}

// A real sweep of the 20-metre design: the drawn transmission (width 2)
// and reflection (width 1) follow the computed levels at every one of the
// 2001 points, within a layout unit, which is less than a pixel on any
// screen the plot fits on.
TEST_F(PlotTest, RealSweepIsDrawnPointByPointWithBothWidths) {
  session.design.InductorQ = 200.0f;
  session.design.CapacitorQ = 1000.0f;
  sweep = model::Evaluate(session.design, session.defaults).sweep;
  ASSERT_TRUE(sweep.valid);
  Draw();
  // Each curve as the path its strokes trace, by line width.
  std::vector<GridPoint> paths[3];
  for (const Op& op : Strokes(model::kBlue)) {
    ASSERT_TRUE(op.lineWidth == 1.0 || op.lineWidth == 2.0) << op.lineWidth;
    std::vector<GridPoint>& path = paths[static_cast<int>(op.lineWidth)];
    if (op.kind == Kind::Line) {
      ASSERT_TRUE(path.empty()) << "one path per curve";
      path.push_back(op.a);
    }
    path.push_back(op.b);
  }
  const auto levelY = [](double db) { return std::clamp(500.0 - 3500.0 * db / 60.0, 500.0, 4000.0); };
  const double logSpan = std::log(50e6 / 5e6);
  for (const int width : {2, 1}) {
    SCOPED_TRACE(width == 2 ? "transmission" : "reflection");
    const std::vector<GridPoint>& path = paths[width];
    ASSERT_GE(path.size(), 2u);
    EXPECT_NEAR(path.front().x, 6000.0, 1e-6);
    EXPECT_NEAR(path.back().x, 11000.0, 1e-6);
    const float* levels = width == 2 ? sweep.gain.data() : sweep.reflection.data();
    std::size_t segment = 0;
    for (int i = 0; i <= sweep.intervals; ++i) {
      const double x = 6000.0 + 5000.0 * std::log(sweep.frequency[i] / 5e6) / logSpan;
      while (segment + 2 < path.size() && path[segment + 1].x < x) ++segment;
      const GridPoint a = path[segment];
      const GridPoint b = path[segment + 1];
      const double y = b.x == a.x ? a.y : a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
      ASSERT_NEAR(y, levelY(levels[i]), 1.0) << "point " << i;
    }
  }
  // The curve really bends: a straight line would miss by far more.
  EXPECT_GT(paths[2].size(), 20u);
  EXPECT_GT(paths[1].size(), 20u);
}

TEST_F(PlotTest, InvalidSweepOrUnusableLimitsDrawNoCurvesAndNoLosses) {
  sweep.valid = false;
  const PlotLabels labels = Draw();
  EXPECT_TRUE(Strokes(model::kBlue).empty());
  EXPECT_EQ(labels.lossLow.text + labels.lossHigh.text, "");
  EXPECT_EQ(canvas.OfKind(Kind::Box).size(), 4u);  // frame and boxes still there
  sweep.valid = true;
  session.design.SweepStart = 0.0f;  // no frequency axis: frame and levels only
  EXPECT_EQ(Draw().lossLow.text, "");
  EXPECT_EQ(canvas.OfKind(Kind::Box).size(), 1u);
  for (const Op& op : canvas.Ops())
    EXPECT_TRUE(std::isfinite(op.a.x) && std::isfinite(op.a.y) && std::isfinite(op.b.x));
}

TEST(EdgeLossLabelTest, RedOnlyAboveOneDb) {
  EXPECT_EQ(EdgeLossLabel(14e6f, -1.0).text, "Target-value parts loss at 14MHz: 1 dB");
  EXPECT_EQ(EdgeLossLabel(14e6f, -1.0).colour, model::kBlack);
  EXPECT_EQ(EdgeLossLabel(14.35e6f, -1.01).text, "Target-value parts loss at 14.35MHz: 1.01 dB");
  EXPECT_EQ(EdgeLossLabel(14.35e6f, -1.01).colour, model::kRed);
}

}  // namespace
}  // namespace diruruzevuv::screens
