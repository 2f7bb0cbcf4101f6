#include "report/report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "model/design_state.h"
#include "model/plot_grid.h"
#include "model/session.h"
#include "notation/notation.h"
#include "platform/recording_canvas.h"

namespace diruruzevuv::report {
namespace {

using platform::GridPoint;
using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

// The 20-metre design with the wizard's plot settings, swept and gridded
// as the design screen's redisplay leaves it.
model::Session TwentyMetreSession() {
  model::Session s;
  model::ApplyDefaultDesign(s.design);
  s.design.InductorQ = 200;
  s.design.CapacitorQ = 1000;
  s.defaults.PassbandBoxDb = -1;
  s.defaults.SecondHarmonicBoxDb = -40;
  s.defaults.ThirdHarmonicBoxDb = -50;
  s.defaults.BandwidthMultiplier = 1.1f;
  s.defaults.GridDivisions = 6;
  s.defaults.PlotFloorDb = -60;
  s.analysis.RunSweep(s.design);
  s.plot.grid = model::ComputePlotGrid(s.design.SweepStart, s.design.SweepStop);
  return s;
}

ReportOptions FixedOptions() {
  ReportOptions o;
  o.screenWidthTwips = 12000;
  o.date = "06.12.2026";
  return o;
}

RecordingCanvas Draw(model::Session& s, const ReportOptions& o = FixedOptions()) {
  RecordingCanvas page;
  DrawReport(page, s, o);
  return page;
}

// The text written at a given top left corner, or "<none>".
std::string TextAt(const RecordingCanvas& page, GridPoint at) {
  for (const Op& op : page.OfKind(Kind::Text))
    if (op.a == at) return op.text;
  return "<none>";
}

// Every text placed by a point must be placed by a white one.
TEST(ReportTest, TextsArePlacedByWhitePointsOrDirectly) {
  model::Session s = TwentyMetreSession();
  const RecordingCanvas page = Draw(s);
  const auto& ops = page.Ops();
  for (std::size_t i = 0; i < ops.size(); ++i) {
    if (ops[i].kind != Kind::Text) continue;
    ASSERT_GT(i, 0u);
    const Op& before = ops[i - 1];
    if (before.kind == Kind::Point)
      EXPECT_EQ(before.colour, model::kWhite) << ops[i].text;
    else
      EXPECT_EQ(before.kind, Kind::TextPosition) << ops[i].text;
  }
}

TEST(ReportTest, FrameComesFirstAtWidthTwelve) {
  model::Session s = TwentyMetreSession();
  const RecordingCanvas page = Draw(s);
  const std::vector<Op> boxes = page.OfKind(Kind::Box);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0].a, (GridPoint{2000, 1500}));
  EXPECT_EQ(boxes[0].b, (GridPoint{7000, 5000}));
  EXPECT_EQ(boxes[0].colour, model::kBlack);
  EXPECT_EQ(boxes[0].lineWidth, 12);
}

TEST(ReportTest, FrequencyGridFollowsThePlotGrid) {
  model::Session s;
  model::ApplyDefaultDesign(s.design);
  s.defaults.GridDivisions = 0;  // only the frequency grid is grey
  s.plot.grid.count = 3;
  s.plot.grid.frequency = {5e6f, 1e7f, 5e7f};
  s.plot.grid.position = {0.0, 0.25, 1.0};
  const RecordingCanvas page = Draw(s);
  std::vector<double> xs;
  for (const Op& op : page.OfKind(Kind::Line)) {
    if (op.colour != model::kGrey) continue;
    EXPECT_EQ(op.a.y, 1500);
    EXPECT_EQ(op.b.y, 5000);
    EXPECT_EQ(op.a.x, op.b.x);
    EXPECT_EQ(op.lineWidth, 2);
    xs.push_back(op.a.x);
  }
  EXPECT_EQ(xs, (std::vector<double>{2000, 3250, 7000}));
}

