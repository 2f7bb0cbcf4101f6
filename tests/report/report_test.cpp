#include "report/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "../screens/scripted_dialogs.h"
#include "model/design_state.h"
#include "model/evaluation.h"
#include "platform/recording_canvas.h"

namespace diruruzevuv::report {
namespace {

using platform::GridPoint;
using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

// A session with the evaluation the design screen last showed.
struct Shown : model::Session {
  model::Evaluation shown;
};

// The 20-metre design, changed as given, evaluated as the design screen
// leaves it.
Shown TwentyMetreSession(void (*change)(model::DesignState&) = nullptr) {
  Shown s;
  model::ApplyDefaultDesign(s.design);
  s.design.InductorQ = 200;
  s.design.CapacitorQ = 1000;
  if (change) change(s.design);
  model::UpdateInductances(s.design);
  s.defaults = {-1, -40, -50, 1.1f, 6, -60};
  s.shown = model::Evaluate(s.design, s.defaults);
  return s;
}

const ReportOptions kOptions{12000, "06.12.2026"};

RecordingCanvas Draw(const Shown& s) {
  RecordingCanvas page;
  DrawReport(page, s, s.shown, kOptions);
  return page;
}

std::string TextAt(const RecordingCanvas& page, GridPoint at) {
  for (const Op& op : page.OfKind(Kind::Text))
    if (op.a == at) return op.text;
  return "<none>";
}

// Points of {frequency, gain, reflection}.
void SetSweep(Shown& s, const std::vector<std::array<float, 3>>& points) {
  model::SweepResult& r = s.shown.sweep;
  r.intervals = static_cast<std::int16_t>(points.size() - 1);
  r.valid = true;
  for (std::size_t k = 0; k < points.size(); ++k) {
    r.frequency[k] = points[k][0];
    r.gain[k] = points[k][1];
    r.reflection[k] = points[k][2];
  }
}

// Segments of the curves: transmission at width 9, reflection at width 6.
std::vector<Op> CurveOps(const RecordingCanvas& page, double width) {
  std::vector<Op> ops;
  for (const Op& op : page.Ops())
    if ((op.kind == Kind::Line || op.kind == Kind::LineTo) && op.lineWidth == width &&
        (op.colour == model::kRed || op.colour == model::kBlue))
      ops.push_back(op);
  return ops;
}

TEST(ReportTest, LevelLabelsAndGridLines) {
  // Twelve divisions would overflow 16 bits; they are drawn all the same.
  // The labels are right-aligned: 120 units a character left of 1900.
  const struct {
    std::int16_t divisions;
    std::vector<std::string> texts;
    std::vector<double> y;
  } rows[] = {{6, {"0", "-10", "-20", "-30", "-40", "-50", "-60"},
               {1400, 1983, 2566, 3150, 3733, 4316, 4900}},
              {4, {"0", "-10", "-20", "-30", "-40"}, {1400, 2275, 3150, 4025, 4900}},
              {12, {"-120"}, {4900}},
              {0, {}, {}}};
  for (const auto& row : rows) {
    Shown s = TwentyMetreSession();
    s.defaults.GridDivisions = row.divisions;
    const RecordingCanvas page = Draw(s);
    std::vector<double> lineYs;  // across the frame, 100 units below each label
    for (const Op& op : page.OfKind(Kind::Line))
      if (op.colour == model::kGrey && op.a == GridPoint{2000, op.b.y} && op.b.x == 7000)
        lineYs.push_back(op.a.y);
    EXPECT_EQ(lineYs.size(), row.divisions == 0 ? 0u : row.divisions + 1u);
    for (std::size_t j = 0; j < row.texts.size(); ++j) {
      const double x = 1900 - 120.0 * static_cast<double>(row.texts[j].size());
      EXPECT_EQ(TextAt(page, {x, row.y[j]}), row.texts[j]) << row.divisions;
      EXPECT_EQ(std::count(lineYs.begin(), lineYs.end(), row.y[j] + 100), 1);
    }
  }
}

TEST(ReportTest, CurveColoursAtTheExactWindowLimits) {
  Shown s = TwentyMetreSession();
  const float lo = s.design.LowerEdge, hi = s.design.UpperEdge;
  const float lo2 = static_cast<float>(1.9 * lo), hi2 = static_cast<float>(2.1 * hi);
  const float lo3 = static_cast<float>(2.85 * lo), hi3 = static_cast<float>(3.15 * hi);
  const float lo1 = static_cast<float>(0.95 * lo), hi1 = static_cast<float>(1.05 * hi);
  auto up = [](float f) { return std::nextafter(f, 1e30f); };
  auto down = [](float f) { return std::nextafter(f, -1e30f); };
  const model::Rgb B = model::kBlue, R = model::kRed;
  // Each point with the colours of the transmission and reflection segments ending there.
  const std::vector<std::array<float, 3>> points = {
      {5e6f, 0, 0},        {lo2, 0, 0},         {up(lo2), 0, 0},    {28e6f, -40, 0},
      {28e6f, up(-40), 0}, {down(hi2), -10, 0}, {hi2, -10, 0},      {lo3, -10, 0},
      {up(lo3), -49, 0},   {42e6f, -50, 0},     {hi3, 0, 0},        {lo1, 0, 0},
      {up(lo1), 0, -0.5f}, {14.1e6f, 0, -1},    {down(hi1), 0, 0},  {hi1, 0, 0}};
  const std::vector<model::Rgb> transmission = {B, B, R, B, R, R, B, B, R, B, B, B, B, B, B, B};
  const std::vector<model::Rgb> reflection = {B, B, B, B, B, B, B, B, B, B, B, B, R, B, R, B};
  SetSweep(s, points);
  const RecordingCanvas page = Draw(s);
  const std::vector<Op> t = CurveOps(page, 9), r = CurveOps(page, 6);
  ASSERT_EQ(t.size(), points.size());  // a zero-length line, then one segment per point
  ASSERT_EQ(r.size(), points.size());
  for (std::size_t k = 0; k < points.size(); ++k) {
    EXPECT_EQ(t[k].colour, transmission[k]) << k;
    EXPECT_EQ(r[k].colour, reflection[k]) << k;
  }
}

TEST(ReportTest, CurvesAreClippedToTheFrameAndAZeroFloorIsSixty) {
  Shown s = TwentyMetreSession();
  SetSweep(s, {{5e6f, 3, -140}, {1e7f, -200, -30}, {5e7f, -60, 0}});
  const std::vector<double> xs = {2000, 2000 + 5000 * std::log10(2.0), 7000};
  const std::vector<double> ys = {1500, 5000, 5000, 5000, 3250, 1500};
  for (float floorDb : {-60.0f, 0.0f}) {
    s.defaults.PlotFloorDb = floorDb;
    const RecordingCanvas page = Draw(s);
    std::vector<Op> ends = CurveOps(page, 9);
    for (const Op& op : CurveOps(page, 6)) ends.push_back(op);
    ASSERT_EQ(ends.size(), ys.size());
    for (std::size_t k = 0; k < ends.size(); ++k)
      EXPECT_TRUE(std::fabs(ends[k].b.x - xs[k % 3]) < 1e-6 && ends[k].b.y == ys[k]) << k;
  }
}

TEST(ReportTest, AnInvalidSweepDrawsNoCurvesAndNoLosses) {
  Shown s = TwentyMetreSession();
  s.shown.sweep.valid = false;
  const RecordingCanvas page = Draw(s);
  EXPECT_TRUE(CurveOps(page, 9).empty() && CurveOps(page, 6).empty());
  EXPECT_EQ(TextAt(page, {9000, 2700}) + TextAt(page, {9000, 3000}),
            "Loss at lower edge: Loss at upper edge: ");
}

TEST(ReportTest, FiguresTitleFooterAndSchematicValues) {
  Shown s = TwentyMetreSession();
  s.design.LowerEdge = 7e6f;
  s.design.UpperEdge = 7.3e6f;
  s.design.C92 = 0;  // an empty value text
  const RecordingCanvas page = Draw(s);
  const std::pair<GridPoint, std::string> rows[] = {
      {{5000, 900}, "DIRUruzevuv Utility -  7M to  7.3M"},
      {{9000, 2000}, "Lower bandedge:  7M"},
      {{2000, 9000}, "Printed by DIRUruzevuv from the DIRUruzevuv developers - "
                     "https://diruruzevuv.example.org - 06.12.2026"},
      // Each part's value, then its designator.
      {{2850, 7200}, "50 "},   {{2700, 6600}, "Rgen"}, {{4100, 7650}, "200pF"}, {{4100, 7200}, "C47"},
      {{4900, 7200}, "588nH"}, {{5100, 6600}, "L2"},   {{6300, 7650}, "360pF"}, {{6300, 7200}, "C48"},
      {{7100, 7200}, "432nH"}, {{7300, 6600}, "L1"},   {{7150, 6200}, ""},      {{7200, 5650}, "C92"},
      {{8600, 7650}, "200pF"}, {{8600, 7200}, "C49"},  {{10000, 7550}, "50 "},  {{10000, 7300}, "Rload"}};
  for (const auto& [at, text] : rows) EXPECT_EQ(TextAt(page, at), text);
}

// The figures block of two designs, edge losses included, pinned to
// figures worked out independently (tests/model/monte_carlo_figures.py).
struct FiguresRow {
  const char* name;
  void (*load)(model::DesignState&);
  std::vector<std::string> lines;  // the block from top to bottom
};

class ReportFiguresTest : public ::testing::TestWithParam<FiguresRow> {};

TEST_P(ReportFiguresTest, FiguresBlockWithBothEdgeLosses) {
  Shown s = TwentyMetreSession(GetParam().load);
  const RecordingCanvas page = Draw(s);
  std::vector<std::string> lines;
  const auto& ops = page.Ops();
  for (std::size_t i = 0; i + 1 < ops.size(); ++i)
    if (ops[i].kind == Kind::TextPosition && ops[i].a.x == 9000 && ops[i + 1].kind == Kind::Text)
      lines.push_back(ops[i + 1].text);
  EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Designs, ReportFiguresTest,
    ::testing::Values(
        FiguresRow{"TwentyMetres",
                   [](model::DesignState& d) { d.CapacitorQ = 2000; },
                   {"Lower bandedge:  14M", "Upper bandedge:  14.35M",
                    "Loss at lower edge: 0.13502 dB", "Loss at upper edge: 0.14229 dB",
                    "Toroid Al: 3  nH per turns squared", "Number of turns, L1: 12 ",
                    "Number of turns, L2: 14 ", "Inductor Q values: 200 ",
                    "Capacitor Q values: 2k"}},
        FiguresRow{"FortyMetres",
                   [](model::DesignState& d) {
                     d.C47 = 4.7e-10f, d.TurnsL2 = 18, d.C48 = 9.1e-10f, d.TurnsL1 = 16;
                     d.C92 = 1.5e-10f, d.C49 = 4.3e-10f, d.LowerEdge = 7e6f, d.UpperEdge = 7.3e6f;
                     d.SweepStart = 2.3e6f, d.SweepStop = 2.55e7f, d.CapacitorQ = 2000;
                   },
                   {"Lower bandedge:  7M", "Upper bandedge:  7.3M",
                    "Loss at lower edge: 0.11008 dB", "Loss at upper edge: 0.11235 dB",
                    "Toroid Al: 3  nH per turns squared", "Number of turns, L1: 16 ",
                    "Number of turns, L2: 18 ", "Inductor Q values: 200 ",
                    "Capacitor Q values: 2k"}}),
    [](const ::testing::TestParamInfo<FiguresRow>& p) { return std::string(p.param.name); });

// Harmonic boxes past the end of the sweep (the third harmonic of 20 metres
// on a sweep to 35 MHz) and a level below the floor stay inside the frame;
// each box is filled and outlined at its own width.
TEST(ReportTest, DesignAidBoxesAreClippedToTheFrame) {
  Shown s = TwentyMetreSession([](model::DesignState& d) { d.SweepStop = 35e6f; });
  s.defaults.SecondHarmonicBoxDb = -100;
  s.shown = model::Evaluate(s.design, s.defaults);
  const RecordingCanvas page = Draw(s);
  std::vector<Op> boxes;
  for (const Op& op : page.Ops())
    if ((op.kind == Kind::FilledBox || op.kind == Kind::Box) && op.lineWidth != 12)
      boxes.push_back(op);
  ASSERT_EQ(boxes.size(), 6u);
  const auto inside = [](GridPoint p) {
    return p.x >= 2000 && p.x <= 7000 && p.y >= 1500 && p.y <= 5000;
  };
  for (const Op& op : boxes) EXPECT_TRUE(inside(op.a) && inside(op.b)) << op.a.x << " " << op.b.x;
  // Second harmonic: 25.45 to 31.57 MHz, down to the floor.
  const double log35 = std::log(35.0 / 5.0);
  EXPECT_NEAR(boxes[2].a.x, 2000 + 5000 * std::log(2 * 14 / 1.1f / 5.0) / log35, 1e-3);
  EXPECT_EQ(boxes[2].b.y, 5000);
  // Third harmonic: 38.2 to 47.4 MHz, wholly past the sweep: on the right edge.
  EXPECT_EQ(boxes[4].a, (GridPoint{7000, 1500}));
  EXPECT_EQ(boxes[4].b.x, 7000);
  const std::vector<double> widths = {boxes[0].lineWidth, boxes[2].lineWidth, boxes[4].lineWidth};
  EXPECT_EQ(widths, (std::vector<double>{5, 6, 6}));
}

// --- The print flow ---------------------------------------------------

// A printer whose driver fails after a number of drawing operations.
class FakePrinter final : public BufferedReportPrinter, public platform::Canvas {
 public:
  bool ShowPrintDialog() override { return true; }
  platform::Canvas& StartFreshPage() override {
    m_page = &BufferedReportPrinter::StartFreshPage();
    return *this;
  }
  void Clear() override { Tick().Clear(); }
  void Line(GridPoint a, GridPoint b, model::Rgb c) override { Tick().Line(a, b, c); }
  void LineTo(GridPoint b, model::Rgb c) override { Tick().LineTo(b, c); }
  void Box(GridPoint a, GridPoint b, model::Rgb c) override { Tick().Box(a, b, c); }
  void FilledBox(GridPoint a, GridPoint b, model::Rgb c) override { Tick().FilledBox(a, b, c); }
  void Arc(GridPoint c, double r, double s, double e, model::Rgb k) override {
    Tick().Arc(c, r, s, e, k);
  }
  void Point(GridPoint a, model::Rgb c) override { Tick().Point(a, c); }
  void SetTextPosition(GridPoint a) override { Tick().SetTextPosition(a); }
  void Text(std::string_view t) override { Tick().Text(t); }
  void SetLineWidth(double w) override { Tick().SetLineWidth(w); }
  void SetFontSize(double p) override { Tick().SetFontSize(p); }
  void SetAutoRedraw(bool on) override { Tick().SetAutoRedraw(on); }
  int failAfter = -1;  // operations until the failure; -1 for none
  std::vector<RecordingCanvas> sent;

