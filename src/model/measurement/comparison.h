#pragma once

#include <array>
#include <optional>
#include <string>

#include "model/circuit/analysis.h"
#include "model/circuit/band_windows.h"
#include "model/circuit/design_state.h"
#include "model/measurement/measured_network.h"

namespace diruruzevuv::model {

enum class BoxVerdict { kNotMeasured, kPass, kFail };

// The lowest level the comparison shows, the analysis's own reflection
// floor: a perfect match reads as this, not as a number no one can print.
inline constexpr double kShownFloorDb = kReflectionFloorDb;

// One design-aid box: the passband (judged on the reflection) or a
// harmonic band (judged on the transmission).
struct BandComparison {
  double start = 0.0;  // Hz, the box's span
  double stop = 0.0;
  double boxDb = 0.0;
  int points = 0;   // measured points inside the span, above the floor
  int leftOut = 0;  // inside the span but below the floor
  // Measured minus computed transmission over the points (two ports).
  std::optional<double> worstGainDifferenceDb;  // the largest in size, with its sign
  std::optional<double> rmsGainDifferenceDb;
  // Passband: the highest reflection; harmonic bands: the weakest
  // attenuation (highest transmission), measured and computed at the same points.
  std::optional<double> worstMeasuredDb;
  std::optional<double> worstComputedDb;
  BoxVerdict verdict = BoxVerdict::kNotMeasured;
};

struct Comparison {
  bool twoPort = false;
  int pointsUsed = 0;
  int pointsLeftOut = 0;  // measured transmission below the floor
  int pointsAtZeroHz = 0;  // nothing to compare at 0 Hz: left out and counted
  double floorDb = 0.0;
  std::array<BandComparison, 3> bands;  // passband, 2nd and 3rd harmonic
  // Loss (positive dB) at the band edges: the design's, as the screen
  // shows it, and the measured one where the measurement covers the edge.
  double computedLossLow = 0.0;
  double computedLossHigh = 0.0;
  std::optional<double> measuredLossLow;
  std::optional<double> measuredLossHigh;
  // Why the measurement is not of a working filter ("built.s2p: S21 stays
  // below the floor (-70.0 dB) in the passband: not a working filter"),
  // or empty.
  std::string problem;
};

// Compares a measurement, referred to the design's termination, with the
// design's own analysis over the design-aid boxes: an evaluation's part
// (see Evaluate), which hands over its boxes, its band-edge gains and the
// analyser that has just swept the design, so nothing is swept twice.
// Points whose measured transmission is below floorDb are left out of
// every figure; levels below kShownFloorDb count as that floor.
Comparison CompareWithDesign(const DesignState& design, const std::array<AidSpan, 3>& boxes,
                             const EdgeGains& edges, Analyzer& swept,
                             const MeasuredNetwork& measured, double floorDb);

// The measured transmission in dB at f, interpolated on a logarithmic
// frequency axis between the neighbouring points; empty outside the
// measured range, for a one-port file or where a neighbour is below floorDb.
std::optional<double> MeasuredGainAt(const MeasuredNetwork& measured, double f, double floorDb);

}  // namespace diruruzevuv::model