TEST(ReportTest, FrequencyLabelsBelowTheFrameLeftOfTheirLines) {
  model::Session s = TwentyMetreSession();
  const RecordingCanvas page = Draw(s);
  const model::PlotGrid& grid = s.plot.grid;
  const std::vector<int> labelled =
      model::ChooseFrequencyLabels(grid, s.design.SweepStart, s.design.SweepStop);
  ASSERT_EQ(labelled.size(), 8u);  // 5, 6, 8, 10, 20, 30, 40, 50 MHz
  for (int i : labelled) {
    const GridPoint at{1750 + 5000 * grid.position[i], 5100};
    EXPECT_EQ(TextAt(page, at), notation::FormatFrequency(grid.frequency[i]));
  }
}

struct LevelRow {
  const char* name;
  std::int16_t divisions;
  double screenWidthTwips;
  std::vector<std::string> texts;
  std::vector<double> labelY;
  std::vector<double> labelX;
};

class LevelLabels : public testing::TestWithParam<LevelRow> {};

TEST_P(LevelLabels, TextsAndPlaces) {
  const LevelRow& row = GetParam();
  model::Session s = TwentyMetreSession();
  s.defaults.GridDivisions = row.divisions;
  ReportOptions o = FixedOptions();
  o.screenWidthTwips = row.screenWidthTwips;
  const RecordingCanvas page = Draw(s, o);
  for (std::size_t j = 0; j < row.texts.size(); ++j) {
    EXPECT_EQ(TextAt(page, {row.labelX[j], row.labelY[j]}), row.texts[j]) << j;
    // The grid line of this label lies 100 units lower.
    bool found = false;
    for (const Op& op : page.OfKind(Kind::Line))
      found |= op.colour == model::kGrey && op.a == GridPoint{2000, row.labelY[j] + 100} &&
               op.b == GridPoint{7000, row.labelY[j] + 100};
    EXPECT_TRUE(found) << j;
  }
}

