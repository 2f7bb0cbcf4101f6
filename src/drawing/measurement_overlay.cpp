#include "drawing/measurement_overlay.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "model/measurement/measurement_text.h"

namespace diruruzevuv::drawing {
namespace {

using platform::GridPoint;

std::string Ohms(double ohms) {
  // Terminations are whole or simple decimal numbers of ohms.
  std::string text = model::Fixed(ohms, 2);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

void DrawPath(platform::Canvas& canvas, const std::vector<GridPoint>& points, model::Rgb colour) {
  if (points.size() < 2) return;
  canvas.Line(points[0], points[1], colour);
  canvas.Polyline(std::span<const GridPoint>(points).subspan(2), colour);
}

void DrawFitted(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                const model::DesignState& design, const std::vector<double>& frequency,
                const std::vector<double>& db, model::Rgb colour) {
  const double low = std::fmin(design.SweepStart, design.SweepStop);
  const double high = std::fmax(design.SweepStart, design.SweepStop);
  std::vector<GridPoint> points;
  for (std::size_t i = 0; i < frequency.size() && i < db.size(); ++i) {
    if (!(frequency[i] >= low && frequency[i] <= high)) continue;
    points.push_back({geometry.ClampX(geometry.X(frequency[i])), geometry.ClampedY(db[i])});
  }
  DrawPath(canvas, points, colour);
}

// Whether the byte starts a character of UTF-8 text.
bool StartsCharacter(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

}  // namespace

void DrawMeasuredCurve(platform::Canvas& canvas, const model::PlotGeometry& geometry,
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
  DrawPath(canvas, points, colour);
}

std::string ShortenInTheMiddle(const std::string& text, std::size_t most) {
  if (text.size() <= most) return text;
  const std::size_t keep = most > 3 ? most - 3 : 0;
  std::size_t head = (keep + 1) / 2;
  std::size_t tail = text.size() - keep / 2;
  while (head > 0 && !StartsCharacter(text[head])) --head;
  while (tail < text.size() && !StartsCharacter(text[tail])) ++tail;
  return text.substr(0, head) + "..." + text.substr(tail);
}

std::string MeasurementLegend(const model::ShownMeasurement& shown, std::size_t longestLine) {
  const std::string before = "Measured: ";
  // Never less than a recognisable piece of the name.
  const std::size_t room = std::max<std::size_t>(longestLine, before.size() + 12) - before.size();
  return before + ShortenInTheMiddle(shown.network.name, room);
}

std::string MeasurementColours(const model::ShownMeasurement& shown) {
  return shown.network.ports == 2 ? "green S21, violet S11" : "violet S11";
}

std::string FittedLegend(const model::ShownMeasurement& shown) {
  if (!shown.fitted) return {};
  return shown.network.ports == 2 ? "orange: fitted parts, S21 and S11" : "orange: fitted parts, S11";
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
      DrawMeasuredCurve(canvas, geometry, design, n, 1, kMeasuredTransmissionColour);
    }
    canvas.SetLineWidth(style.reflectionWidth);
    DrawMeasuredCurve(canvas, geometry, design, n, 0, kMeasuredReflectionColour);
  }
  if (geometry.Usable() && shown.fitted) {
    // Thin, over the measured curves, so that both stay in sight where
    // they agree.
    const model::FittedCurves& fitted = *shown.fitted;
    canvas.SetLineWidth(style.reflectionWidth);
    if (n.ports == 2)
      DrawFitted(canvas, geometry, design, fitted.frequency, fitted.gainDb, kFittedColour);
    DrawFitted(canvas, geometry, design, fitted.frequency, fitted.reflectionDb, kFittedColour);
  }
  canvas.SetLineWidth(1);
  if (style.legendFontSize > 0.0) canvas.SetFontSize(style.legendFontSize);
  const model::PlotFrame& frame = geometry.Frame();
  if (!style.legend) return;
  // In the bottom left corner, which a low-pass filter's curves seldom
  // cross, on a plain box inside the frame so that no grid line, box edge
  // or curve runs through the text.
  const double inset = 40.0;
  const double pad = 40.0;
  const double room = frame.Width() - 2.0 * (inset + pad);
  const auto longest = static_cast<std::size_t>(std::max(8.0, room / style.legendCharWidth));
  std::vector<std::string> lines;
  if (std::string referral = MeasurementReferral(shown); !referral.empty())
    lines.push_back(ShortenInTheMiddle(referral, longest));
  lines.push_back(MeasurementLegend(shown, longest));
  lines.push_back(MeasurementColours(shown));
  // What the reader ignored, without the file's name said twice.
  const std::string& name = shown.network.name;
  for (const std::string& warning : shown.network.warnings) {
    lines.push_back(ShortenInTheMiddle(
        warning.starts_with(name + ", ") ? warning.substr(name.size() + 2) : warning, longest));
  }
  if (std::string fitted = FittedLegend(shown); !fitted.empty()) lines.push_back(fitted);
  std::size_t widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, line.size());
  const double left = frame.left + inset;
  const double bottom = frame.bottom - inset;
  const double top = bottom - 2.0 * pad - style.legendLineHeight * static_cast<double>(lines.size());
  const double right =
      std::min(frame.right - inset, left + 2.0 * pad + style.legendCharWidth * widest);
  canvas.FilledBox({left, top}, {right, bottom}, model::kWhite);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    canvas.Point({left + pad, top + pad + style.legendLineHeight * static_cast<double>(i)},
                 model::kWhite);
    canvas.Text(lines[i]);
  }
}

}  // namespace diruruzevuv::drawing
