#pragma once

// The one way from a design to its figures: what the design screen shows,
// the report prints and the command line writes all come from Evaluate.
// Figures are returned, never left behind in the analyser. What persists
// between evaluations (the running worst harmonic attenuations of the
// Monte Carlo figures) belongs to the session and is folded in by the
// caller with TakeWorstHarmonics.

#include <array>
#include <optional>
#include <vector>

#include "model/circuit/analysis.h"
#include "model/measurement/comparison.h"
#include "model/circuit/design_state.h"
#include "model/measurement/fit.h"
#include "model/circuit/global_defaults.h"
#include "model/measurement/measured_network.h"
#include "model/plot/plot_grid.h"
#include "model/session.h"

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

// The weakest attenuation (positive dB) of one sweep inside the second and
// third harmonic windows; infinite when a window holds no point.
struct HarmonicFigures {
  float second = 0.0f;
  float third = 0.0f;
};

struct EdgeGains {
  double lower = 0.0;  // gain in dB at LowerEdge
  double upper = 0.0;  // gain in dB at UpperEdge
};

struct Evaluation {
  SweepResult sweep;  // the 2001-point sweep
  PlotGrid grid;      // the plot's frequency grid for the sweep's range
  // Whether the sweep can be placed on the plot's axis; the figures below
  // exist only then.
  bool drawable = false;
  EdgeGains edges;
  HarmonicFigures harmonics;
  std::array<AidSpan, 3> aidBoxes{};
  // The measurement against this design, when one was given.
  std::optional<Comparison> comparison;
};

// Sweeps the design and takes every figure from the sweep. The design is
// not changed (its load termination is taken as the input's, as always).
// With a measurement (referred to the design's termination), the
// comparison leaves out measured transmission below floorDb.
Evaluation Evaluate(const DesignState& design, const GlobalDefaults& defaults,
                    const MeasuredNetwork* measured = nullptr, double floorDb = kDefaultFloorDb);
// The same through a caller's analyser, whose frequency table then serves
// the next evaluation over the same range (component steps, Monte Carlo
// trials). Only the returned value holds figures.
Evaluation Evaluate(const DesignState& design, const GlobalDefaults& defaults,
                    const MeasuredNetwork* measured, double floorDb, Analyzer& workspace);

// Which running worst values an evaluation lowered.
struct WorstHarmonicUpdate {
  bool secondChanged = false;
  bool thirdChanged = false;
};
// Folds an evaluation's harmonic figures into the running worst values:
// each becomes the smaller of the two. An undrawable sweep changes nothing.
WorstHarmonicUpdate TakeWorstHarmonics(const Evaluation& evaluation, PlotState& plot) noexcept;

}  // namespace diruruzevuv::model