INSTANTIATE_TEST_SUITE_P(
    ReportTest, LevelLabels,
    testing::Values(LevelRow{"six",
                             6,
                             12000,
                             {"0", "-10", "-20", "-30", "-40", "-50", "-60"},
                             {1400, 1983, 2566, 3150, 3733, 4316, 4900},
                             {1780, 1540, 1540, 1540, 1540, 1540, 1540}},
                    LevelRow{"four",
                             4,
                             12000,
                             {"0", "-10", "-20", "-30", "-40"},
                             {1400, 2275, 3150, 4025, 4900},
                             {1780, 1540, 1540, 1540, 1540}},
                    // A screen twice as wide in twips halves the width estimate.
                    LevelRow{"wideScreen", 4, 24000, {"0", "-10"}, {1400, 2275}, {1840, 1720}},
                    // Twelve divisions would overflow 16 bits; they are drawn all the same.
                    LevelRow{"twelve", 12, 12000, {"-120"}, {4900}, {1420}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ReportTest, NoLevelGridForZeroOrNegativeDivisions) {
  for (std::int16_t d : {std::int16_t{0}, std::int16_t{-3}}) {
    model::Session s = TwentyMetreSession();
    s.defaults.GridDivisions = d;
    const RecordingCanvas page = Draw(s);
    for (const Op& op : page.OfKind(Kind::Line))
      EXPECT_FALSE(op.colour == model::kGrey && op.a.y == op.b.y) << d;
    EXPECT_EQ(TextAt(page, {1780, 1400}), "<none>");
  }
}

TEST(ReportTest, DesignAidBoxesFilledThenOutlined) {
  model::Session s = TwentyMetreSession();
  const RecordingCanvas page = Draw(s);
  const std::vector<Op> fills = page.OfKind(Kind::FilledBox);
  std::vector<Op> outlines = page.OfKind(Kind::Box);
  ASSERT_EQ(fills.size(), 3u);
  ASSERT_EQ(outlines.size(), 4u);  // the frame first
  const double span = std::log(50e6 / 5e6);
  auto x = [&](double f) { return 2000 + 5000 * std::log(f / 5e6) / span; };
  const double m = 1.1f;
  const double lo = 14e6, hi = 14.35e6;
  const struct {
    double f1, f2, level, width;
  } rows[] = {
      {lo / m, hi * m, -1, 5}, {2 * lo / m, 2 * hi * m, -40, 6}, {3 * lo / m, 3 * hi * m, -50, 6}};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const Op& fill = fills[k];
    const Op& line = outlines[k + 1];
    EXPECT_EQ(fill.colour, (model::Rgb{255, 240, 240}));
    EXPECT_EQ(line.colour, (model::Rgb{255, 17, 17}));
    EXPECT_EQ(fill.lineWidth, rows[k].width);
    EXPECT_EQ(line.lineWidth, rows[k].width);
    EXPECT_NEAR(fill.a.x, x(rows[k].f1), 1e-6);
    EXPECT_NEAR(fill.b.x, x(rows[k].f2), 1e-6);
    EXPECT_EQ(fill.a.y, 1500);
    EXPECT_NEAR(fill.b.y, 1500 - 3500 * rows[k].level / 60, 1e-9);
    EXPECT_EQ(line.a, fill.a);
    EXPECT_EQ(line.b, fill.b);
  }
}

// A hand-made sweep: each row is one point; the colour of the segment that
// ends at it is checked.
struct CurvePoint {
  const char* name;
  float frequency;
  float gain;
  float reflection;
  model::Rgb transmission;
  model::Rgb reflected;
};

TEST(ReportTest, CurveColoursAtTheExactWindowLimits) {
  model::Session s = TwentyMetreSession();
  const float lo = s.design.LowerEdge, hi = s.design.UpperEdge;
  const float lo2 = static_cast<float>(1.9 * lo), hi2 = static_cast<float>(2.1 * hi);
  const float lo3 = static_cast<float>(2.85 * lo), hi3 = static_cast<float>(3.15 * hi);
  const float lo1 = static_cast<float>(0.95 * lo), hi1 = static_cast<float>(1.05 * hi);
  auto above = [](float f) { return std::nextafter(f, 1e30f); };
  auto below = [](float f) { return std::nextafter(f, 0.0f); };
  using model::kBlue;
  using model::kRed;
  const CurvePoint rows[] = {
      {"start", 5e6f, 0, 0, kBlue, kBlue},
      {"atSecondLow", lo2, 0, 0, kBlue, kBlue},
      {"justAboveSecondLow", above(lo2), 0, 0, kRed, kBlue},
      {"gainEqualToSecondBox", 28e6f, -40, 0, kBlue, kBlue},
      {"gainJustAboveSecondBox", 28e6f, std::nextafter(-40.0f, 0.0f), 0, kRed, kBlue},
      {"justBelowSecondHigh", below(hi2), -10, 0, kRed, kBlue},
      {"atSecondHigh", hi2, -10, 0, kBlue, kBlue},
      {"atThirdLow", lo3, -10, 0, kBlue, kBlue},
      {"justInsideThird", above(lo3), -49, 0, kRed, kBlue},
      {"gainEqualToThirdBox", 42e6f, -50, 0, kBlue, kBlue},
      {"atThirdHigh", hi3, 0, 0, kBlue, kBlue},
      {"atPassbandLow", lo1, 0, 0, kBlue, kBlue},
      {"insidePassband", above(lo1), 0, -0.5f, kBlue, kRed},
      {"reflectionEqualToBox", 14.1e6f, 0, -1, kBlue, kBlue},
      {"justBelowPassbandHigh", below(hi1), 0, 0, kBlue, kRed},
      {"atPassbandHigh", hi1, 0, 0, kBlue, kBlue},
  };
  const int n = static_cast<int>(std::size(rows));
  model::SweepResult& r = s.analysis.Result();
  r.intervals = static_cast<std::int16_t>(n - 1);
  r.valid = true;
  for (int k = 0; k < n; ++k) {
    r.frequency[k] = rows[k].frequency;
    r.gain[k] = rows[k].gain;
    r.reflection[k] = rows[k].reflection;
  }
  const RecordingCanvas page = Draw(s);
  // Each curve: a zero-length line, then one segment per later point.
  std::vector<Op> transmission, reflection;
  for (const Op& op : page.Ops()) {
    if (op.kind != Kind::Line && op.kind != Kind::LineTo) continue;
    if (op.colour != model::kRed && op.colour != model::kBlue) continue;
    (op.lineWidth == 9 ? transmission : reflection).push_back(op);
  }
  ASSERT_EQ(transmission.size(), static_cast<std::size_t>(n));
  ASSERT_EQ(reflection.size(), static_cast<std::size_t>(n));
  EXPECT_EQ(transmission[0].kind, Kind::Line);
  EXPECT_EQ(transmission[0].a, transmission[0].b);
  EXPECT_EQ(reflection[0].lineWidth, 6);
  for (int k = 0; k < n; ++k) {
    EXPECT_EQ(transmission[k].colour, rows[k].transmission) << rows[k].name;
    EXPECT_EQ(reflection[k].colour, rows[k].reflected) << rows[k].name;
  }
}

TEST(ReportTest, CurvesAreClippedToTheFrame) {
  model::Session s = TwentyMetreSession();
  model::SweepResult& r = s.analysis.Result();
  r.intervals = 2;
  r.valid = true;
  r.frequency[0] = 5e6f;
  r.gain[0] = 3;  // above 0 dB: the top edge
  r.reflection[0] = -140;
  r.frequency[1] = 1e7f;
  r.gain[1] = -200;  // below the floor: the bottom edge
  r.reflection[1] = -30;
  r.frequency[2] = 5e7f;
  r.gain[2] = -60;
  r.reflection[2] = 0;
  const RecordingCanvas page = Draw(s);
  std::vector<GridPoint> ends;
  for (const Op& op : page.Ops())
    if ((op.kind == Kind::Line || op.kind == Kind::LineTo) && op.colour == model::kBlue)
      ends.push_back(op.b);
  const double x10 = 2000 + 5000 * std::log(2.0) / std::log(10.0);
  const std::vector<GridPoint> expected = {{2000, 1500}, {x10, 5000}, {7000, 5000},
                                           {2000, 5000}, {x10, 3250}, {7000, 1500}};
  ASSERT_EQ(ends.size(), expected.size());
  for (std::size_t k = 0; k < ends.size(); ++k) {
    EXPECT_NEAR(ends[k].x, expected[k].x, 1e-6) << k;
    EXPECT_NEAR(ends[k].y, expected[k].y, 1e-6) << k;
  }
}

TEST(ReportTest, FloorOfZeroIsTakenAsSixty) {
  model::Session s = TwentyMetreSession();
  s.defaults.PlotFloorDb = 0;
  model::SweepResult& r = s.analysis.Result();
  r.intervals = 0;
  r.valid = true;
  r.frequency[0] = 5e6f;
  r.gain[0] = -30;
  r.reflection[0] = -30;
  const RecordingCanvas page = Draw(s);
  int points = 0;
  for (const Op& op : page.OfKind(Kind::Line)) {
    if (op.colour != model::kBlue) continue;
    EXPECT_EQ(op.a.y, 3250);
    ++points;
  }
  EXPECT_EQ(points, 2);
}

TEST(ReportTest, AnInvalidSweepDrawsNoCurvesAndNoLosses) {
  model::Session s = TwentyMetreSession();
  s.analysis.Result().valid = false;
  const RecordingCanvas page = Draw(s);
  for (const Op& op : page.Ops())
    if (op.kind == Kind::Line || op.kind == Kind::LineTo) {
      EXPECT_TRUE(op.colour != model::kBlue && op.colour != model::kRed);
    }
  EXPECT_EQ(TextAt(page, {9000, 2700}), "Loss at lower edge: ");
  EXPECT_EQ(TextAt(page, {9000, 3000}), "Loss at upper edge: ");
}

TEST(ReportTest, SweepLimitsWithoutAnAxisDrawNoGridBoxesOrCurves) {
  model::Session s = TwentyMetreSession();
  s.design.SweepStart = 0;
  const RecordingCanvas page = Draw(s);
  EXPECT_TRUE(page.OfKind(Kind::FilledBox).empty());
  for (const Op& op : page.Ops()) {
    EXPECT_TRUE(std::isfinite(op.a.x) && std::isfinite(op.a.y));
    EXPECT_TRUE(std::isfinite(op.b.x) && std::isfinite(op.b.y));
  }
}

TEST(ReportTest, FiguresTitleAndFooter) {
  model::Session s = TwentyMetreSession();
  s.design.LowerEdge = 7e6f;
  s.design.UpperEdge = 7.3e6f;
  s.design.ToroidAL = 3;
  s.design.InductorQ = 200;
  s.design.CapacitorQ = 2000;
  const RecordingCanvas page = Draw(s);
  const struct {
    double y;
    std::string text;
  } rows[] = {
      {2000, "Lower bandedge:  7M"},
      {2300, "Upper bandedge:  7.3M"},
      {3400, "Toroid Al: 3  nH per turns squared"},
      {3800, "Number of turns, L1: 12 "},
      {4100, "Number of turns, L2: 14 "},
      {4500, "Inductor Q values: 200 "},
      {4800, "Capacitor Q values: 2k"},
  };
  for (const auto& row : rows) EXPECT_EQ(TextAt(page, {9000, row.y}), row.text);
  EXPECT_EQ(TextAt(page, {5000, 900}), "DIRUruzevuv Utility -  7M to  7.3M");
  EXPECT_EQ(TextAt(page, {2000, 9000}),
            "Printed by DIRUruzevuv from the DIRUruzevuv developers - "
            "https://diruruzevuv.example.org - 06.12.2026");
  for (const Op& op : page.OfKind(Kind::Text)) {
    if (op.a == GridPoint{5000, 900}) {
      EXPECT_EQ(op.fontSize, 16);
    } else if (op.a == GridPoint{2000, 9000}) {
      EXPECT_EQ(op.fontSize, 6);
    } else if (op.a.x == 9000) {
      EXPECT_EQ(op.fontSize, 10);
    }
  }
}

TEST(ReportTest, EdgeLossesComeFromTheEdgesAndLeaveTheUpperPointResult) {
  model::Session s = TwentyMetreSession();
  model::Session check = s;
  check.analysis.AnalyzePoint(check.design, check.design.LowerEdge);
  const std::string lower =
      notation::FormatValue(static_cast<float>(std::fabs(check.analysis.Result().pointGain)));
  check.analysis.AnalyzePoint(check.design, check.design.UpperEdge);
  const double upperGain = check.analysis.Result().pointGain;

  const RecordingCanvas page = Draw(s);
  EXPECT_EQ(TextAt(page, {9000, 2700}), "Loss at lower edge: " + lower + "dB");
  EXPECT_EQ(TextAt(page, {9000, 3000}),
            "Loss at upper edge: " +
                notation::FormatValue(static_cast<float>(std::fabs(upperGain))) + "dB");
  EXPECT_EQ(s.analysis.Result().pointGain, upperGain);
}

// A value typed on the design screen without a new sweep: the schematic
// shows it, the curves and edge losses still describe the last sweep.
TEST(ReportTest, ATypedValueShowsInTheSchematicOnly) {
  model::Session s = TwentyMetreSession();
  const RecordingCanvas before = Draw(s);
  s.design.C47 = 3.3e-10f;
  const RecordingCanvas after = Draw(s);
  EXPECT_EQ(TextAt(before, {4100, 7650}), "200pF");
  EXPECT_EQ(TextAt(after, {4100, 7650}), "330pF");
  EXPECT_EQ(TextAt(after, {9000, 2700}), TextAt(before, {9000, 2700}));
  EXPECT_EQ(TextAt(after, {9000, 3000}), TextAt(before, {9000, 3000}));
  EXPECT_EQ(after.OfKind(Kind::LineTo).size(), before.OfKind(Kind::LineTo).size());
  const auto a = after.OfKind(Kind::LineTo), b = before.OfKind(Kind::LineTo);
  for (std::size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i].b, b[i].b) << i;
}

