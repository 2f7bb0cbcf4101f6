#include "screens/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/analysis_problem.h"
#include "model/plot_grid.h"
#include "model/worst_case.h"
#include "notation/notation.h"

namespace diruruzevuv::screens {
namespace {

using model::Rgb;
using platform::Canvas;
using platform::GridPoint;

// The plot rectangle in layout-grid units.
constexpr double kLeft = 6000.0;
constexpr double kRight = 11000.0;
constexpr double kTop = 500.0;
constexpr double kBottom = 4000.0;
constexpr double kWidth = kRight - kLeft;
constexpr double kHeight = kBottom - kTop;

constexpr Rgb kBoxFill{255, 221, 221};
constexpr Rgb kPassbandOutline{255, 17, 17};

// A floor of 0 dB would scale every level to infinity; such a file gets the
// floor the wizard uses.
constexpr float kFallbackFloorDb = -60.0f;

// Maps frequencies and levels onto the plot rectangle.
class PlotScale {
 public:
  PlotScale(const model::DesignState& design, const model::GlobalDefaults& defaults)
      : m_logStart(std::log(static_cast<double>(design.SweepStart))),
        m_logSpan(std::log(static_cast<double>(design.SweepStop)) - m_logStart) {
    float floorDb = defaults.PlotFloorDb;
    if (floorDb == 0.0f || !std::isfinite(floorDb)) floorDb = kFallbackFloorDb;
    m_floorMagnitude = std::fabs(static_cast<double>(floorDb));
  }

  // NaN or infinite when the sweep limits are unusable; callers check.
  double X(double frequency) const {
    return kLeft + kWidth * (std::log(frequency) - m_logStart) / m_logSpan;
  }
  double Y(double levelDb) const { return kTop - kHeight * levelDb / m_floorMagnitude; }
  // Y limited to the plot: levels below the floor lie on the bottom edge.
  double ClampedY(double levelDb) const {
    const double y = Y(levelDb);
    if (y > kBottom) return kBottom;
    if (y >= kTop) return y;
    return kTop;  // above the top, and NaN
  }

