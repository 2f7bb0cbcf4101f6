#pragma once

#include <string>

#include "model/design_state.h"
#include "model/measured_network.h"
#include "model/plot_geometry.h"
#include "model/rgb.h"
#include "platform/canvas.h"

namespace diruruzevuv::screens {

// Colours no other curve of the design screen uses (the response is blue,
// Monte Carlo trials blue shades and yellow, the boxes red).
inline constexpr model::Rgb kMeasuredTransmissionColour{0, 140, 0};
inline constexpr model::Rgb kMeasuredReflectionColour{200, 0, 200};

// How the overlay is drawn on one surface.
struct OverlayStyle {
  double transmissionWidth = 2.0;
  double reflectionWidth = 1.0;
  double legendFontSize = 0.0;      // 0: the surface's font as it is
  double legendLineHeight = 200.0;  // from one legend line to the next
  // Off while a Monte Carlo run draws its trials over the plot: the legend
  // drawn before the first trial stays, and text drawn again and again
  // would blur.
  bool legend = true;
};

// "Measured: built.s2p (green S21, violet S11)": the legend's line.
std::string MeasurementLegend(const model::ShownMeasurement& shown);
// "Measured at 50 ohm, judged at 12.5 ohm" when the file was referred to
// the design's termination (drawn just above the legend), otherwise empty.
std::string MeasurementReferral(const model::ShownMeasurement& shown);

// Draws the measured |S21| (two-port files) and |S11| in dB over the plot,
// within its frequency range and floor, and the one-line legend (with the
// referral above it) inside the plot's bottom left corner. Leaves line width
// 1 behind.
void DrawMeasurementOverlay(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                            const model::ShownMeasurement& shown, const model::DesignState& design,
                            const OverlayStyle& style);

}  // namespace diruruzevuv::screens