TEST(ReportTest, TheDesignIsNotChanged) {
  model::Session s = TwentyMetreSession();
  const model::DesignState before = s.design;
  Draw(s);
  EXPECT_EQ(s.design.C47, before.C47);
  EXPECT_EQ(s.design.C92, before.C92);
  EXPECT_EQ(s.design.L1, before.L1);
  EXPECT_EQ(s.design.TurnsL2, before.TurnsL2);
  EXPECT_EQ(s.design.LowerEdge, before.LowerEdge);
  EXPECT_EQ(s.design.LoadTermination, before.LoadTermination);
}

// Where each primitive writes its value and designator, relative to its
// anchor, and the value text it writes.
struct PrimitiveRow {
  const char* name;
  void (*draw)(platform::Canvas&, std::string_view, float, double, double);
  float value;
  std::string valueText;
  GridPoint valueAt;
  GridPoint designatorAt;
};

class PrinterPrimitives : public testing::TestWithParam<PrimitiveRow> {};

TEST_P(PrinterPrimitives, WriteValueThenDesignatorInBlack) {
  const PrimitiveRow& row = GetParam();
  RecordingCanvas page;
  row.draw(page, "X9", row.value, 1000, 2000);
  const std::vector<Op> texts = page.OfKind(Kind::Text);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, row.valueText);
  EXPECT_EQ(texts[0].a, (GridPoint{1000 + row.valueAt.x, 2000 + row.valueAt.y}));
  EXPECT_EQ(texts[1].text, "X9");
  EXPECT_EQ(texts[1].a, (GridPoint{1000 + row.designatorAt.x, 2000 + row.designatorAt.y}));
  for (const Op& op : page.Ops())
    if (op.kind == Kind::Line || op.kind == Kind::LineTo || op.kind == Kind::Arc) {
      EXPECT_EQ(op.colour, model::kBlack);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ReportTest, PrinterPrimitives,
    testing::Values(
        PrimitiveRow{"resistorH", PrintResistorH, 50, "50 ", {350, 200}, {200, -400}},
        PrimitiveRow{"resistorV", PrintResistorV, 50, "50 ", {200, 550}, {200, 300}},
        PrimitiveRow{"capacitorV", PrintCapacitorV, 2e-10f, "200pF", {100, 650}, {100, 200}},
        PrimitiveRow{"capacitorH", PrintCapacitorH, 6.8e-11f, "68pF", {250, 200}, {300, -350}},
        PrimitiveRow{"capacitorHEmpty", PrintCapacitorH, 0, "", {250, 200}, {300, -350}},
        PrimitiveRow{"inductor", PrintInductor, 5.88e-7f, "588nH", {400, 200}, {600, -400}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ReportTest, GeneratorAndInductorShapes) {
  RecordingCanvas page;
  PrintGenerator(page, 2000, 7000);
  const std::vector<Op> arcs = page.OfKind(Kind::Arc);
  ASSERT_EQ(arcs.size(), 3u);
  EXPECT_EQ(arcs[0].a, (GridPoint{2000, 7480}));
  EXPECT_EQ(arcs[0].radius, 190);
  EXPECT_EQ(arcs[0].end, 6.2);
  EXPECT_EQ(arcs[1].a, (GridPoint{1935, 7480}));
  EXPECT_EQ(arcs[2].a, (GridPoint{2055, 7480}));
  EXPECT_EQ(arcs[2].start, 3.1);
  const std::vector<Op> lines = page.OfKind(Kind::Line);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].a, (GridPoint{2000, 7685}));
  EXPECT_EQ(lines[1].b, (GridPoint{2000, 7000}));

  RecordingCanvas coil;
  PrintInductor(coil, "L1", 4.32e-7f, 6700, 7000);
  const std::vector<Op> humps = coil.OfKind(Kind::Arc);
  ASSERT_EQ(humps.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(humps[k].a, (GridPoint{6700 + 340 + 160.0 * (k + 1), 7000}));
    EXPECT_EQ(humps[k].radius, 80);
    EXPECT_EQ(humps[k].end, static_cast<double>(model::kPi));
  }
}

