#include "model/plot/plot_geometry.h"

#include <algorithm>
#include <cmath>

namespace diruruzevuv::model {
namespace {

// A floor of 0 dB would scale every level to infinity; such a file gets the
// floor the wizard uses.
constexpr double kFallbackFloorMagnitude = 60.0;

// The level grid divides this height, in integers, whatever the frame.
constexpr int kLevelGridHeight = 3500;

bool Near(float stored, float limit) noexcept {
  return std::fabs(static_cast<double>(stored) / limit - 1.0) < 1e-6;
}

}  // namespace

PlotGeometry::PlotGeometry(const PlotFrame& frame, float sweepStart, float sweepStop,
                           float plotFloorDb) noexcept
    : m_frame(frame), m_sweepStart(sweepStart), m_sweepStop(sweepStop) {
  const double start = sweepStart;
  const double stop = sweepStop;
  m_usable =
      std::isfinite(start) && std::isfinite(stop) && start > 0.0 && stop > 0.0 && start != stop;
  m_logStart = std::log(start);
  m_logSpan = std::log(stop) - m_logStart;
  const double floor = plotFloorDb;
  m_floorMagnitude =
      (floor == 0.0 || !std::isfinite(floor)) ? kFallbackFloorMagnitude : std::fabs(floor);
}

double PlotGeometry::X(double frequency) const noexcept {
  return m_frame.left + m_frame.Width() * (std::log(frequency) - m_logStart) / m_logSpan;
}

double PlotGeometry::Y(double levelDb) const noexcept {
  return m_frame.top - m_frame.Height() * levelDb / m_floorMagnitude;
}

double PlotGeometry::ClampY(double y) const noexcept {
  if (y > m_frame.bottom) return m_frame.bottom;
  if (y >= m_frame.top) return y;
  return m_frame.top;  // above the top, and NaN
}

double PlotGeometry::ClampX(double x) const noexcept {
  return std::clamp(x, m_frame.left, m_frame.right);
}

double PlotGeometry::ReachX(double x) const noexcept {
  return std::clamp(x, m_frame.left - kCoordinateReach, m_frame.right + kCoordinateReach);
}

PlotPoint PlotGeometry::WithinReach(PlotPoint p) const noexcept {
  return {ReachX(p.x),
          std::clamp(p.y, m_frame.top - kCoordinateReach, m_frame.bottom + kCoordinateReach)};
}

// The sweep's frequencies are spaced evenly in log f from SweepStart to
// SweepStop, so point i lies at i / intervals of the width; that differs
// from the logarithm of the stored float by far less than a pixel and
// spares 2001 logarithms per plot. A sweep that does not span the limits
// (its design changed since) is mapped point by point.
std::vector<double> PlotGeometry::SweepX(const SweepResult& sweep) const {
  const int points = sweep.intervals + 1;
  std::vector<double> xs(static_cast<std::size_t>(points));
  const double left = m_frame.left;
  const double width = m_frame.Width();
  if (Near(sweep.frequency[0], m_sweepStart) &&
      Near(sweep.frequency[sweep.intervals], m_sweepStop)) {
    for (int i = 0; i < points; ++i) xs[i] = left + width * i / sweep.intervals;
  } else {
    for (int i = 0; i < points; ++i) xs[i] = ReachX(X(sweep.frequency[i]));
  }
  return xs;
}

double PlotGeometry::LevelLineY(int i, int divisions) const noexcept {
  return m_frame.top + static_cast<double>(kLevelGridHeight * i / divisions);
}

PlotPoint PlotGeometry::LevelLabelAt(int i, int divisions, std::size_t textLength,
                                     double screenWidthTwips) const noexcept {
  if (!(screenWidthTwips > 0.0) || !std::isfinite(screenWidthTwips)) screenWidthTwips = 12000.0;
  const double width = static_cast<double>(textLength) * 120.0 * 12000.0 / screenWidthTwips;
  return {(m_frame.left - 100.0) - width,
          (m_frame.top - 100.0) + static_cast<double>(kLevelGridHeight * i / divisions)};
}

PlotPoint PlotGeometry::FrequencyLabelAt(double fraction) const noexcept {
  return {(m_frame.left - m_frame.frequencyLabelShift) + m_frame.Width() * fraction,
          m_frame.bottom + 100.0};
}

AidBox PlotGeometry::ClipToFrame(AidBox box) const noexcept {
  box.topLeft = {ClampX(box.topLeft.x), ClampY(box.topLeft.y)};
  box.bottomRight = {ClampX(box.bottomRight.x), ClampY(box.bottomRight.y)};
  return box;
}

bool SweepDrawable(const SweepResult& sweep, const DesignState& design) noexcept {
  return sweep.valid && sweep.intervals >= 1 && sweep.intervals < SweepResult::kCapacity &&
         design.SweepStart > 0.0f && design.SweepStop > 0.0f && std::isfinite(design.SweepStart) &&
         std::isfinite(design.SweepStop) && design.SweepStart != design.SweepStop;
}

}  // namespace diruruzevuv::model
