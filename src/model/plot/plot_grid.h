#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace diruruzevuv::model {

// The response plot's vertical grid: shared by the design screen's plot and
// the printed report, which labels the same lines at its own positions.
struct PlotGrid {
  static constexpr int kMaxLines = 41;
  int count = 0;
  std::array<float, kMaxLines> frequency{};  // Hz
  std::array<double, kMaxLines> position{};  // fraction of the plot width
};

// Grid frequencies for a sweep (1, 1.5, 2, 3 ... 9 per decade).
PlotGrid ComputePlotGrid(float sweepStart, float sweepStop);

// Indices of the grid lines that carry a frequency label, in order.
std::vector<int> ChooseFrequencyLabels(const PlotGrid& grid, float sweepStart, float sweepStop);

}  // namespace diruruzevuv::model