TEST(ReportTest, SchematicAnchorsAndWires) {
  model::Session s = TwentyMetreSession();
  const RecordingCanvas page = Draw(s);
  // Designators sit at fixed offsets from the anchors of the table.
  EXPECT_EQ(TextAt(page, {4100, 7200}), "C47");
  EXPECT_EQ(TextAt(page, {5100, 6600}), "L2");
  EXPECT_EQ(TextAt(page, {6300, 7200}), "C48");
  EXPECT_EQ(TextAt(page, {7300, 6600}), "L1");
  EXPECT_EQ(TextAt(page, {7200, 5650}), "C92");
  EXPECT_EQ(TextAt(page, {8600, 7200}), "C49");
  EXPECT_EQ(TextAt(page, {2700, 6600}), "Rgen");
  EXPECT_EQ(TextAt(page, {10000, 7300}), "Rload");
  const std::vector<std::pair<GridPoint, GridPoint>> wires = {
      {{2000, 7000}, {2500, 7000}}, {{3500, 7000}, {4500, 7000}}, {{5800, 7000}, {6800, 7000}},
      {{8000, 7000}, {9800, 7000}}, {{6900, 7000}, {6900, 6000}}, {{7900, 7000}, {7900, 6000}}};
  for (const auto& [from, to] : wires) {
    bool found = false;
    for (const Op& op : page.OfKind(Kind::Line))
      found |= op.a == from && op.b == to && op.lineWidth == 8 && op.colour == model::kBlack;
    EXPECT_TRUE(found) << from.x << "," << from.y;
  }
  int grounds = 0;
  for (const Op& op : page.OfKind(Kind::Line))
    grounds += op.a.y == 8000 && op.b.y == 8000 && op.b.x - op.a.x == 300;
  EXPECT_EQ(grounds, 5);
}