 private:
  double m_logStart;
  double m_logSpan;
  double m_floorMagnitude = 60.0;
};

void MarkText(Canvas& canvas, GridPoint topLeft, std::string_view text) {
  canvas.Point(topLeft, model::kWhite);
  canvas.Text(text);
}

void DrawFrequencyGrid(Canvas& canvas, const model::PlotGrid& grid,
                       const model::DesignState& design) {
  canvas.SetLineWidth(1);
  for (int i = 0; i < grid.count; ++i) {
    const double x = kLeft + kWidth * grid.position[i];
    canvas.Line({x, kTop}, {x, kBottom}, model::kGrey);
  }
  for (int i : model::ChooseFrequencyLabels(grid, design.SweepStart, design.SweepStop)) {
    MarkText(canvas, {5850.0 + kWidth * grid.position[i], 4100.0},
             notation::FormatFrequency(grid.frequency[i]));
  }
}

// Ten decibels per division whatever the floor: with the wizard's -60 dB
// and 6 divisions the labels match the curves. Divisions are counted in
// int so that any 16-bit value from a file works; none or fewer skip the
// level grid.
void DrawLevelGrid(Canvas& canvas, std::int16_t divisions, double screenWidthTwips) {
  if (divisions <= 0) return;
  const auto lineY = [divisions](int i) { return static_cast<double>(3500 * i / divisions); };
  for (int i = 0; i <= divisions; ++i) {
    const double y = lineY(i) + kTop;
    canvas.Line({kLeft, y}, {kRight, y}, model::kGrey);
  }
  if (!(screenWidthTwips > 0.0) || !std::isfinite(screenWidthTwips)) screenWidthTwips = 12000.0;
  for (int i = 0; i <= divisions; ++i) {
    const std::string text = std::to_string(-10 * i);
    const double width = static_cast<double>(text.size()) * 120.0 * 12000.0 / screenWidthTwips;
    MarkText(canvas, {5900.0 - width, lineY(i) + 400.0}, text);
  }
}

void DrawDesignAidBoxes(Canvas& canvas, const PlotScale& scale, const model::DesignState& design,
                        const model::GlobalDefaults& defaults) {
  const float levels[] = {defaults.PassbandBoxDb, defaults.SecondHarmonicBoxDb,
                          defaults.ThirdHarmonicBoxDb};
  canvas.SetLineWidth(1);
  for (int k = 1; k <= 3; ++k) {
    const double x1 =
        scale.X(k * static_cast<double>(design.LowerEdge) / defaults.BandwidthMultiplier);
    const double x2 =
        scale.X(k * static_cast<double>(design.UpperEdge) * defaults.BandwidthMultiplier);
    const double yb = scale.Y(levels[k - 1]);
    // A multiplier of 0 or a broken sweep leaves nothing sensible to draw.
    if (!std::isfinite(x1) || !std::isfinite(x2) || !std::isfinite(yb)) continue;
    canvas.FilledBox({x1, kTop}, {x2, yb}, kBoxFill);
    canvas.Box({x1, kTop}, {x2, yb}, k == 1 ? kPassbandOutline : model::kRed);
    canvas.Line({x1, kTop}, {x1, kBottom}, model::kRed);
    canvas.Line({x2, kTop}, {x2, kBottom}, model::kRed);
  }
}

// x of every sweep point. The sweep's frequencies are spaced evenly in
// log f from SweepStart to SweepStop, so point i lies at i / intervals of
// the width; that differs from the logarithm of the stored float by far
// less than a pixel and spares 2001 logarithms per plot. A sweep that does
// not span the design's limits (its design changed since) is mapped point
// by point.
std::vector<double> SweepX(const model::SweepResult& sweep, const model::DesignState& design,
                           const PlotScale& scale) {
  const int points = sweep.intervals + 1;
  std::vector<double> xs(static_cast<std::size_t>(points));
  const auto near = [](float stored, float limit) {
    return std::fabs(static_cast<double>(stored) / limit - 1.0) < 1e-6;
  };
  if (near(sweep.frequency[0], design.SweepStart) &&
      near(sweep.frequency[sweep.intervals], design.SweepStop)) {
    for (int i = 0; i < points; ++i) xs[i] = kLeft + kWidth * i / sweep.intervals;
  } else {
    for (int i = 0; i < points; ++i) xs[i] = scale.X(sweep.frequency[i]);
  }
  return xs;
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
               const PlotScale& scale, Rgb colour, std::vector<GridPoint>& path,
               std::vector<GridPoint>& thin) {
  // Filled by index, so that the compiler can do several points at a time.
  path.resize(xs.size());
  GridPoint* out = path.data();
  for (std::size_t i = 0; i < xs.size(); ++i) out[i] = {xs[i], scale.ClampedY(levels[i])};
  Thin(path, thin);
  if (thin.size() < 2) return;
  canvas.Line(thin[0], thin[1], colour);
  canvas.Polyline(std::span<const GridPoint>(thin).subspan(2), colour);
}

// In place of the curves: one line inside the frame naming what stops the
// analysis.
void DrawUnanalysableLine(Canvas& canvas, const model::DesignState& design) {
  const std::string reason = model::DescribeUnanalysable(design);
  if (reason.empty()) return;
  // On a white band, so that the grid and the boxes do not run through it.
  const double top = kTop + kHeight / 2.0 - 150.0;
  canvas.FilledBox({kLeft + 100.0, top}, {kRight - 100.0, top + 300.0}, model::kWhite);
  MarkText(canvas, {kLeft + 150.0, top + 50.0}, model::UnanalysableLine(reason));
}

bool SweepDrawable(const model::SweepResult& sweep, const model::DesignState& design) {
  return sweep.valid && sweep.intervals >= 1 && sweep.intervals < model::SweepResult::kCapacity &&
         design.SweepStart > 0.0f && design.SweepStop > 0.0f && std::isfinite(design.SweepStart) &&
         std::isfinite(design.SweepStop) && design.SweepStart != design.SweepStop;
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
  const PlotScale scale(design, defaults);
  PlotLabels labels;

  session.plot.grid = model::ComputePlotGrid(design.SweepStart, design.SweepStop);
  DrawFrequencyGrid(canvas, session.plot.grid, design);
  DrawLevelGrid(canvas, defaults.GridDivisions, screenWidthTwips);
  DrawDesignAidBoxes(canvas, scale, design, defaults);

  canvas.SetLineWidth(2);
  canvas.Box({kLeft, kTop}, {kRight, kBottom}, model::kBlack);

  const model::SweepResult& sweep = session.analysis.Result();
  if (!SweepDrawable(sweep, design)) {
    DrawUnanalysableLine(canvas, design);
    canvas.SetLineWidth(1);
    return labels;
  }

  const std::vector<double> xs = SweepX(sweep, design, scale);
  std::vector<GridPoint> path;
  std::vector<GridPoint> thin;
  path.reserve(xs.size());
  thin.reserve(xs.size());
  DrawCurve(canvas, xs, sweep.gain.data(), scale, session.DrawColor, path, thin);
  const model::WorstHarmonicUpdate worst = model::TrackWorstHarmonics(design, sweep, session.plot);
  if (worst.secondChanged) {
    labels.worstSecondChanged = true;
    labels.worstSecond =
        "Worst-case 2nd harm. atten: " + notation::FormatValue(session.plot.worstSecond) + "dB";
  }
  if (worst.thirdChanged) {
    labels.worstThirdChanged = true;
    labels.worstThird =
        "Worst-case 3ed harm. atten: " + notation::FormatValue(session.plot.worstThird) + "dB";
  }

  canvas.SetLineWidth(1);
  DrawCurve(canvas, xs, sweep.reflection.data(), scale, session.DrawColor, path, thin);

  const model::EdgeGains gains = model::EvaluateBandEdges(session.analysis, design);
  labels.lossLow = EdgeLossLabel(design.LowerEdge, gains.lower);
  labels.lossHigh = EdgeLossLabel(design.UpperEdge, gains.upper);
  return labels;
}

}  // namespace diruruzevuv::screens
