#include "report/report.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/design_file.h"
#include "model/measurement/comparison.h"
#include "model/circuit/ladder.h"
#include "model/plot/plot_geometry.h"
#include "notation/notation.h"
#include "drawing/schematic_symbols.h"
#include "drawing/measurement_overlay.h"
#include "drawing/plot_drawing.h"
#include "drawing/trace_overlay.h"

namespace diruruzevuv::report {

using model::Rgb;
using platform::Canvas;
using platform::GridPoint;

namespace {

constexpr drawing::SymbolStyle kReportSymbols{
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
  using drawing::Orientation;
  const model::Rgb k = model::kBlack;
  page.SetLineWidth(8);
  drawing::DrawGenerator(page, kReportSymbols.generator, kGenerator, k);
  const model::Ladder ladder = model::LadderFromDesign(d);
  for (int p = 0; p < model::kLadderPartCount; ++p) {
    const float value = static_cast<float>(ladder.value[p]);  // the design's float
    const std::string text = model::kLadderParts[p].kind == model::PartKind::kCapacitor
                                 ? notation::FormatCapacitance(value)
                                 : notation::FormatInductance(value);
    drawing::DrawLadderPart(page, kReportSymbols, model::LadderPart(p), kPartAnchors[p], text, k);
  }
  drawing::DrawResistor(page, kReportSymbols.resistorH, Orientation::kHorizontal,
                         kSourceResistor, "Rgen", notation::FormatEngineering(d.InputTermination),
                         k);
  drawing::DrawResistor(page, kReportSymbols.resistorV, Orientation::kVertical, kLoadResistor,
                         "Rload", notation::FormatEngineering(d.LoadTermination), k);
  // A ground under the generator, each shunt part and the load.
  drawing::DrawGround(page, {kGenerator.x, kGroundY}, k);
  for (int p = 0; p < model::kLadderPartCount; ++p) {
    if (model::IsShunt(model::LadderPart(p)))
      drawing::DrawGround(page, {kPartAnchors[p].x, kGroundY}, k);
  }
  drawing::DrawGround(page, {kLoadResistor.x, kGroundY}, k);

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
std::string UnanalysableText(const model::Evaluation& shown, const model::DesignState& design,
                             const model::PlotGeometry& geometry) {
  if (shown.sweep.valid && geometry.Usable()) return {};
  return drawing::UnanalysableText(design);
}

void DrawFigures(Canvas& page, const model::Session& session, const model::Evaluation& shown,
                 const std::string& unanalysable) {
  const model::DesignState& d = session.design;
  using notation::FormatFrequency;
  using notation::FormatValue;
  // The band-edge losses of the evaluation the plot shows.
  std::string lossLower;
  std::string lossUpper;
  if (shown.sweep.valid && unanalysable.empty()) {
    lossLower = EdgeLoss(shown.edges.lower);
    lossUpper = EdgeLoss(shown.edges.upper);
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
    // The built filter's figures below the design's, from the comparison
    // the design screen shows.
    const model::MeasuredNetwork& n = session.measurement->network;
    // Shortened in its middle to end before the page's edge.
    FigureLine(page, 5200, drawing::MeasurementLegend(*session.measurement, 48));
    if (n.ports == 2) {
      auto loss = [](const std::optional<double>& v) {
        return v ? FormatValue(static_cast<float>(*v)) + "dB" : std::string("-");
      };
      const model::Comparison* c = shown.comparison ? &*shown.comparison : nullptr;
      FigureLine(page, 5500,
                 "Measured loss at lower edge: " + loss(c ? c->measuredLossLow : std::nullopt));
      FigureLine(page, 5800,
                 "Measured loss at upper edge: " + loss(c ? c->measuredLossHigh : std::nullopt));
    }
  }
}

}  // namespace

void DrawReport(Canvas& page, const model::Session& session, const model::Evaluation& shown,
                const ReportOptions& options) {
  const model::DesignState& d = session.design;
  const model::PlotGeometry geometry(model::kReportPlotFrame, d, session.defaults);
  const drawing::PlotLook& look = drawing::kPageLook;

  drawing::DrawFrame(page, geometry, look.frameWidth);
  drawing::DrawFrequencyGrid(page, geometry, shown.grid, d, look);
  drawing::DrawLevelGrid(page, geometry, session.defaults.GridDivisions, options.screenWidthTwips);
  drawing::DrawAidBoxes(page, geometry, shown.aidBoxes, look);
  drawing::DrawMarkedResponse(page, geometry, shown.sweep, d, session.defaults);
  drawing::OverlayStyle style;
  style.transmissionWidth = 9;
  style.reflectionWidth = 6;
  style.legendFontSize = 10;
  style.legendLineHeight = 220;
  drawing::DrawTraces(page, geometry, session.traces, d, style);
  if (session.measurement)
    drawing::DrawMeasurementOverlay(page, geometry, *session.measurement, d, style);
  drawing::DrawTraceLegend(page, geometry.Frame(), session.traces, style);
  const std::string unanalysable = UnanalysableText(shown, d, geometry);
  drawing::DrawUnanalysableLine(page, geometry.Frame(), unanalysable, look);
  DrawSchematic(page, d);
  DrawFigures(page, session, shown, unanalysable);

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

bool PrintReport(const model::Session& session, const model::Evaluation& shown,
                 ReportPrinter& printer, platform::Dialogs& dialogs, const ReportOptions& options) {
  if (!printer.ShowPrintDialog()) return false;
  try {
    Canvas& page = printer.StartFreshPage();
    DrawReport(page, session, shown, options);
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
      case Kind::Dashed:
        target.SetDashed(op.value != 0.0);
        break;
    }
  }
}

}  // namespace diruruzevuv::report
