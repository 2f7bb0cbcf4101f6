#pragma once

#include <string>

#include "model/circuit/design_state.h"
#include "model/measurement/measured_network.h"
#include "model/plot/plot_geometry.h"
#include "model/plot/rgb.h"
#include "platform/canvas.h"

namespace diruruzevuv::drawing {

// Colours no other curve of the design screen uses (the response is blue,
// Monte Carlo trials blue shades and yellow, the boxes red).
inline constexpr model::Rgb kMeasuredTransmissionColour{0, 140, 0};
inline constexpr model::Rgb kMeasuredReflectionColour{200, 0, 200};
// The response of the fitted parts, both curves.
inline constexpr model::Rgb kFittedColour{240, 120, 0};

// How the overlay is drawn on one surface.
struct OverlayStyle {
  double transmissionWidth = 2.0;
  double reflectionWidth = 1.0;
  double legendFontSize = 0.0;      // 0: the surface's font as it is
  double legendLineHeight = 200.0;  // from one legend line to the next
  // A generous average character width of the legend's font, in drawing
  // units: the legend's plain background and the name's shortening are
  // sized from it, so that the text stays inside the frame.
  double legendCharWidth = 100.0;
  // Off while a Monte Carlo run draws its trials over the plot: the legend
  // drawn before the first trial stays, and text drawn again and again
  // would blur.
  bool legend = true;
};

// "Measured: built.s2p": the legend's first line, the name shortened in its
// middle ("Measured: built_2...final.s2p") to at most `longestLine`
// characters in all; the next says which colour is which.
std::string MeasurementLegend(const model::ShownMeasurement& shown,
                              std::size_t longestLine = 1000);
// "green S21, violet S11", or "violet S11" for a one-port file.
std::string MeasurementColours(const model::ShownMeasurement& shown);
// "orange: fitted parts, S21 and S11" once a fit has been made, else empty.
std::string FittedLegend(const model::ShownMeasurement& shown);
// The text cut to at most `most` characters by an ellipsis in its middle,
// so that both its start and its end (the extension) stay.
std::string ShortenInTheMiddle(const std::string& text, std::size_t most);
// "Measured at 50 ohm, judged at 12.5 ohm" when the file was referred to
// the design's termination (drawn just above the legend), otherwise empty.
std::string MeasurementReferral(const model::ShownMeasurement& shown);

// Draws one measured curve (entry 0 |S11|, 1 |S21|) in dB inside the
// plot's frequency range, levels limited to the frame.
void DrawMeasuredCurve(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                       const model::DesignState& design, const model::MeasuredNetwork& n, int entry,
                       model::Rgb colour);

// Draws the measured |S21| (two-port files) and |S11| in dB over the plot,
// within its frequency range and floor, the fitted parts' response when
// there is one, and the legend (the referral above it, the fitted line
// below) on a plain white box inside the plot's bottom left corner. Leaves
// line width 1 behind.
void DrawMeasurementOverlay(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                            const model::ShownMeasurement& shown, const model::DesignState& design,
                            const OverlayStyle& style);

}  // namespace diruruzevuv::drawing
