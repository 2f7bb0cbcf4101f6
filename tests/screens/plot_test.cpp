#include "screens/plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "model/design_state.h"
#include "platform/recording_canvas.h"

namespace diruruzevuv::screens {
namespace {

using platform::GridPoint;
using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

constexpr model::Rgb kBoxFill{255, 221, 221};
constexpr model::Rgb kPassbandOutline{255, 17, 17};

// Fills the sweep the way the analysis spaces it, with flat levels.
void FillSweep(model::SweepResult& sweep, float start, float stop, float gain, float reflection) {
  sweep.intervals = 2000;
  const double logStart = std::log(static_cast<double>(start));
  const double logSpan = std::log(static_cast<double>(stop)) - logStart;
  for (int i = 0; i <= sweep.intervals; ++i) {
    sweep.frequency[i] = static_cast<float>(std::exp(logStart + logSpan * i / sweep.intervals));
    sweep.gain[i] = gain;
    sweep.reflection[i] = reflection;
  }
  sweep.valid = true;
}

// The two curves as drawn: each starts with a Line, LineTo ops continue it
// (Polyline records them so). The transmission is drawn at width 2, the
// reflection at width 1.
struct Curves {
  std::vector<GridPoint> transmission;
  std::vector<GridPoint> reflection;
};

Curves DrawnCurves(const RecordingCanvas& canvas, model::Rgb colour) {
  Curves curves;
  std::vector<GridPoint>* current = nullptr;
  for (const Op& op : canvas.Ops()) {
    if ((op.kind != Kind::Line && op.kind != Kind::LineTo) || op.colour != colour) continue;
    if (op.kind == Kind::Line) {
      current = op.lineWidth == 2.0 ? &curves.transmission : &curves.reflection;
      current->push_back(op.a);
    }
    if (current != nullptr) current->push_back(op.b);
  }
  return curves;
}

// Largest vertical distance of the points from the drawn path (which runs
// left to right); infinite when a point lies outside the path's x range.
double Deviation(const std::vector<GridPoint>& drawn, const std::vector<GridPoint>& points) {
  double worst = 0.0;
  for (const GridPoint& p : points) {
    double distance = std::numeric_limits<double>::infinity();
    for (std::size_t k = 1; k < drawn.size(); ++k) {
      const GridPoint& a = drawn[k - 1];
      const GridPoint& b = drawn[k];
      if (p.x < std::min(a.x, b.x) - 1e-9 || p.x > std::max(a.x, b.x) + 1e-9) continue;
      const double y = a.x == b.x ? p.y : a.y + (b.y - a.y) * (p.x - a.x) / (b.x - a.x);
      const double d = a.x == b.x ? (p.y >= std::min(a.y, b.y) && p.y <= std::max(a.y, b.y)
                                         ? 0.0
                                         : std::min(std::fabs(p.y - a.y), std::fabs(p.y - b.y)))
                                  : std::fabs(p.y - y);
      distance = std::min(distance, d);
    }
    worst = std::max(worst, distance);
  }
  return worst;
}

// The sweep's points in layout units, x from the logarithm of each stored
// frequency, y limited to the frame.
std::vector<GridPoint> ExactPoints(const model::SweepResult& sweep, const float* levels,
                                   double start, double stop, double floorDb = -60.0) {
  std::vector<GridPoint> points;
  for (int i = 0; i <= sweep.intervals; ++i) {
    const double x =
        6000.0 + 5000.0 * std::log(sweep.frequency[i] / start) / std::log(stop / start);
    const double y = std::clamp(500.0 - 3500.0 * levels[i] / std::fabs(floorDb), 500.0, 4000.0);
    points.push_back({x, y});
  }
  return points;
}

// Half a layout unit is far below a pixel on any screen.
constexpr double kCurveTolerance = 0.5;

class PlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model::ApplyDefaultDesign(session.design);
    session.design.InductorQ = 200.0f;
    session.design.CapacitorQ = 1000.0f;
    session.defaults.PassbandBoxDb = -20.0f;
    session.defaults.SecondHarmonicBoxDb = -28.0f;
    session.defaults.ThirdHarmonicBoxDb = -35.0f;
    session.defaults.BandwidthMultiplier = 1.05f;
    session.defaults.GridDivisions = 6;
    session.defaults.PlotFloorDb = -60.0f;
    FillSweep(Sweep(), 5e6f, 50e6f, -30.0f, -20.0f);
  }

