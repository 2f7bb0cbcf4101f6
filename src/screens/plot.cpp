#include "screens/plot.h"

#include <cmath>
#include <optional>
#include <string>

#include "model/circuit/monte_carlo.h"
#include "model/plot/plot_geometry.h"
#include "notation/notation.h"
#include "drawing/measurement_overlay.h"
#include "drawing/plot_drawing.h"
#include "drawing/trace_overlay.h"

namespace diruruzevuv::screens {
namespace {

drawing::OverlayStyle ScreenOverlayStyle(const model::Session& session) {
  drawing::OverlayStyle style;
  style.legend = !session.monte.running || session.monte.trialCount == 0;
  return style;
}

}  // namespace

std::string MeasuredLossText(const model::DesignState& design,
                             const std::optional<model::Comparison>& comparison) {
  if (!comparison || !comparison->twoPort) return {};
  auto loss = [](const std::optional<double>& v) {
    return v ? notation::FormatValue(static_cast<float>(*v)) + "dB" : std::string("-");
  };
  return "Measured loss at" + notation::FormatFrequency(design.LowerEdge) +
         "Hz: " + loss(comparison->measuredLossLow) + "\nMeasured loss at" +
         notation::FormatFrequency(design.UpperEdge) + "Hz: " + loss(comparison->measuredLossHigh);
}

LabelText EdgeLossLabel(float edge, double gainDb) {
  LabelText label;
  label.text = "Target-value parts loss at" + notation::FormatFrequency(edge) +
               "Hz: " + notation::FormatValue(static_cast<float>(std::fabs(gainDb))) + "dB";
  label.colour = gainDb < -1.0 ? model::kRed : model::kBlack;
  return label;
}

PlotLabels Plot(platform::Canvas& canvas, model::Session& session,
                const model::Evaluation& evaluation, double screenWidthTwips) {
  const model::DesignState& design = session.design;
  const model::GlobalDefaults& defaults = session.defaults;
  const model::PlotGeometry geometry(model::kScreenPlotFrame, design, defaults);
  PlotLabels labels;

  drawing::DrawFrequencyGrid(canvas, geometry, evaluation.grid, design, drawing::kScreenLook);
  drawing::DrawLevelGrid(canvas, geometry, defaults.GridDivisions, screenWidthTwips);
  drawing::DrawAidBoxes(canvas, geometry, evaluation.aidBoxes, drawing::kScreenLook);
  drawing::DrawFrame(canvas, geometry, drawing::kScreenLook.frameWidth);

  // An evaluation of other sweep limits than the design's has no place here.
  const bool drawable = evaluation.drawable && geometry.Usable();
  if (!drawable) {
    drawing::DrawUnanalysableLine(canvas, geometry.Frame(), drawing::UnanalysableText(design), drawing::kScreenLook);
    canvas.SetLineWidth(1);
  } else {
    drawing::DrawResponse(canvas, geometry, evaluation.sweep, session.DrawColor);
  }
  // Kept traces under the current measurement, their legend over all.
  drawing::DrawTraces(canvas, geometry, session.traces, design, ScreenOverlayStyle(session));
  if (session.measurement) {
    drawing::DrawMeasurementOverlay(canvas, geometry, *session.measurement, design,
                                    ScreenOverlayStyle(session));
  }
  drawing::DrawTraceLegend(canvas, geometry.Frame(), session.traces, ScreenOverlayStyle(session));
  if (!drawable) return labels;

  const model::WorstHarmonicUpdate worst = model::TakeWorstHarmonics(evaluation, session.plot);
  if (worst.secondChanged) {
    labels.worstSecondChanged = true;
    labels.worstSecond = model::WorstSecondText(session.plot.worstSecond);
  }
  if (worst.thirdChanged) {
    labels.worstThirdChanged = true;
    labels.worstThird = model::WorstThirdText(session.plot.worstThird);
  }
  labels.lossLow = EdgeLossLabel(design.LowerEdge, evaluation.edges.lower);
  labels.lossHigh = EdgeLossLabel(design.UpperEdge, evaluation.edges.upper);
  return labels;
}

}  // namespace diruruzevuv::screens
