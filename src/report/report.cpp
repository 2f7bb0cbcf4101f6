#include "report/report.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/design_file.h"
#include "model/analysis_problem.h"
#include "model/comparison.h"
#include "model/fit.h"
#include "model/ladder.h"
#include "model/plot_geometry.h"
#include "model/worst_case.h"
#include "notation/notation.h"
#include "platform/schematic_symbols.h"
#include "screens/measurement_overlay.h"

namespace diruruzevuv::report {

using model::Rgb;
using platform::Canvas;
using platform::GridPoint;

namespace {

constexpr Rgb kBoxFill{255, 240, 240};
constexpr Rgb kBoxOutline{255, 17, 17};

// A text with its top left corner at (x, y): plotting a white point moves
// the text position there.
void PlaceText(Canvas& page, double x, double y, std::string_view text) {
  page.Point({x, y}, model::kWhite);
  page.Text(text);
}

using model::PlotGeometry;

GridPoint At(model::PlotPoint p) {
  return {p.x, p.y};
}

void DrawFrequencyGrid(Canvas& page, const model::Session& session, const PlotGeometry& geometry) {
  const model::PlotGrid& grid = session.plot.grid;
  const model::PlotFrame& frame = geometry.Frame();
  const int count = geometry.Usable() ? std::clamp(grid.count, 0, model::PlotGrid::kMaxLines) : 0;
  page.SetLineWidth(2);
  for (int i = 0; i < count; ++i) {
    const double x = geometry.XAt(grid.position[i]);
    page.Line({x, frame.top}, {x, frame.bottom}, model::kGrey);
  }
  page.SetFontSize(10);
  if (count == 0) return;
  const model::DesignState& design = session.design;
  for (int i : model::ChooseFrequencyLabels(grid, design.SweepStart, design.SweepStop)) {
    if (i < 0 || i >= count) continue;
    const model::PlotPoint at = geometry.FrequencyLabelAt(grid.position[i]);
    PlaceText(page, at.x, at.y, notation::FormatFrequency(grid.frequency[i]));
  }
}

void DrawLevelGrid(Canvas& page, const PlotGeometry& geometry, std::int16_t gridDivisions,
                   double screenWidthTwips) {
  // No divisions, no grid. More than nine are drawn as asked, in 32-bit
  // arithmetic so that the products cannot overflow.
  const std::int32_t divisions = gridDivisions;
  if (divisions <= 0) return;
  const model::PlotFrame& frame = geometry.Frame();
  for (std::int32_t j = 0; j <= divisions; ++j) {
    const double y = geometry.LevelLineY(j, divisions);
    page.Line({frame.left, y}, {frame.right, y}, model::kGrey);
  }
  for (std::int32_t j = 0; j <= divisions; ++j) {
    const std::string text = std::to_string(-10 * j);
    const model::PlotPoint at = geometry.LevelLabelAt(j, divisions, text.size(), screenWidthTwips);
    PlaceText(page, at.x, at.y, text);
  }
}

void DrawAidBoxes(Canvas& page, const model::Session& session, const PlotGeometry& geometry) {
  // Line widths of the passband box and the two harmonic boxes.
  constexpr double kLineWidth[] = {5, 6, 6};
  for (const model::AidBox& box : geometry.AidBoxes(session.design, session.defaults)) {
    // Kept inside the frame: on paper a box running past it would print
    // over the figures or the schematic.
    const model::AidBox clipped = geometry.ClipToFrame(box);
    page.SetLineWidth(kLineWidth[box.harmonic - 1]);
    page.FilledBox(At(clipped.topLeft), At(clipped.bottomRight), kBoxFill);
    page.Box(At(clipped.topLeft), At(clipped.bottomRight), kBoxOutline);
  }
}

// One curve: runs of one colour go out as one polyline.
void DrawCurve(Canvas& page, const std::vector<GridPoint>& points, const std::vector<bool>& red) {
  if (points.empty()) return;
  auto colourOf = [&](std::size_t k) { return red[k] ? model::kRed : model::kBlue; };
  page.Line(points[0], points[0], colourOf(0));
  std::size_t k = 1;
  while (k < points.size()) {
    std::size_t end = k + 1;
    while (end < points.size() && red[end] == red[k]) ++end;
    page.Polyline(std::span<const GridPoint>(points.data() + k, end - k), colourOf(k));
    k = end;
  }
}

// A window (lowFactor x LowerEdge, highFactor x UpperEdge), its limits
// rounded to float; a point is inside only strictly between them.
struct Window {
  float low;
  float high;
  Window(double lowFactor, float lowerEdge, double highFactor, float upperEdge)
      : low(static_cast<float>(lowFactor * lowerEdge)),
        high(static_cast<float>(highFactor * upperEdge)) {}
  bool Contains(float f) const noexcept { return low < f && f < high; }
};

void DrawCurves(Canvas& page, const model::Session& session, const PlotGeometry& geometry) {
  const model::SweepResult& sweep = session.analysis.Result();
  if (!sweep.valid || !geometry.Usable()) return;
  const model::DesignState& d = session.design;
  const model::GlobalDefaults& g = session.defaults;
  const int last = std::clamp<int>(sweep.intervals, 0, model::SweepResult::kCapacity - 1);

  const Window second(1.9, d.LowerEdge, 2.1, d.UpperEdge);
  const Window third(2.85, d.LowerEdge, 3.15, d.UpperEdge);
  const Window passband(0.95, d.LowerEdge, 1.05, d.UpperEdge);

  std::vector<GridPoint> points(last + 1);
  std::vector<bool> red(last + 1);

  for (int k = 0; k <= last; ++k) {
    const float f = sweep.frequency[k];
    const float t = sweep.gain[k];
    points[k] = {geometry.ReachX(geometry.X(f)), geometry.ClampedY(t)};
    red[k] = (second.Contains(f) && t > g.SecondHarmonicBoxDb) ||
             (third.Contains(f) && t > g.ThirdHarmonicBoxDb);
  }
  page.SetLineWidth(9);
  DrawCurve(page, points, red);

  for (int k = 0; k <= last; ++k) {
    const float f = sweep.frequency[k];
    const float r = sweep.reflection[k];
    points[k].y = geometry.ClampedY(r);
    red[k] = passband.Contains(f) && r > g.PassbandBoxDb;
  }
  page.SetLineWidth(6);
  DrawCurve(page, points, red);
}

// The report's symbols: shorter leads and smaller plates than on the
// screen, every part with its value, all in black.
constexpr platform::SymbolStyle kReportSymbols{
    .generator = {.centreY = 480, .sineLeftX = -65, .sineRightX = 55, .topFrom = 280,
                  .topTo = 0, .bottomFrom = 685, .bottomTo = 1000, .tail = 0,
                  .sineBeforeLeads = false},
    .resistorH = {.end = 1000, .labels = {{200, -400}, GridPoint{350, 200}, true}},
    .resistorV = {.end = 1000, .labels = {{200, 300}, GridPoint{200, 550}, true}},
    .capacitorH = {.plate = 450, .gap = 60, .halfWidth = 120, .end = 1000,
                   .labels = {{300, -350}, GridPoint{250, 200}, true}},
    .capacitorV = {.plate = 480, .gap = 60, .halfWidth = 120, .end = 1000,
                   .labels = {{100, 200}, GridPoint{100, 650}, true}},
    .inductor = {.leadIn = 420, .end = 1300, .labels = {{600, -400}, GridPoint{400, 200}, true}},
};

// Each part's anchor on the page, in the ladder's order.
constexpr GridPoint kPartAnchors[model::kLadderPartCount] = {
    {4000, 7000}, {4500, 7000}, {6200, 7000}, {6700, 7000}, {6900, 6000}, {8500, 7000}};
constexpr GridPoint kGenerator{2000, 7000};
constexpr GridPoint kSourceResistor{2500, 7000};
constexpr GridPoint kLoadResistor{9800, 7000};
constexpr double kGroundY = 8000;

void DrawSchematic(Canvas& page, const model::DesignState& d) {
  using platform::Orientation;
  const model::Rgb k = model::kBlack;
  page.SetLineWidth(8);
  platform::DrawGenerator(page, kReportSymbols.generator, kGenerator, k);
  const model::Ladder ladder = model::LadderFromDesign(d);
  for (int p = 0; p < model::kLadderPartCount; ++p) {
    const float value = static_cast<float>(ladder.value[p]);  // the design's float
    const std::string text = model::kLadderParts[p].kind == model::PartKind::kCapacitor
                                 ? notation::FormatCapacitance(value)
                                 : notation::FormatInductance(value);
    platform::DrawLadderPart(page, kReportSymbols, model::LadderPart(p), kPartAnchors[p], text, k);
  }
  platform::DrawResistor(page, kReportSymbols.resistorH, Orientation::kHorizontal,
                         kSourceResistor, "Rgen", notation::FormatEngineering(d.InputTermination),
                         k);
  platform::DrawResistor(page, kReportSymbols.resistorV, Orientation::kVertical, kLoadResistor,
                         "Rload", notation::FormatEngineering(d.LoadTermination), k);
  // A ground under the generator, each shunt part and the load.
  platform::DrawGround(page, {kGenerator.x, kGroundY}, k);
  for (int p = 0; p < model::kLadderPartCount; ++p) {
    if (model::IsShunt(model::LadderPart(p)))
      platform::DrawGround(page, {kPartAnchors[p].x, kGroundY}, k);
  }
  platform::DrawGround(page, {kLoadResistor.x, kGroundY}, k);

  page.Line({2000, 7000}, {2500, 7000}, k);
  page.Line({3500, 7000}, {4500, 7000}, k);
  page.Line({5800, 7000}, {6800, 7000}, k);
  page.Line({8000, 7000}, {9800, 7000}, k);
  page.Line({6900, 7000}, {6900, 6000}, k);
  page.Line({7900, 7000}, {7900, 6000}, k);
}

void FigureLine(Canvas& page, double y, const std::string& text) {
  page.SetTextPosition({9000, y});
  page.Text(text);
}

// "Loss at ... edge: " with the loss at that edge. A design that could
// not be analysed shows no number rather than garbage.
std::string EdgeLoss(double gain) {
  if (!std::isfinite(gain)) return {};
  return notation::FormatValue(static_cast<float>(std::fabs(gain))) + "dB";
}

// Why there is no response, or empty text when there is one.
std::string UnanalysableText(const model::Session& session, const PlotGeometry& geometry) {
  if (session.analysis.Result().valid && geometry.Usable()) return {};
  const std::string reason = model::DescribeUnanalysable(session.design);
  return reason.empty() ? std::string() : model::UnanalysableLine(reason);
}

// The plot of a design without a response says why, inside the frame.
void DrawUnanalysableLine(Canvas& page, const model::PlotFrame& frame, const std::string& line) {
  if (line.empty()) return;
  // On a white band, so that the grid and the boxes do not run through it.
  const double top = frame.top + frame.Height() / 2.0 - 150.0;
  page.FilledBox({frame.left + 100.0, top}, {frame.right - 100.0, top + 300.0}, model::kWhite);
  page.SetFontSize(10);
  PlaceText(page, frame.left + 150.0, top + 50.0, line);
}

void DrawFigures(Canvas& page, model::Session& session, const std::string& unanalysable) {
  const model::DesignState& d = session.design;
  using notation::FormatFrequency;
  using notation::FormatValue;
  // The band edges are evaluated as on the design screen; an invalid
  // sweep leaves the analysis alone.
  std::string lossLower;
  std::string lossUpper;
  if (session.analysis.Result().valid && unanalysable.empty()) {
    const model::EdgeGains gains = model::EvaluateBandEdges(session.analysis, d);
    lossLower = EdgeLoss(gains.lower);
    lossUpper = EdgeLoss(gains.upper);
  }
  page.SetFontSize(10);
  FigureLine(page, 2000, "Lower bandedge: " + FormatFrequency(d.LowerEdge));
  FigureLine(page, 2300, "Upper bandedge: " + FormatFrequency(d.UpperEdge));
  if (unanalysable.empty()) {
    FigureLine(page, 2700, "Loss at lower edge: " + lossLower);
    FigureLine(page, 3000, "Loss at upper edge: " + lossUpper);
  } else {
    FigureLine(page, 2700, unanalysable);  // no losses to give
  }
  FigureLine(page, 3400, "Toroid Al: " + FormatValue(d.ToroidAL) + " nH per turns squared");
  FigureLine(page, 3800, "Number of turns, L1: " + FormatValue(d.TurnsL1));
  FigureLine(page, 4100, "Number of turns, L2: " + FormatValue(d.TurnsL2));
  FigureLine(page, 4500, "Inductor Q values: " + FormatValue(d.InductorQ));
  FigureLine(page, 4800, "Capacitor Q values: " + FormatValue(d.CapacitorQ));
  if (session.measurement) {
    // The built filter's figures below the design's, from the same
    // comparison the design screen and the command line use.
    const model::MeasuredNetwork& n = session.measurement->network;
    FigureLine(page, 5200, "Measured: " + n.name);
    if (n.ports == 2) {
      const model::Comparison c =
          model::CompareWithDesign(d, session.defaults, n, model::kDefaultFloorDb);
      auto loss = [](const std::optional<double>& v) {
        return v ? FormatValue(static_cast<float>(*v)) + "dB" : std::string("-");
      };
      FigureLine(page, 5500, "Measured loss at lower edge: " + loss(c.measuredLossLow));
      FigureLine(page, 5800, "Measured loss at upper edge: " + loss(c.measuredLossHigh));
    }
  }
}

}  // namespace

void DrawReport(Canvas& page, model::Session& session, const ReportOptions& options) {
  const model::DesignState& d = session.design;
  const PlotGeometry geometry(model::kReportPlotFrame, d, session.defaults);
  const model::PlotFrame& frame = geometry.Frame();

  page.SetLineWidth(12);
  page.Box({frame.left, frame.top}, {frame.right, frame.bottom}, model::kBlack);

  DrawFrequencyGrid(page, session, geometry);
  DrawLevelGrid(page, geometry, session.defaults.GridDivisions, options.screenWidthTwips);
  if (geometry.Usable()) DrawAidBoxes(page, session, geometry);
  DrawCurves(page, session, geometry);
  if (session.measurement) {
    screens::OverlayStyle style;
    style.transmissionWidth = 9;
    style.reflectionWidth = 6;
    style.legendFontSize = 10;
    style.legendLineHeight = 220;
    screens::DrawMeasurementOverlay(page, geometry, *session.measurement, d, style);
  }
  const std::string unanalysable = UnanalysableText(session, geometry);
  DrawUnanalysableLine(page, frame, unanalysable);
  DrawSchematic(page, d);
  DrawFigures(page, session, unanalysable);

  page.SetFontSize(16);
  page.SetTextPosition({5000, 900});
  page.Text("DIRUruzevuv Utility - " + notation::FormatFrequency(d.LowerEdge) + " to " +
            notation::FormatFrequency(d.UpperEdge));

  page.SetFontSize(6);
  page.SetTextPosition({2000, 9000});
  const std::string date = options.date.empty() ? files::ShortDate() : options.date;
  page.Text(std::string("Printed by DIRUruzevuv from ") + kMakerName + " - " + kMakerWebAddress +
            " - " + date);
}

Canvas& BufferedReportPrinter::StartFreshPage() {
  m_page = platform::RecordingCanvas{};
  return m_page;
}

void BufferedReportPrinter::EndDocument() {
  // The buffer is emptied whatever happens: a page is sent once or never.
  platform::RecordingCanvas page = std::move(m_page);
  m_page = platform::RecordingCanvas{};
  SendPage(page);
}

bool PrintReport(model::Session& session, ReportPrinter& printer, platform::Dialogs& dialogs,
                 const ReportOptions& options) {
  if (!printer.ShowPrintDialog()) return false;
  try {
    Canvas& page = printer.StartFreshPage();
    DrawReport(page, session, options);
    printer.EndDocument();
  } catch (const PrinterError& error) {
    if (error.write)
      dialogs.WriteFailed(*error.write);
    else
      dialogs.MessageWithTitle(error.what(), "Printer Error");
    return false;
  }
  return true;
}

void Replay(const platform::RecordingCanvas& recording, Canvas& target) {
  using Kind = platform::RecordingCanvas::Kind;
  const auto& ops = recording.Ops();
  std::vector<GridPoint> run;
  for (std::size_t i = 0; i < ops.size(); ++i) {
    const platform::RecordingCanvas::Op& op = ops[i];
    if (op.kind == Kind::LineTo) {
      // Consecutive segments in one colour go out as one polyline, so thick
      // curves join cleanly.
      run.clear();
      std::size_t j = i;
      for (; j < ops.size() && ops[j].kind == Kind::LineTo && ops[j].colour == op.colour; ++j)
        run.push_back(ops[j].b);
      target.Polyline(run, op.colour);
      i = j - 1;
      continue;
    }
    switch (op.kind) {
      case Kind::Clear:
        target.Clear();
        break;
      case Kind::Line:
        target.Line(op.a, op.b, op.colour);
        break;
      case Kind::LineTo:
        break;  // gathered below
      case Kind::Box:
        target.Box(op.a, op.b, op.colour);
        break;
      case Kind::FilledBox:
        target.FilledBox(op.a, op.b, op.colour);
        break;
      case Kind::Arc:
        target.Arc(op.a, op.radius, op.start, op.end, op.colour);
        break;
      case Kind::Point:
        target.Point(op.a, op.colour);
        break;
      case Kind::TextPosition:
        target.SetTextPosition(op.a);
        break;
      case Kind::Text:
        target.Text(op.text);
        break;
      case Kind::LineWidth:
        target.SetLineWidth(op.value);
        break;
      case Kind::FontSize:
        target.SetFontSize(op.value);
        break;
      case Kind::AutoRedraw:
        target.SetAutoRedraw(op.value != 0.0);
        break;
    }
  }
}

}  // namespace diruruzevuv::report
