#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/circuit/design_state.h"
#include "model/circuit/ladder.h"
#include "model/measurement/measured_network.h"

namespace diruruzevuv::model {

inline constexpr double kDefaultFloorDb = -70.0;
inline constexpr double kDefaultTolerancePercent = 3.0;
// The measurement noise the uncertainties assume at least, in dB RMS (a
// difference in S11 counts as its change in dB near full reflection): a
// perfect fit to few points is not taken for a certain one.
inline constexpr double kNoiseFloorDb = 0.05;
// How far the fit lets a part move from the design: a third to three times.
inline constexpr double kPartRangeFactor = 3.0;

struct FitOptions {
  double floorDb = kDefaultFloorDb;  // measured |S21| below this is left out
  double tolerancePercent = kDefaultTolerancePercent;
  // Residual evaluations the final solve may spend from each of its starts
  // before it stops short of its tolerances.
  int evaluationLimit = 200;
  // Called at each evaluation of the residuals (a test counts the memory
  // taken between them).
  std::function<void()> onEvaluation;
};

struct FittedPart {
  LadderValue part = kC47;
  double design = 0.0;
  double fitted = 0.0;
  double percent = 0.0;  // (fitted - design) / design x 100
  // One standard deviation of the fitted value, percent of the design value.
  double uncertaintyPercent = 0.0;
  // Off: the difference exceeds both the tolerance and twice the uncertainty.
  bool flagged = false;
  bool atLimit = false;  // the fit ran into the edge of the allowed range
};

// What a toroid's fitted inductance says about the winding. The fit cannot
// tell a core stronger than designed from a turn too many, so it reads it
// both ways: the design's turns on another core, or the design's core with
// other turns.
struct TurnAdvice {
  std::int16_t turns = 0;
  double fitted = 0.0;           // henries
  double impliedAL = 0.0;        // nH per turns squared: fitted L / turns^2
  int change = 0;                // whole turns that bring L nearest the design value
  double inductanceAfter = 0.0;  // implied AL x (turns + change)^2, henries
  double designAL = 0.0;         // nH per turns squared
  // The whole turns at the design's AL nearest the fitted L, and their L.
  std::int16_t countedTurns = 0;
  double countedInductance = 0.0;  // henries
};

struct FitResult {
  bool done = false;  // false: error says why nothing was fitted
  std::string error;
  std::vector<FittedPart> parts;  // C47, C48, C92 (when fitted), C49, L2, L1, Q
  TurnAdvice l2;
  TurnAdvice l1;
  // RMS of the remaining differences, dB, weighted as the fit weighs them
  // (the transmission deep in the stop band and points far above the band
  // count less).
  double residualDb = 0.0;
  int pointsUsed = 0;
  int pointsLeftOut = 0;   // below the floor
  int pointsAtZeroHz = 0;  // the model has no response at 0 Hz
  // The final solve ended on its own tolerances rather than at its limit
  // of evaluations.
  bool converged = false;
  bool poor = false;  // the figures do not explain the measurement
  std::string poorReason;
};

// Finds the values of the parts and the inductor Q that best explain the
// measurement, which must be referred to the design's termination, or be
// a one-port file kept at the analyser's impedance (PrepareMeasurement):
// the model then loads the filter with that impedance, as it was. Fits
// the complex input reflection and the transmission in dB (the reflection
// alone for a one-port file). A coarse search over each part in turn
// finds a part from the wrong drawer before the solver refines all of
// them from that point, from the design and from starts with one part
// moved either way; each value stays within a factor of three of the
// design.
FitResult FitBuiltValues(const DesignState& design, const MeasuredNetwork& measured,
                         const FitOptions& options);

}  // namespace diruruzevuv::model
