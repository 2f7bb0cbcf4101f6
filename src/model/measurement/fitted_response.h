#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/circuit/design_state.h"
#include "model/measurement/fit.h"
#include "model/measurement/measured_network.h"

namespace diruruzevuv::model {

// The design's ladder with the fitted values: the design's value for a part
// the fit left alone.
Ladder FittedLadder(const FitResult& fit, const DesignState& design) noexcept;

// The response of the fitted parts themselves, each toroid with its own
// fitted inductance, at these frequencies (the measurement's).
FittedCurves FittedResponse(const FitResult& fit, const DesignState& design,
                            const std::vector<double>& frequencies);

// The whole turns at the design's one AL that come nearest each toroid's
// fitted inductance, and the inductance they give.
struct WholeTurns {
  std::int16_t turnsL2 = 0;
  std::int16_t turnsL1 = 0;
  double l2 = 0.0;  // henries, AL x turns^2
  double l1 = 0.0;
  double fittedL2 = 0.0;
  double fittedL1 = 0.0;
};
WholeTurns WholeTurnsAtDesignAL(const FitResult& fit, const DesignState& design) noexcept;

// "Whole turns at AL 3 nH per turns squared come only this close:" and on
// a second line "L2 15 turns 0.675 uH (fitted 0.679 uH), L1 12 turns
// 0.432 uH (fitted 0.431 uH)".
std::string WholeTurnsText(const WholeTurns& turns, const DesignState& design);

// Writes the fitted capacitors and inductor Q into the design, and with
// wholeTurns also the turns above (at the design's AL).
void ApplyFit(const FitResult& fit, DesignState& design, bool wholeTurns);

}  // namespace diruruzevuv::model
