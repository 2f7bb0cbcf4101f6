#include "model/circuit/band_windows.h"

namespace diruruzevuv::model {

std::array<AidSpan, 3> AidSpans(const DesignState& design,
                                const GlobalDefaults& defaults) noexcept {
  const float levels[] = {defaults.PassbandBoxDb, defaults.SecondHarmonicBoxDb,
                          defaults.ThirdHarmonicBoxDb};
  const double m = defaults.BandwidthMultiplier;
  std::array<AidSpan, 3> spans{};
  for (int k = 1; k <= 3; ++k) {
    spans[k - 1] = {k, k * static_cast<double>(design.LowerEdge) / m,
                    k * static_cast<double>(design.UpperEdge) * m, levels[k - 1]};
  }
  return spans;
}

HarmonicWindow WorstHarmonicWindow(int harmonic, const DesignState& design) noexcept {
  return {static_cast<float>(harmonic * static_cast<double>(design.LowerEdge)),
          static_cast<float>(harmonic * static_cast<double>(design.UpperEdge))};
}

HarmonicWindow ReportMarkWindow(int harmonic, const DesignState& design) noexcept {
  constexpr double kLow[] = {0.95, 1.9, 2.85};
  constexpr double kHigh[] = {1.05, 2.1, 3.15};
  return {static_cast<float>(kLow[harmonic - 1] * design.LowerEdge),
          static_cast<float>(kHigh[harmonic - 1] * design.UpperEdge)};
}

}  // namespace diruruzevuv::model
