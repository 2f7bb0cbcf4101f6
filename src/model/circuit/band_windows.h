#pragma once

#include <array>

#include "model/circuit/design_state.h"
#include "model/circuit/global_defaults.h"

namespace diruruzevuv::model {

// Three windows around the band exist on purpose, each for its own use:
//
// 1. The design-aid boxes, k x LowerEdge / multiplier to k x UpperEdge x
//    multiplier: targets the designer aims at, widened by the user's
//    multiplier to leave room for the parts' tolerance.
struct AidSpan {
  int harmonic = 1;  // 1 passband, 2 and 3 harmonics
  double lowHz = 0.0;
  double highHz = 0.0;
  float levelDb = 0.0f;
};
std::array<AidSpan, 3> AidSpans(const DesignState& design, const GlobalDefaults& defaults) noexcept;

// 2. The worst-case harmonic figures, k x LowerEdge < f < k x UpperEdge
//    (limits rounded to float, no multiplier): the harmonics a transmitter
//    on the band really produces, nothing wider.
struct HarmonicWindow {
  float low = 0.0f;
  float high = 0.0f;
  bool Contains(float f) const noexcept { return low < f && f < high; }
};
HarmonicWindow WorstHarmonicWindow(int harmonic, const DesignState& design) noexcept;

// 3. The report's red marks, 0.95 / 1.9 / 2.85 x LowerEdge < f <
//    1.05 / 2.1 / 3.15 x UpperEdge: a fixed 5 % either side of the band,
//    so that the printed page flags a miss near the band whatever
//    multiplier the boxes were drawn with.
HarmonicWindow ReportMarkWindow(int harmonic, const DesignState& design) noexcept;

}  // namespace diruruzevuv::model
