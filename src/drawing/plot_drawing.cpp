#include "drawing/plot_drawing.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "model/circuit/analysis_problem.h"
#include "notation/notation.h"

namespace diruruzevuv::drawing {
namespace {

using model::Rgb;
using platform::Canvas;
using platform::GridPoint;

GridPoint At(model::PlotPoint p) {
  return {p.x, p.y};
}

// A text with its top left corner at p: plotting a white point moves the
// text position there.
void MarkText(Canvas& canvas, GridPoint topLeft, std::string_view text) {
  canvas.Point(topLeft, model::kWhite);
  canvas.Text(text);
}

// Points closer together than this (drawing units) to the straight line
// that replaces them cannot be told apart: a layout unit is a fraction of
// a pixel on any screen the plot fits on.
constexpr double kCurveTolerance = 0.5;

// Thins the path to the points where it visibly bends. From the last kept
// point, each further point allows the slopes of the lines that pass it
// within the tolerance (measured vertically, which is never less than the
// true distance); a run goes on while the slope to the newest point lies
// within what all earlier points of the run allow. So every dropped point
// lies within the tolerance of the straight segment drawn in its place,
// and flat stretches (levels clamped to the frame) become one segment.
void Thin(const std::vector<GridPoint>& path, std::vector<GridPoint>& thin) {
  thin.clear();
  if (path.empty()) return;
  thin.push_back(path[0]);
  std::size_t anchor = 0;
  int side = 0;  // direction of x in the current run; 0 before its first point
  double low = 0.0;
  double high = 0.0;
  for (std::size_t i = 1; i < path.size(); ++i) {
    const double dx = path[i].x - path[anchor].x;
    const double dy = path[i].y - path[anchor].y;
    const int pointSide = dx > 0.0 ? 1 : (dx < 0.0 ? -1 : 0);
    if (pointSide != 0 && (side == 0 || pointSide == side)) {
      const double slope = dy / dx;
      if (side == 0 || (slope >= low && slope <= high)) {
        const double spread = kCurveTolerance / std::fabs(dx);
        low = side == 0 ? slope - spread : std::max(low, slope - spread);
        high = side == 0 ? slope + spread : std::min(high, slope + spread);
        side = pointSide;
        continue;
      }
    }
    side = 0;
    if (i - 1 == anchor) {
      thin.push_back(path[i]);  // a vertical step: nothing to drop
      anchor = i;
    } else {
      thin.push_back(path[i - 1]);  // the run ends before this point
      anchor = i - 1;
      --i;
    }
  }
  if (anchor != path.size() - 1) thin.push_back(path.back());
}

// Point 0 starts the path; the rest is one polyline in one colour.
void DrawThinCurve(Canvas& canvas, const std::vector<double>& xs, const float* levels,
                   const model::PlotGeometry& geometry, Rgb colour, std::vector<GridPoint>& path,
                   std::vector<GridPoint>& thin) {
  // Filled by index, so that the compiler can do several points at a time.
  path.resize(xs.size());
  GridPoint* out = path.data();
  for (std::size_t i = 0; i < xs.size(); ++i) out[i] = {xs[i], geometry.ClampedY(levels[i])};
  Thin(path, thin);
  if (thin.size() < 2) return;
  canvas.Line(thin[0], thin[1], colour);
  canvas.Polyline(std::span<const GridPoint>(thin).subspan(2), colour);
}

// One marked curve: runs of one colour go out as one polyline.
void DrawMarkedCurve(Canvas& canvas, const std::vector<GridPoint>& points,
                     const std::vector<bool>& red) {
  if (points.empty()) return;
  auto colourOf = [&](std::size_t k) { return red[k] ? model::kRed : model::kBlue; };
  canvas.Line(points[0], points[0], colourOf(0));
  std::size_t k = 1;
  while (k < points.size()) {
    std::size_t end = k + 1;
    while (end < points.size() && red[end] == red[k]) ++end;
    canvas.Polyline(std::span<const GridPoint>(points.data() + k, end - k), colourOf(k));
    k = end;
  }
}

}  // namespace

void DrawFrame(Canvas& canvas, const model::PlotGeometry& geometry, double width) {
  const model::PlotFrame& frame = geometry.Frame();
  canvas.SetLineWidth(width);
  canvas.Box({frame.left, frame.top}, {frame.right, frame.bottom}, model::kBlack);
}

void DrawFrequencyGrid(Canvas& canvas, const model::PlotGeometry& geometry,
                       const model::PlotGrid& grid, const model::DesignState& design,
                       const PlotLook& look) {
  const model::PlotFrame& frame = geometry.Frame();
  const int count = geometry.Usable() ? std::clamp(grid.count, 0, model::PlotGrid::kMaxLines) : 0;
  canvas.SetLineWidth(look.gridLineWidth);
  for (int i = 0; i < count; ++i) {
    const double x = geometry.XAt(grid.position[i]);
    canvas.Line({x, frame.top}, {x, frame.bottom}, model::kGrey);
  }
  if (look.labelFontSize > 0.0) canvas.SetFontSize(look.labelFontSize);
  if (count == 0) return;
  for (int i : model::ChooseFrequencyLabels(grid, design.SweepStart, design.SweepStop)) {
    if (i < 0 || i >= count) continue;
    MarkText(canvas, At(geometry.FrequencyLabelAt(grid.position[i])),
             notation::FormatFrequency(grid.frequency[i]));
  }
}

void DrawLevelGrid(Canvas& canvas, const model::PlotGeometry& geometry, std::int16_t divisions,
                   double screenWidthTwips) {
  const int count = divisions;
  if (count <= 0) return;
  const model::PlotFrame& frame = geometry.Frame();
  for (int i = 0; i <= count; ++i) {
    const double y = geometry.LevelLineY(i, count);
    canvas.Line({frame.left, y}, {frame.right, y}, model::kGrey);
  }
  for (int i = 0; i <= count; ++i) {
    const std::string text = std::to_string(-10 * i);
    MarkText(canvas, At(geometry.LevelLabelAt(i, count, text.size(), screenWidthTwips)), text);
  }
}

void DrawAidBoxes(Canvas& canvas, const model::PlotGeometry& geometry,
                  const std::array<model::AidSpan, 3>& spans, const PlotLook& look) {
  const model::PlotFrame& frame = geometry.Frame();
  const auto& widths = look.boxLineWidths;
  const bool oneWidth = widths[0] == widths[1] && widths[1] == widths[2];
  if (oneWidth) canvas.SetLineWidth(widths[0]);
  for (const model::AidSpan& span : spans) {
    const double x1 = geometry.X(span.lowHz);
    const double x2 = geometry.X(span.highHz);
    if (!std::isfinite(x1) || !std::isfinite(x2)) continue;
    model::AidBox box{span.harmonic, {x1, frame.top}, {x2, geometry.Y(span.levelDb)}};
    if (look.clipBoxes) {
      box = geometry.ClipToFrame(box);
    } else {
      // Not clipped: a level far beyond the frame is drawn at the
      // window's edge, one that is not a number not at all.
      if (!std::isfinite(box.bottomRight.y)) continue;
      box.topLeft = geometry.WithinReach(box.topLeft);
      box.bottomRight = geometry.WithinReach(box.bottomRight);
    }
    if (!oneWidth) canvas.SetLineWidth(widths[span.harmonic - 1]);
    const GridPoint a = At(box.topLeft);
    const GridPoint b = At(box.bottomRight);
    canvas.FilledBox(a, b, look.boxFill);
    canvas.Box(a, b, span.harmonic == 1 ? look.passbandOutline : look.harmonicOutline);
    if (look.boxEdgeLines) {
      canvas.Line({a.x, frame.top}, {a.x, frame.bottom}, model::kRed);
      canvas.Line({b.x, frame.top}, {b.x, frame.bottom}, model::kRed);
    }
  }
}

std::string UnanalysableText(const model::DesignState& design) {
  const std::string reason = model::DescribeUnanalysable(design);
  return reason.empty() ? std::string() : model::UnanalysableLine(reason);
}

void DrawUnanalysableLine(Canvas& canvas, const model::PlotFrame& frame, const std::string& line,
                          const PlotLook& look) {
  if (line.empty()) return;
  const double top = frame.top + frame.Height() / 2.0 - 150.0;
  canvas.FilledBox({frame.left + 100.0, top}, {frame.right - 100.0, top + 300.0}, model::kWhite);
  if (look.labelFontSize > 0.0) canvas.SetFontSize(look.labelFontSize);
  MarkText(canvas, {frame.left + 150.0, top + 50.0}, line);
}

void DrawResponse(Canvas& canvas, const model::PlotGeometry& geometry,
                  const model::SweepResult& sweep, Rgb colour) {
  const std::vector<double> xs = geometry.SweepX(sweep);
  std::vector<GridPoint> path;
  std::vector<GridPoint> thin;
  path.reserve(xs.size());
  thin.reserve(xs.size());
  canvas.SetLineWidth(2);
  DrawThinCurve(canvas, xs, sweep.gain.data(), geometry, colour, path, thin);
  canvas.SetLineWidth(1);
  DrawThinCurve(canvas, xs, sweep.reflection.data(), geometry, colour, path, thin);
}

void DrawMarkedResponse(Canvas& canvas, const model::PlotGeometry& geometry,
                        const model::SweepResult& sweep, const model::DesignState& design,
                        const model::GlobalDefaults& defaults) {
  if (!sweep.valid || !geometry.Usable()) return;
  const int last = std::clamp<int>(sweep.intervals, 0, model::SweepResult::kCapacity - 1);
  const model::HarmonicWindow passband = model::ReportMarkWindow(1, design);
  const model::HarmonicWindow second = model::ReportMarkWindow(2, design);
  const model::HarmonicWindow third = model::ReportMarkWindow(3, design);

  std::vector<GridPoint> points(last + 1);
  std::vector<bool> red(last + 1);
  for (int k = 0; k <= last; ++k) {
    const float f = sweep.frequency[k];
    const float t = sweep.gain[k];
    points[k] = {geometry.ReachX(geometry.X(f)), geometry.ClampedY(t)};
    red[k] = (second.Contains(f) && t > defaults.SecondHarmonicBoxDb) ||
             (third.Contains(f) && t > defaults.ThirdHarmonicBoxDb);
  }
  canvas.SetLineWidth(9);
  DrawMarkedCurve(canvas, points, red);

  for (int k = 0; k <= last; ++k) {
    const float f = sweep.frequency[k];
    const float r = sweep.reflection[k];
    points[k].y = geometry.ClampedY(r);
    red[k] = passband.Contains(f) && r > defaults.PassbandBoxDb;
  }
  canvas.SetLineWidth(6);
  DrawMarkedCurve(canvas, points, red);
}

}  // namespace diruruzevuv::drawing