 protected:
  void SendPage(const RecordingCanvas& page) override { sent.push_back(page); }

 private:
  platform::Canvas& Tick() {
    if (failAfter >= 0 && failAfter-- == 0) throw PrinterError("The printer is out of paper.");
    return *m_page;
  }
  platform::Canvas* m_page = nullptr;
};

TEST(PrintReportTest, AFailurePartWaySendsNothingAndTheNextReportStartsOnAFreshPage) {
  Shown reference = TwentyMetreSession();
  const RecordingCanvas clean = Draw(reference);
  for (int failAfter : {1, 400, static_cast<int>(clean.Ops().size()) - 1}) {
    Shown s = TwentyMetreSession();
    FakePrinter printer;
    printer.failAfter = failAfter;
    diruruzevuv::testing::ScriptedDialogs dialogs;
    EXPECT_FALSE(PrintReport(s, s.shown, printer, dialogs, kOptions));
    EXPECT_TRUE(printer.sent.empty()) << failAfter;
    EXPECT_EQ(dialogs.titles, std::vector<std::string>{"Printer Error"});
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"The printer is out of paper."});
    EXPECT_TRUE(PrintReport(s, s.shown, printer, dialogs, kOptions));
    ASSERT_EQ(printer.sent.size(), 1u);
    EXPECT_EQ(printer.sent[0].Ops().size(), clean.Ops().size()) << failAfter;
    EXPECT_EQ(printer.sent[0].Texts(), clean.Texts());
  }
}

}  // namespace
}  // namespace diruruzevuv::report