// --- The print flow ---------------------------------------------------

class RecordingDialogs final : public platform::Dialogs {
 public:
  void MessageWithTitle(const std::string& text, const std::string& title) override {
    messages.push_back(title + ": " + text);
  }
  std::string OpenFile(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::string SaveFile(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  void Beep() override {}
  std::vector<std::string> messages;
};

// Passes drawing through until a given number of operations, then fails
// the way a printer driver would.
class FailingCanvas final : public platform::Canvas {
 public:
  FailingCanvas(platform::Canvas& inner, int failAfter) : m_inner(inner), m_left(failAfter) {}
  void Clear() override { Tick(), m_inner.Clear(); }
  void Line(GridPoint a, GridPoint b, model::Rgb c) override { Tick(), m_inner.Line(a, b, c); }
  void LineTo(GridPoint b, model::Rgb c) override { Tick(), m_inner.LineTo(b, c); }
  void Box(GridPoint a, GridPoint b, model::Rgb c) override { Tick(), m_inner.Box(a, b, c); }
  void FilledBox(GridPoint a, GridPoint b, model::Rgb c) override {
    Tick(), m_inner.FilledBox(a, b, c);
  }
  void Arc(GridPoint c, double r, double s, double e, model::Rgb k) override {
    Tick(), m_inner.Arc(c, r, s, e, k);
  }
  void Point(GridPoint a, model::Rgb c) override { Tick(), m_inner.Point(a, c); }
  void SetTextPosition(GridPoint a) override { Tick(), m_inner.SetTextPosition(a); }
  void Text(std::string_view t) override { Tick(), m_inner.Text(t); }
  void SetLineWidth(double w) override { Tick(), m_inner.SetLineWidth(w); }
  void SetFontSize(double p) override { Tick(), m_inner.SetFontSize(p); }
  void SetAutoRedraw(bool on) override { Tick(), m_inner.SetAutoRedraw(on); }

 private:
  void Tick() {
    if (m_left-- <= 0) throw PrinterError("The printer is out of paper.");
  }
  platform::Canvas& m_inner;
  int m_left;
};

class FakePrinter final : public BufferedReportPrinter {
 public:
  bool ShowPrintDialog() override {
    ++dialogs;
    return !cancel;
  }
  platform::Canvas& StartFreshPage() override {
    platform::Canvas& page = BufferedReportPrinter::StartFreshPage();
    if (failDrawingAfter < 0) return page;
    m_failing.emplace(page, failDrawingAfter);
    failDrawingAfter = -1;
    return *m_failing;
  }
  bool cancel = false;
  int failDrawingAfter = -1;
  bool failSend = false;
  int dialogs = 0;
  std::vector<RecordingCanvas> sent;

 protected:
  void SendPage(const RecordingCanvas& page) override {
    if (failSend) {
      failSend = false;
      throw PrinterError("The printer is not available.");
    }
    sent.push_back(page);
  }

 private:
  std::optional<FailingCanvas> m_failing;
};

void ExpectSamePage(const RecordingCanvas& got, const RecordingCanvas& want) {
  ASSERT_EQ(got.Ops().size(), want.Ops().size());
  for (std::size_t i = 0; i < got.Ops().size(); ++i) {
    const Op& g = got.Ops()[i];
    const Op& w = want.Ops()[i];
    ASSERT_TRUE(g.kind == w.kind && g.a == w.a && g.b == w.b && g.colour == w.colour &&
                g.text == w.text && g.value == w.value && g.lineWidth == w.lineWidth &&
                g.fontSize == w.fontSize)
        << "operation " << i;
  }
}

TEST(PrintReportTest, CancellingTheDialogPrintsNothing) {
  model::Session s = TwentyMetreSession();
  FakePrinter printer;
  printer.cancel = true;
  RecordingDialogs dialogs;
  EXPECT_FALSE(PrintReport(s, printer, dialogs, FixedOptions()));
  EXPECT_EQ(printer.dialogs, 1);
  EXPECT_TRUE(printer.sent.empty());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST(PrintReportTest, OnePagePerReport) {
  model::Session s = TwentyMetreSession();
  FakePrinter printer;
  RecordingDialogs dialogs;
  EXPECT_TRUE(PrintReport(s, printer, dialogs, FixedOptions()));
  EXPECT_TRUE(PrintReport(s, printer, dialogs, FixedOptions()));
  ASSERT_EQ(printer.sent.size(), 2u);
  model::Session reference = TwentyMetreSession();
  ExpectSamePage(printer.sent[1], Draw(reference));
}

constexpr int kLastOperation = -2;

struct FailureRow {
  const char* name;
  int failDrawingAfter;  // operations drawn before the failure
  bool failSend;
  std::string message;
};

class PrinterFailures : public testing::TestWithParam<FailureRow> {};

TEST_P(PrinterFailures, SendNothingAndStartTheNextReportOnAFreshPage) {
  const FailureRow& row = GetParam();
  model::Session s = TwentyMetreSession();
  const model::DesignState before = s.design;
  model::Session reference = TwentyMetreSession();
  const RecordingCanvas clean = Draw(reference);
  FakePrinter printer;
  printer.failDrawingAfter = row.failDrawingAfter == kLastOperation
                                 ? static_cast<int>(clean.Ops().size()) - 1
                                 : row.failDrawingAfter;
  printer.failSend = row.failSend;
  RecordingDialogs dialogs;

  EXPECT_FALSE(PrintReport(s, printer, dialogs, FixedOptions()));
  EXPECT_TRUE(printer.sent.empty());
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Printer Error: " + row.message});
  EXPECT_EQ(s.design.C48, before.C48);

  EXPECT_TRUE(PrintReport(s, printer, dialogs, FixedOptions()));
  ASSERT_EQ(printer.sent.size(), 1u);
  ExpectSamePage(printer.sent[0], clean);
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    PrintReportTest, PrinterFailures,
    testing::Values(FailureRow{"inTheFrame", 1, false, "The printer is out of paper."},
                    FailureRow{"inTheCurves", 400, false, "The printer is out of paper."},
                    FailureRow{"atTheLastOperation", kLastOperation, false,
                               "The printer is out of paper."},
                    FailureRow{"whenSending", -1, true, "The printer is not available."}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(PrintReportTest, ReplayReproducesThePage) {
  model::Session s = TwentyMetreSession();
  const RecordingCanvas page = Draw(s);
  RecordingCanvas copy;
  Replay(page, copy);
  ExpectSamePage(copy, page);
}

}  // namespace
}  // namespace diruruzevuv::report
