#include "model/plot_grid.h"

namespace diruruzevuv::model {

// Placeholder until the plot lands.
PlotGrid ComputePlotGrid(float, float) { return {}; }
std::vector<int> ChooseFrequencyLabels(const PlotGrid&, float, float) { return {}; }

}  // namespace diruruzevuv::model
