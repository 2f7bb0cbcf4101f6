#include "drawing/trace_overlay.h"

#include <algorithm>
#include <string>
#include <vector>

namespace diruruzevuv::drawing {

void DrawTraces(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                const model::TraceList& traces, const model::DesignState& design,
                const OverlayStyle& style) {
  if (!geometry.Usable() || !traces.AnyVisible()) return;
  for (const model::Trace& trace : traces.Items()) {
    if (!trace.visible) continue;
    const model::Rgb colour = model::kTracePalette[trace.colour];
    if (trace.network.ports == 2) {
      canvas.SetLineWidth(style.transmissionWidth);
      DrawMeasuredCurve(canvas, geometry, design, trace.network, 1, colour);
    }
    canvas.SetLineWidth(style.reflectionWidth);
    canvas.SetDashed(true);
    DrawMeasuredCurve(canvas, geometry, design, trace.network, 0, colour);
    canvas.SetDashed(false);
  }
  canvas.SetLineWidth(1);
}

void DrawTraceLegend(platform::Canvas& canvas, const model::PlotFrame& frame,
                     const model::TraceList& traces, const OverlayStyle& style) {
  if (!style.legend || !traces.AnyVisible()) return;
  if (style.legendFontSize > 0.0) canvas.SetFontSize(style.legendFontSize);
  const double inset = 40.0;
  const double pad = 40.0;
  // Samples long enough to show the dashes, then a space before the name.
  const double sample = 2.5 * style.legendCharWidth;
  const double gap = 0.5 * style.legendCharWidth;
  const double before = 2.0 * sample + 2.0 * gap;
  // The measurement's legend keeps the bottom left corner.
  const double room = 0.55 * frame.Width() - 2.0 * (inset + pad) - before;
  const auto longest = static_cast<std::size_t>(std::max(8.0, room / style.legendCharWidth));
  std::vector<const model::Trace*> shown;
  std::size_t widest = 0;
  for (const model::Trace& trace : traces.Items()) {
    if (!trace.visible) continue;
    shown.push_back(&trace);
    widest = std::max(widest, std::min(trace.name.size(), longest));
  }
  const double right = frame.right - inset;
  const double bottom = frame.bottom - inset;
  const double left = right - 2.0 * pad - before - style.legendCharWidth * widest;
  const double top =
      bottom - 2.0 * pad - style.legendLineHeight * static_cast<double>(shown.size());
  canvas.FilledBox({left, top}, {right, bottom}, model::kWhite);
  const double x = left + pad;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const model::Trace& trace = *shown[i];
    const model::Rgb colour = model::kTracePalette[trace.colour];
    const double y = top + pad + style.legendLineHeight * static_cast<double>(i);
    const double middle = y + 0.45 * style.legendLineHeight;
    if (trace.network.ports == 2) {
      canvas.SetLineWidth(style.transmissionWidth);
      canvas.Line({x, middle}, {x + sample, middle}, colour);
    }
    canvas.SetLineWidth(style.reflectionWidth);
    canvas.SetDashed(true);
    canvas.Line({x + sample + gap, middle}, {x + 2.0 * sample + gap, middle}, colour);
    canvas.SetDashed(false);
    canvas.SetLineWidth(1);
    canvas.Point({x + before, y}, model::kWhite);
    canvas.Text(ShortenInTheMiddle(trace.name, longest));
  }
}

}  // namespace diruruzevuv::drawing