  model::SweepResult& Sweep() { return session.analysis.Result(); }

  PlotLabels Draw(double screenWidthTwips = 12000.0) {
    return Plot(canvas, session, screenWidthTwips);
  }

  // Segments of the curves: everything drawn in the curve colour.
  std::vector<Op> CurveOps(model::Rgb colour) const {
    std::vector<Op> ops;
    for (const Op& op : canvas.Ops())
      if ((op.kind == Kind::Line || op.kind == Kind::LineTo) && op.colour == colour)
        ops.push_back(op);
    return ops;
  }

  // Horizontal grey lines across the plot: the level grid.
  std::vector<double> LevelLineYs() const {
    std::vector<double> ys;
    for (const Op& op : canvas.OfKind(Kind::Line))
      if (op.colour == model::kGrey && op.a.y == op.b.y) ys.push_back(op.a.y);
    return ys;
  }

  // Level labels: every text but the frequency labels below the frame.
  std::vector<Op> LevelLabels() const {
    std::vector<Op> labels;
    for (const Op& op : canvas.OfKind(Kind::Text))
      if (op.a.y != 4100.0) labels.push_back(op);
    return labels;
  }

  // Text ops with the position of their white point.
  std::vector<Op> TextsAtY(double y) const {
    std::vector<Op> texts;
    for (const Op& op : canvas.OfKind(Kind::Text))
      if (op.a.y == y) texts.push_back(op);
    return texts;
  }

  model::Session session;
  RecordingCanvas canvas;
};

TEST_F(PlotTest, FrequencyGridLinesAreGreyAcrossThePlot) {
  Draw();
  std::vector<double> xs;
  for (const Op& op : canvas.OfKind(Kind::Line)) {
    if (op.colour != model::kGrey || op.a.x != op.b.x) continue;
    EXPECT_EQ(op.a.y, 500.0);
    EXPECT_EQ(op.b.y, 4000.0);
    EXPECT_EQ(op.lineWidth, 1.0);
    xs.push_back(op.a.x);
  }
  ASSERT_EQ(xs.size(), 11u);
  EXPECT_NEAR(xs[0], 6000.0, 0.01);
  EXPECT_NEAR(xs[5], 6000.0 + 5000.0 * std::log10(2.0), 0.01);  // 10 MHz
  EXPECT_NEAR(xs[10], 11000.0, 0.01);
  EXPECT_EQ(session.plot.grid.count, 11);
}

TEST_F(PlotTest, FrequencyLabelsSitBelowTheFrameLeftOfTheirLines) {
  Draw();
  const std::vector<Op> labels = TextsAtY(4100.0);
  std::vector<std::string> texts;
  for (const Op& op : labels) texts.push_back(op.text);
  EXPECT_EQ(texts, (std::vector<std::string>{" 5M", " 6M", " 8M", " 10M", " 20M", " 30M", " 40M",
                                             " 50M"}));
  ASSERT_FALSE(labels.empty());
  EXPECT_NEAR(labels[0].a.x, 5850.0, 0.01);
  // Each label is placed by a white point at its top left corner.
  const auto& ops = canvas.Ops();
  for (std::size_t i = 1; i < ops.size(); ++i) {
    if (ops[i].kind != Kind::Text) continue;
    ASSERT_EQ(ops[i - 1].kind, Kind::Point) << ops[i].text;
    EXPECT_EQ(ops[i - 1].colour, model::kWhite);
    EXPECT_EQ(ops[i - 1].a, ops[i].a);
  }
}

struct LevelGridRow {
  const char* name;
  std::int16_t divisions;
  std::vector<double> ys;
  std::string lastLabel;
};
void PrintTo(const LevelGridRow& row, std::ostream* out) {
  *out << row.name;
}

