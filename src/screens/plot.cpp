#include "screens/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/analysis_problem.h"
#include "model/comparison.h"
#include "model/fit.h"
#include "model/monte_carlo.h"
#include "model/plot_geometry.h"
#include "model/worst_case.h"
#include "notation/notation.h"
#include "screens/measurement_overlay.h"

namespace diruruzevuv::screens {
namespace {

using model::Rgb;
using platform::Canvas;
using platform::GridPoint;

using model::PlotGeometry;

constexpr Rgb kBoxFill{255, 221, 221};
constexpr Rgb kPassbandOutline{255, 17, 17};

GridPoint At(model::PlotPoint p) {
  return {p.x, p.y};
}

void MarkText(Canvas& canvas, GridPoint topLeft, std::string_view text) {
  canvas.Point(topLeft, model::kWhite);
  canvas.Text(text);
}

void DrawFrequencyGrid(Canvas& canvas, const PlotGeometry& geometry, const model::PlotGrid& grid,
                       const model::DesignState& design) {
  const model::PlotFrame& frame = geometry.Frame();
  canvas.SetLineWidth(1);
  for (int i = 0; i < grid.count; ++i) {
    const double x = geometry.XAt(grid.position[i]);
    canvas.Line({x, frame.top}, {x, frame.bottom}, model::kGrey);
  }
  for (int i : model::ChooseFrequencyLabels(grid, design.SweepStart, design.SweepStop)) {
    MarkText(canvas, At(geometry.FrequencyLabelAt(grid.position[i])),
             notation::FormatFrequency(grid.frequency[i]));
  }
}

// Ten decibels per division whatever the floor: with the wizard's -60 dB
// and 6 divisions the labels match the curves. Divisions are counted in
// int so that any 16-bit value from a file works; none or fewer skip the
// level grid.
void DrawLevelGrid(Canvas& canvas, const PlotGeometry& geometry, std::int16_t divisions,
                   double screenWidthTwips) {
  if (divisions <= 0) return;
  const model::PlotFrame& frame = geometry.Frame();
  for (int i = 0; i <= divisions; ++i) {
    const double y = geometry.LevelLineY(i, divisions);
    canvas.Line({frame.left, y}, {frame.right, y}, model::kGrey);
  }
  for (int i = 0; i <= divisions; ++i) {
    const std::string text = std::to_string(-10 * i);
    MarkText(canvas, At(geometry.LevelLabelAt(i, divisions, text.size(), screenWidthTwips)), text);
  }
}

void DrawDesignAidBoxes(Canvas& canvas, const PlotGeometry& geometry,
                        const model::DesignState& design, const model::GlobalDefaults& defaults) {
  const model::PlotFrame& frame = geometry.Frame();
  canvas.SetLineWidth(1);
  for (const model::AidBox& box : geometry.AidBoxes(design, defaults)) {
    if (!std::isfinite(box.bottomRight.y)) continue;
    // The screen's boxes are not clipped to the frame; a level far beyond
    // it is drawn at the window's edge.
    const GridPoint a = At(geometry.WithinReach(box.topLeft));
    const GridPoint b = At(geometry.WithinReach(box.bottomRight));
    canvas.FilledBox(a, b, kBoxFill);
    canvas.Box(a, b, box.harmonic == 1 ? kPassbandOutline : model::kRed);
    canvas.Line({a.x, frame.top}, {a.x, frame.bottom}, model::kRed);
    canvas.Line({b.x, frame.top}, {b.x, frame.bottom}, model::kRed);
  }
}

// Points closer together than this (layout units) to the straight line
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
void DrawCurve(Canvas& canvas, const std::vector<double>& xs, const float* levels,
               const PlotGeometry& geometry, Rgb colour, std::vector<GridPoint>& path,
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

OverlayStyle ScreenOverlayStyle(const model::Session& session) {
  OverlayStyle style;
  style.legend = !session.monte.running || session.monte.trialCount == 0;
  return style;
}

// The built filter's loss at both band edges, as measured.
std::string MeasuredLossText(const model::DesignState& design, const model::Comparison& c) {
  auto loss = [](const std::optional<double>& v) {
    return v ? notation::FormatValue(static_cast<float>(*v)) + "dB" : std::string("-");
  };
  return "Measured loss at" + notation::FormatFrequency(design.LowerEdge) +
         "Hz: " + loss(c.measuredLossLow) + "\nMeasured loss at" +
         notation::FormatFrequency(design.UpperEdge) + "Hz: " + loss(c.measuredLossHigh);
}

// In place of the curves: one line inside the frame naming what stops the
// analysis, on a white band so that the grid and the boxes do not run
// through it.
void DrawUnanalysableLine(Canvas& canvas, const model::PlotFrame& frame,
                          const model::DesignState& design) {
  const std::string reason = model::DescribeUnanalysable(design);
  if (reason.empty()) return;
  const double top = frame.top + frame.Height() / 2.0 - 150.0;
  canvas.FilledBox({frame.left + 100.0, top}, {frame.right - 100.0, top + 300.0}, model::kWhite);
  MarkText(canvas, {frame.left + 150.0, top + 50.0}, model::UnanalysableLine(reason));
}

}  // namespace

LabelText EdgeLossLabel(float edge, double gainDb) {
  LabelText label;
  label.text = "Target-value parts loss at" + notation::FormatFrequency(edge) +
               "Hz: " + notation::FormatValue(static_cast<float>(std::fabs(gainDb))) + "dB";
  label.colour = gainDb < -1.0 ? model::kRed : model::kBlack;
  return label;
}

PlotLabels Plot(platform::Canvas& canvas, model::Session& session, double screenWidthTwips) {
  const model::DesignState& design = session.design;
  const model::GlobalDefaults& defaults = session.defaults;
  const PlotGeometry geometry(model::kScreenPlotFrame, design, defaults);
  PlotLabels labels;

  session.plot.grid = model::ComputePlotGrid(design.SweepStart, design.SweepStop);
  DrawFrequencyGrid(canvas, geometry, session.plot.grid, design);
  DrawLevelGrid(canvas, geometry, defaults.GridDivisions, screenWidthTwips);
  DrawDesignAidBoxes(canvas, geometry, design, defaults);

  const model::PlotFrame& frame = geometry.Frame();
  canvas.SetLineWidth(2);
  canvas.Box({frame.left, frame.top}, {frame.right, frame.bottom}, model::kBlack);

  const model::SweepResult& sweep = session.analysis.Result();
  if (!model::SweepDrawable(sweep, design)) {
    DrawUnanalysableLine(canvas, frame, design);
    canvas.SetLineWidth(1);
    if (session.measurement) {
      DrawMeasurementOverlay(canvas, geometry, *session.measurement, design,
                             ScreenOverlayStyle(session));
    }
    return labels;
  }

  const std::vector<double> xs = geometry.SweepX(sweep);
  std::vector<GridPoint> path;
  std::vector<GridPoint> thin;
  path.reserve(xs.size());
  thin.reserve(xs.size());
  DrawCurve(canvas, xs, sweep.gain.data(), geometry, session.DrawColor, path, thin);
  canvas.SetLineWidth(1);
  DrawCurve(canvas, xs, sweep.reflection.data(), geometry, session.DrawColor, path, thin);
  if (session.measurement) {
    DrawMeasurementOverlay(canvas, geometry, *session.measurement, design,
                           ScreenOverlayStyle(session));
  }

  const model::PlotFigures figures = model::TakePlotFigures(session);
  if (figures.worst.secondChanged) {
    labels.worstSecondChanged = true;
    labels.worstSecond = model::WorstSecondText(session.plot.worstSecond);
  }
  if (figures.worst.thirdChanged) {
    labels.worstThirdChanged = true;
    labels.worstThird = model::WorstThirdText(session.plot.worstThird);
  }
  labels.lossLow = EdgeLossLabel(design.LowerEdge, figures.edges.lower);
  labels.lossHigh = EdgeLossLabel(design.UpperEdge, figures.edges.upper);
  if (session.measurement && session.measurement->network.ports == 2) {
    const model::Comparison c = model::CompareWithDesign(
        design, defaults, session.measurement->network, model::kDefaultFloorDb);
    labels.measuredLoss = MeasuredLossText(design, c);
  }
  return labels;
}

}  // namespace diruruzevuv::screens
