#include "model/plot/plot_grid.h"

#include <cmath>
#include <initializer_list>

#include "notation/leading_number.h"
#include "notation/notation.h"

namespace diruruzevuv::model {
namespace {

// Mantissas of the grid candidates within one decade.
constexpr float kCandidates[] = {1.0f, 1.5f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f};

// Grid lines may overshoot the sweep stop by this much and still count,
// because the float decade bases drift slightly upwards.
constexpr double kStopTolerance = 1.0001;

bool SweepUsable(float start, float stop) noexcept {
  return std::isfinite(start) && std::isfinite(stop) && start > 0.0f && stop > 0.0f &&
         start != stop;
}

bool IsOneOf(double n, std::initializer_list<double> mantissas) {
  for (double m : mantissas)
    if (n == m || n == m * 10.0 || n == m * 100.0) return true;
  return false;
}

}  // namespace

PlotGrid ComputePlotGrid(float sweepStart, float sweepStop) {
  PlotGrid grid;
  if (!SweepUsable(sweepStart, sweepStop)) return grid;
  const double logStart = std::log(static_cast<double>(sweepStart));
  const double logSpan = std::log(static_cast<double>(sweepStop)) - logStart;
  const double limit = kStopTolerance * sweepStop;
  float decade = 0.001f;
  // A sweep wider than about four decades would qualify more lines than the
  // grid holds; the grid then keeps the lowest 41 and stops there.
  while (grid.count < PlotGrid::kMaxLines) {
    for (float mantissa : kCandidates) {
      const float candidate = mantissa * decade;
      if (!(candidate <= limit)) return grid;  // also ends on an overflow to infinity
      if (candidate >= sweepStart) {
        grid.frequency[grid.count] = candidate;
        grid.position[grid.count] = (std::log(static_cast<double>(candidate)) - logStart) / logSpan;
        if (++grid.count == PlotGrid::kMaxLines) return grid;
      }
    }
    decade *= 10.0f;
  }
  return grid;
}

std::vector<int> ChooseFrequencyLabels(const PlotGrid& grid, float sweepStart, float sweepStop) {
  std::vector<int> labelled;
  if (!SweepUsable(sweepStart, sweepStop)) return labelled;
  const double ratio = static_cast<double>(sweepStop) / sweepStart;
  constexpr int kMaxLabels = 13;
  double lastLabelled = -1.0;
  for (int i = 0; i < grid.count && i < PlotGrid::kMaxLines; ++i) {
    const double p = grid.position[i];
    if (p - lastLabelled < 0.04) continue;
    if (!(p <= 0.95 || p >= 0.999)) continue;
    // The label text's leading number: " 15M" gives 15, the prefix is not applied.
    const double n = notation::LeadingNumber(notation::FormatFrequency(grid.frequency[i]));
    if (IsOneOf(n, {1.5, 7.0, 9.0})) continue;
    if (ratio > 1000.0) {
      if (IsOneOf(n, {2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0})) continue;
    } else if (ratio > 10.0) {
      if (IsOneOf(n, {3.0, 4.0, 6.0, 7.0, 8.0, 9.0})) continue;
    }
    labelled.push_back(i);
    if (static_cast<int>(labelled.size()) >= kMaxLabels) break;
    lastLabelled = p;
  }
  return labelled;
}

}  // namespace diruruzevuv::model
