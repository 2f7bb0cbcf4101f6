#pragma once

#include <optional>
#include <vector>

#include "model/circuit/analysis.h"
#include "model/circuit/design_state.h"
#include "model/measurement/measured_network.h"

namespace diruruzevuv::model {

// Frequencies for the design's response: points of them from lowHz to
// highHz, spaced logarithmically.
struct ResponseRange {
  double lowHz = 0.0;
  double highHz = 0.0;
  int points = kSweepIntervals + 1;
};

// The design's sweep range from its lower to its higher end, whichever
// way the design sweeps, at the sweep's points.
ResponseRange DesignResponseRange(const DesignState& design) noexcept;

// The range's frequencies, lowHz and highHz exactly at the ends; empty
// when the range is not 0 < lowHz < highHz with at least two points, or
// when its frequencies would not increase strictly (too many points in too
// narrow a range).
std::vector<double> ResponseFrequencies(const ResponseRange& range);

// The design's S11, S21, S12 and S22 from the ladder with its losses, as
// an analyser would measure the built filter against the design's
// termination: a two-port network at the range's frequencies. Empty when
// the range has no frequencies or the design gives no finite response.
std::optional<MeasuredNetwork> DesignResponse(const DesignState& design,
                                              const ResponseRange& range);

}  // namespace diruruzevuv::model
