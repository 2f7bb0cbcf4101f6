#include "screens/measurement_overlay.h"

#include <cmath>
#include <span>
#include <vector>

#include "model/measurement_text.h"

namespace diruruzevuv::screens {
namespace {

using platform::GridPoint;

// The legend fits inside the plot's width with a name this long.
constexpr std::size_t kLongestName = 24;

std::string ShortName(const std::string& name) {
  if (name.size() <= kLongestName) return name;
  return name.substr(0, kLongestName - 3) + "...";
}

std::string Ohms(double ohms) {
  // Terminations are whole or simple decimal numbers of ohms.
  std::string text = model::Fixed(ohms, 2);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

// The points of one measured curve inside the plot's frequency range,
// levels limited to the frame.
void DrawCurve(platform::Canvas& canvas, const model::PlotGeometry& geometry,
               const model::DesignState& design, const model::MeasuredNetwork& n, int entry,
               model::Rgb colour) {
  const double low = std::fmin(design.SweepStart, design.SweepStop);
  const double high = std::fmax(design.SweepStart, design.SweepStop);
  std::vector<GridPoint> points;
  points.reserve(n.frequency.size());
  for (std::size_t i = 0; i < n.frequency.size(); ++i) {
    const double f = n.frequency[i];
    if (!(f >= low && f <= high)) continue;
    const double magnitude = std::abs(n.s[i][entry]);
    const double db = magnitude > 0.0 ? 20.0 * std::log10(magnitude) : -1e9;
    points.push_back({geometry.ClampX(geometry.X(f)), geometry.ClampedY(db)});
  }
  if (points.size() < 2) return;
  canvas.Line(points[0], points[1], colour);
  canvas.Polyline(std::span<const GridPoint>(points).subspan(2), colour);
}

}  // namespace

std::string MeasurementLegend(const model::ShownMeasurement& shown) {
  const model::MeasuredNetwork& n = shown.network;
  std::string legend = "Measured: " + ShortName(n.name) +
                       (n.ports == 2 ? " (green S21, violet S11)" : " (violet S11)");
  // What the reader ignored, without the file's name said twice.
  for (const std::string& warning : n.warnings)
    legend += "; " + (warning.starts_with(n.name + ", ") ? warning.substr(n.name.size() + 2) : warning);
  return legend;
}

std::string MeasurementReferral(const model::ShownMeasurement& shown) {
  const model::MeasuredNetwork& n = shown.network;
  if (shown.measuredOhms[0] == n.referenceOhms[0] &&
      (n.ports < 2 || shown.measuredOhms[1] == n.referenceOhms[1]))
    return {};
  return "Measured at " + Ohms(shown.measuredOhms[0]) + " ohm, judged at " +
         Ohms(n.referenceOhms[0]) + " ohm";
}

void DrawMeasurementOverlay(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                            const model::ShownMeasurement& shown, const model::DesignState& design,
                            const OverlayStyle& style) {
  const model::MeasuredNetwork& n = shown.network;
  if (geometry.Usable()) {
    if (n.ports == 2) {
      canvas.SetLineWidth(style.transmissionWidth);
      DrawCurve(canvas, geometry, design, n, 1, kMeasuredTransmissionColour);
    }
    canvas.SetLineWidth(style.reflectionWidth);
    DrawCurve(canvas, geometry, design, n, 0, kMeasuredReflectionColour);
  }
  canvas.SetLineWidth(1);
  if (style.legendFontSize > 0.0) canvas.SetFontSize(style.legendFontSize);
  const model::PlotFrame& frame = geometry.Frame();
  if (!style.legend) return;
  // In the bottom left corner, which a low-pass filter's curves seldom
  // cross; the referral, when there is one, on a line above.
  const double x = frame.left + 80.0;
  const double y = frame.bottom - 20.0 - style.legendLineHeight;
  if (const std::string referral = MeasurementReferral(shown); !referral.empty()) {
    canvas.Point({x, y - style.legendLineHeight}, model::kWhite);
    canvas.Text(referral);
  }
  canvas.Point({x, y}, model::kWhite);
  canvas.Text(MeasurementLegend(shown));
}

}  // namespace diruruzevuv::screens
