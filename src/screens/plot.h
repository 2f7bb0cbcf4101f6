#pragma once

#include <optional>
#include <string>

#include "model/measurement/comparison.h"
#include "model/circuit/evaluation.h"
#include "model/plot/rgb.h"
#include "model/session.h"
#include "platform/canvas.h"

namespace diruruzevuv::screens {

struct LabelText {
  std::string text;
  model::Rgb colour = model::kBlack;
};

// What Plot leaves for the design screen's labels.
struct PlotLabels {
  bool worstSecondChanged = false;
  std::string worstSecond;  // "Worst-case 2nd harm. atten: 45.2 dB"
  bool worstThirdChanged = false;
  std::string worstThird;  // "Worst-case 3ed harm. atten: ..."
  LabelText lossLow;       // "Target-value parts loss at 14MHz: 0.14 dB"
  LabelText lossHigh;
};

// Draws an evaluation's response over what is on the canvas (grid, labels,
// design-aid boxes, frame, both curves in session.DrawColor), folds its
// harmonic figures into the session's running worst values and gives the
// band-edge loss labels. screenWidthTwips is the width of the screen the
// layout grid stands for; the level labels' width estimate uses it.
PlotLabels Plot(platform::Canvas& canvas, model::Session& session,
                const model::Evaluation& evaluation, double screenWidthTwips);

// With a two-port measurement, two lines: "Measured loss at 14MHz: 0.25dB"
// and the same at the upper edge; empty otherwise.
std::string MeasuredLossText(const model::DesignState& design,
                             const std::optional<model::Comparison>& comparison);

// The loss caption for one band edge: "Target-value parts loss at" +
// FormatFrequency(edge) + "Hz: " + FormatValue(|gain|) + "dB", red for a
// loss of more than 1 dB (gain below -1 dB), black otherwise.
LabelText EdgeLossLabel(float edge, double gainDb);

}  // namespace diruruzevuv::screens