class PlotLevelGridTest : public PlotTest, public ::testing::WithParamInterface<LevelGridRow> {};

TEST_P(PlotLevelGridTest, DrawsTheseLevelLinesAndLabels) {
  const LevelGridRow& row = GetParam();
  session.defaults.GridDivisions = row.divisions;
  Draw();
  EXPECT_EQ(LevelLineYs(), row.ys);
  std::vector<std::string> labels;
  for (const Op& op : LevelLabels()) labels.push_back(op.text);
  ASSERT_EQ(labels.size(), row.ys.size());
  if (!labels.empty()) {
    EXPECT_EQ(labels.front(), "0");
    EXPECT_EQ(labels.back(), row.lastLabel);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Divisions, PlotLevelGridTest,
    ::testing::Values(LevelGridRow{"None", 0, {}, ""}, LevelGridRow{"Negative", -3, {}, ""},
                      LevelGridRow{"Four", 4, {500, 1375, 2250, 3125, 4000}, "-40"},
                      LevelGridRow{"Six", 6, {500, 1083, 1666, 2250, 2833, 3416, 4000}, "-60"},
                      // Beyond nine, 3500 x i no longer fits 16 bits; the lines still come
                      // out evenly spread.
                      LevelGridRow{"Twelve",
                                   12,
                                   {500, 791, 1083, 1375, 1666, 1958, 2250, 2541, 2833, 3125, 3416,
                                    3708, 4000},
                                   "-120"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(PlotTest, LevelLabelsEndNearTheFrameWhateverTheScreenWidth) {
  Draw(12000.0);
  const std::vector<Op> labels = LevelLabels();
  ASSERT_EQ(labels.size(), 7u);
  EXPECT_EQ(labels[0].a, (GridPoint{5900.0 - 120.0, 400.0}));
  EXPECT_EQ(labels[1].a, (GridPoint{5900.0 - 360.0, 983.0}));
  canvas.Reset();
  // A screen twice as wide in twips makes each character half as many
  // layout units wide.
  Draw(24000.0);
  const std::vector<Op> wide = LevelLabels();
  ASSERT_EQ(wide.size(), 7u);
  EXPECT_EQ(wide[1].a.x, 5900.0 - 180.0);
  canvas.Reset();
  Draw(0.0);  // a broken width falls back rather than dividing by zero
  for (const Op& op : canvas.OfKind(Kind::Text)) EXPECT_TRUE(std::isfinite(op.a.x));
}

TEST_F(PlotTest, ManyDivisionsDoNotOverflow) {
  session.defaults.GridDivisions = 1000;
  Draw();
  const std::vector<double> ys = LevelLineYs();
  ASSERT_EQ(ys.size(), 1001u);
  EXPECT_EQ(ys[999], 3996.0);
  EXPECT_EQ(ys.back(), 4000.0);
}

TEST_F(PlotTest, DesignAidBoxes) {
  Draw();
  const std::vector<Op> fills = canvas.OfKind(Kind::FilledBox);
  ASSERT_EQ(fills.size(), 3u);
  const double floorScale = 3500.0 / 60.0;
  const double levels[] = {-20.0, -28.0, -35.0};
  for (int k = 1; k <= 3; ++k) {
    const Op& fill = fills[k - 1];
    const double x1 = 6000.0 + 5000.0 * std::log10(k * 14e6 / 1.05f / 5e6);
    const double x2 = 6000.0 + 5000.0 * std::log10(k * 14.35e6 * 1.05f / 5e6);
    EXPECT_NEAR(fill.a.x, x1, 0.01) << k;
    EXPECT_EQ(fill.a.y, 500.0);
    EXPECT_NEAR(fill.b.x, x2, 0.01) << k;
    EXPECT_NEAR(fill.b.y, 500.0 - floorScale * levels[k - 1], 1e-9) << k;
    EXPECT_EQ(fill.colour, kBoxFill);
    EXPECT_EQ(fill.lineWidth, 1.0);
  }
  const std::vector<Op> outlines = canvas.OfKind(Kind::Box);
  ASSERT_EQ(outlines.size(), 4u);  // three boxes and the frame
  EXPECT_EQ(outlines[0].colour, kPassbandOutline);
  EXPECT_EQ(outlines[1].colour, model::kRed);
  EXPECT_EQ(outlines[2].colour, model::kRed);
  EXPECT_EQ(outlines[0].a, fills[0].a);
  EXPECT_EQ(outlines[0].b, fills[0].b);
  // Red edge lines over the full height at both sides of every box.
  std::vector<double> edges;
  for (const Op& op : canvas.OfKind(Kind::Line))
    if (op.colour == model::kRed && op.a.y == 500.0 && op.b.y == 4000.0) edges.push_back(op.a.x);
  ASSERT_EQ(edges.size(), 6u);
  EXPECT_EQ(edges[0], fills[0].a.x);
  EXPECT_EQ(edges[1], fills[0].b.x);
}

TEST_F(PlotTest, FrameIsBlackAtWidthTwoBeforeTheCurves) {
  Draw();
  const std::vector<Op> outlines = canvas.OfKind(Kind::Box);
  ASSERT_FALSE(outlines.empty());
  const Op& frame = outlines.back();
  EXPECT_EQ(frame.a, (GridPoint{6000.0, 500.0}));
  EXPECT_EQ(frame.b, (GridPoint{11000.0, 4000.0}));
  EXPECT_EQ(frame.colour, model::kBlack);
  EXPECT_EQ(frame.lineWidth, 2.0);
}

TEST_F(PlotTest, CurvesFollowTheSweepInDrawColour) {
  session.DrawColor = model::kYellow;
  Draw();
  const Curves curves = DrawnCurves(canvas, model::kYellow);
  // Flat levels need one segment each across the whole width.
  EXPECT_EQ(curves.transmission,
            (std::vector<GridPoint>{{6000.0, 2250.0}, {11000.0, 2250.0}}));  // -30 dB of 60
  ASSERT_EQ(curves.reflection.size(), 2u);
  EXPECT_EQ(curves.reflection.front().x, 6000.0);
  EXPECT_NEAR(curves.reflection.front().y, 500.0 + 3500.0 / 3.0, 1e-9);
  EXPECT_EQ(curves.reflection.back().x, 11000.0);
  // Transmission first, then reflection; nothing else in the curve colour.
  std::vector<double> widths;
  for (const Op& op : CurveOps(model::kYellow)) widths.push_back(op.lineWidth);
  EXPECT_EQ(widths, (std::vector<double>{2.0, 1.0}));
}

TEST_F(PlotTest, CurvesKeepEveryPointWithinAFractionOfAPixel) {
  // A rough response: a step, a spike, a fast wiggle and a steep slope.
  model::SweepResult& sweep = Sweep();
  for (int i = 0; i <= sweep.intervals; ++i) {
    float gain = -10.0f;
    if (i > 400) gain = -40.0f;                                           // step
    if (i == 700) gain = 0.0f;                                            // one-point spike
    if (i > 900 && i < 1100) gain = -20.0f + 5.0f * std::sin(i * 0.7f);   // wiggle
    if (i >= 1100) gain = -20.0f - 0.05f * static_cast<float>(i - 1100);  // slope past the floor
    sweep.gain[i] = gain;
    sweep.reflection[i] = -20.0f + 0.00005f * static_cast<float>(i % 97);  // 0.3 units
  }
  Draw();
  const Curves curves = DrawnCurves(canvas, model::kBlue);
  const std::vector<GridPoint> gain = ExactPoints(sweep, sweep.gain.data(), 5e6, 50e6);
  const std::vector<GridPoint> reflection = ExactPoints(sweep, sweep.reflection.data(), 5e6, 50e6);
  EXPECT_LE(Deviation(curves.transmission, gain), kCurveTolerance + 0.01);
  EXPECT_LE(Deviation(curves.reflection, reflection), kCurveTolerance + 0.01);
  EXPECT_EQ(curves.transmission.front(), gain.front());
  EXPECT_NEAR(curves.transmission.back().x, 11000.0, 0.01);
  // The spike is drawn to its top, and the ripple is smoothed away.
  const auto top = std::min_element(curves.transmission.begin(), curves.transmission.end(),
                                    [](GridPoint a, GridPoint b) { return a.y < b.y; });
  EXPECT_EQ(top->y, 500.0);
  EXPECT_LT(curves.reflection.size(), 10u);
  EXPECT_LT(curves.transmission.size(), 2001u);
}

TEST_F(PlotTest, CurvesRunningRightToLeftAreThinnedAsWell) {
  // A design whose sweep limits were swapped after the analysis: the stored
  // points now map from the right edge to the left.
  session.design.SweepStart = 50e6f;
  session.design.SweepStop = 5e6f;
  model::SweepResult& sweep = Sweep();
  for (int i = 0; i <= sweep.intervals; ++i) sweep.gain[i] = -0.02f * static_cast<float>(i);
  Draw();
  const Curves curves = DrawnCurves(canvas, model::kBlue);
  ASSERT_GE(curves.transmission.size(), 2u);
  EXPECT_NEAR(curves.transmission.front().x, 11000.0, 0.01);
  EXPECT_NEAR(curves.transmission.back().x, 6000.0, 0.01);
  EXPECT_LE(Deviation(curves.transmission, ExactPoints(sweep, sweep.gain.data(), 50e6, 5e6)),
            kCurveTolerance + 0.01);
}

TEST_F(PlotTest, SweepOfAnotherRangeIsMappedPointByPoint) {
  // The design's sweep was widened without a new analysis.
  session.design.SweepStop = 100e6f;
  Draw();
  const Curves curves = DrawnCurves(canvas, model::kBlue);
  ASSERT_FALSE(curves.transmission.empty());
  EXPECT_NEAR(curves.transmission.back().x, 6000.0 + 5000.0 * std::log(10.0) / std::log(20.0),
              0.01);
}

struct ClipRow {
  const char* name;
  float gain;
  float reflection;
  float floorDb;
  double gainY;
  double reflectionY;
};
void PrintTo(const ClipRow& row, std::ostream* out) {
  *out << row.name;
}

class PlotClipTest : public PlotTest, public ::testing::WithParamInterface<ClipRow> {};

TEST_P(PlotClipTest, CurvesStayInsideTheFrame) {
  const ClipRow& row = GetParam();
  session.defaults.PlotFloorDb = row.floorDb;
  FillSweep(Sweep(), 5e6f, 50e6f, row.gain, row.reflection);
  Draw();
  const Curves curves = DrawnCurves(canvas, model::kBlue);
  ASSERT_GE(curves.transmission.size(), 2u);
  ASSERT_GE(curves.reflection.size(), 2u);
  for (const GridPoint& p : curves.transmission) EXPECT_NEAR(p.y, row.gainY, 1e-9);
  for (const GridPoint& p : curves.reflection) EXPECT_NEAR(p.y, row.reflectionY, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, PlotClipTest,
    ::testing::Values(ClipRow{"BelowFloor", -75.0f, -140.0f, -60.0f, 4000.0, 4000.0},
                      ClipRow{"AboveZero", 3.0f, 0.0f, -60.0f, 500.0, 500.0},
                      ClipRow{"AtFloor", -60.0f, -30.0f, -60.0f, 4000.0, 2250.0},
                      ClipRow{"ZeroFloorTakenAsSixty", -30.0f, -90.0f, 0.0f, 2250.0, 4000.0},
                      ClipRow{"FloorEighty", -40.0f, -20.0f, -80.0f, 2250.0, 1375.0}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(PlotTest, InvalidSweepDrawsNoCurvesAndNoLosses) {
  Sweep().valid = false;
  const PlotLabels labels = Draw();
  EXPECT_TRUE(CurveOps(model::kBlue).empty());
  EXPECT_TRUE(canvas.OfKind(Kind::LineTo).empty());
  EXPECT_EQ(labels.lossLow.text, "");
  EXPECT_EQ(labels.lossHigh.text, "");
  EXPECT_FALSE(labels.worstSecondChanged);
  // The frame and grid are still there.
  EXPECT_EQ(canvas.OfKind(Kind::Box).size(), 4u);
}

TEST_F(PlotTest, UnusableSweepLimitsDrawOnlyFrameAndLevels) {
  session.design.SweepStart = 0.0f;
  const PlotLabels labels = Draw();
  EXPECT_TRUE(canvas.OfKind(Kind::FilledBox).empty());
  EXPECT_TRUE(CurveOps(model::kBlue).empty());
  EXPECT_EQ(canvas.OfKind(Kind::Box).size(), 1u);
  EXPECT_EQ(LevelLineYs().size(), 7u);
  EXPECT_EQ(labels.lossLow.text, "");
  for (const Op& op : canvas.Ops()) {
    EXPECT_TRUE(std::isfinite(op.a.x) && std::isfinite(op.a.y));
    EXPECT_TRUE(std::isfinite(op.b.x) && std::isfinite(op.b.y));
  }
}

TEST_F(PlotTest, ZeroBandwidthMultiplierSkipsTheBoxes) {
  session.defaults.BandwidthMultiplier = 0.0f;
  Draw();
  EXPECT_TRUE(canvas.OfKind(Kind::FilledBox).empty());
  EXPECT_EQ(DrawnCurves(canvas, model::kBlue).transmission.size(), 2u);
}

TEST_F(PlotTest, TwoPlotsDrawTheCurvesTwiceInTheSamePlace) {
  Draw();
  const std::vector<Op> first = CurveOps(model::kBlue);
  Draw();
  const std::vector<Op> both = CurveOps(model::kBlue);
  ASSERT_EQ(both.size(), 2 * first.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(both[first.size() + i].a, first[i].a);
    EXPECT_EQ(both[first.size() + i].b, first[i].b);
  }
  EXPECT_EQ(canvas.OfKind(Kind::Clear).size(), 0u);
}

TEST_F(PlotTest, WorstHarmonicLabelsAfterAReset) {
  // The Monte Carlo start resets the worst values upwards.
  session.plot.worstSecond = 1000.0f;
  session.plot.worstThird = 1000.0f;
  FillSweep(Sweep(), 5e6f, 50e6f, -45.0f, -1.0f);
  PlotLabels labels = Draw();
  EXPECT_TRUE(labels.worstSecondChanged);
  EXPECT_EQ(labels.worstSecond, "Worst-case 2nd harm. atten: 45 dB");
  EXPECT_TRUE(labels.worstThirdChanged);
  EXPECT_EQ(labels.worstThird, "Worst-case 3ed harm. atten: 45 dB");
  // At the start of the program the worst values are 0 and never change.
  session.plot.worstSecond = 0.0f;
  session.plot.worstThird = 0.0f;
  labels = Draw();
  EXPECT_FALSE(labels.worstSecondChanged);
  EXPECT_FALSE(labels.worstThirdChanged);
}

struct EdgeLossRow {
  const char* name;
  float edge;
  double gain;
  std::string text;
  model::Rgb colour;
};
void PrintTo(const EdgeLossRow& row, std::ostream* out) {
  *out << row.name;
}

class EdgeLossLabelTest : public ::testing::TestWithParam<EdgeLossRow> {};

TEST_P(EdgeLossLabelTest, TextAndColour) {
  const EdgeLossRow& row = GetParam();
  const LabelText label = EdgeLossLabel(row.edge, row.gain);
  EXPECT_EQ(label.text, row.text);
  EXPECT_EQ(label.colour, row.colour);
}

INSTANTIATE_TEST_SUITE_P(
    Losses, EdgeLossLabelTest,
    ::testing::Values(EdgeLossRow{"Small", 14e6f, -0.14,
                                  "Target-value parts loss at 14MHz: 0.14 dB", model::kBlack},
                      EdgeLossRow{"ExactlyOneDb", 14e6f, -1.0,
                                  "Target-value parts loss at 14MHz: 1 dB", model::kBlack},
                      EdgeLossRow{"JustAboveOneDb", 14.35e6f, -1.01,
                                  "Target-value parts loss at 14.35MHz: 1.01 dB", model::kRed},
                      EdgeLossRow{"Gain", 7e6f, 0.5, "Target-value parts loss at 7MHz: 0.5 dB",
                                  model::kBlack}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace diruruzevuv::screens

namespace diruruzevuv::screens {
namespace {

// The 20-metre design analysed for real, as the design screen shows it.
class PlotRedisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model::ApplyDefaultDesign(session.design);
    session.design.InductorQ = 200.0f;
    session.design.CapacitorQ = 1000.0f;
    session.defaults = {-20.0f, -28.0f, -35.0f, 1.05f, 6, -60.0f};
  }
  PlotLabels Redisplay() {
    canvas.Clear();
    session.analysis.RunSweep(session.design);
    return Plot(canvas, session, 12000.0);
  }
  model::Session session;
  RecordingCanvas canvas;
};

TEST_F(PlotRedisplayTest, TwentyMetreEdgeLossesAreSmallAndBlack) {
  const PlotLabels labels = Redisplay();
  ASSERT_TRUE(session.analysis.Result().valid);
  EXPECT_EQ(labels.lossLow.text.rfind("Target-value parts loss at 14MHz: 0.1", 0), 0u)
      << labels.lossLow.text;
  EXPECT_EQ(labels.lossLow.text.substr(labels.lossLow.text.size() - 3), " dB");
  EXPECT_EQ(labels.lossLow.colour, model::kBlack);
  EXPECT_EQ(labels.lossHigh.text.rfind("Target-value parts loss at 14.35MHz: 0.1", 0), 0u)
      << labels.lossHigh.text;
  EXPECT_EQ(labels.lossHigh.colour, model::kBlack);
  // The point result is left at the upper edge for the Monte Carlo run.
  const double upper = session.analysis.Result().pointGain;
  session.analysis.AnalyzePoint(session.design, session.design.UpperEdge);
  EXPECT_EQ(session.analysis.Result().pointGain, upper);
}

TEST_F(PlotRedisplayTest, HarmonicAttenuationTrackedFromAReset) {
  session.plot.worstSecond = 1000.0f;
  session.plot.worstThird = 1000.0f;
  const PlotLabels labels = Redisplay();
  EXPECT_TRUE(labels.worstSecondChanged);
  EXPECT_TRUE(labels.worstThirdChanged);
  // The second harmonic of 20 m lies near -40 dB or below, the third below.
  EXPECT_GT(session.plot.worstSecond, 30.0f);
  EXPECT_GT(session.plot.worstThird, 30.0f);
  EXPECT_EQ(labels.worstSecond.rfind("Worst-case 2nd harm. atten: ", 0), 0u);
}

TEST_F(PlotRedisplayTest, TwoRedisplaysGiveTheSamePicture) {
  Redisplay();
  const std::vector<Op> first = canvas.Ops();
  canvas.Reset();
  Redisplay();
  const std::vector<Op>& second = canvas.Ops();
  ASSERT_EQ(second.size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    ASSERT_EQ(second[i].kind, first[i].kind) << i;
    ASSERT_EQ(second[i].a, first[i].a) << i;
    ASSERT_EQ(second[i].b, first[i].b) << i;
    ASSERT_EQ(second[i].text, first[i].text) << i;
  }
}

TEST_F(PlotRedisplayTest, CurvesFollowTheAnalysedResponse) {
  Redisplay();
  const Curves curves = DrawnCurves(canvas, model::kBlue);
  const model::SweepResult& sweep = session.analysis.Result();
  EXPECT_LE(Deviation(curves.transmission, ExactPoints(sweep, sweep.gain.data(), 5e6, 50e6)),
            kCurveTolerance + 0.01);
  EXPECT_LE(Deviation(curves.reflection, ExactPoints(sweep, sweep.reflection.data(), 5e6, 50e6)),
            kCurveTolerance + 0.01);
  // Far fewer segments than sweep points reach the painter.
  EXPECT_LT(curves.transmission.size(), 1000u);
}

}  // namespace
}  // namespace diruruzevuv::screens
