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
#include "model/circuit/band_windows.h"
#include "model/circuit/design_state.h"
#include "model/circuit/global_defaults.h"
#include "model/measurement/comparison.h"
#include "model/measurement/fit.h"
#include "model/measurement/measured_network.h"
#include "model/plot/plot_grid.h"
#include "model/session.h"

namespace diruruzevuv::model {

// The weakest attenuation (positive dB) of one sweep inside the second and
// third harmonic windows; infinite when a window holds no point.
struct HarmonicFigures {
  float second = 0.0f;
  float third = 0.0f;
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
  // The worst level (dB) inside each box, at the sweep's points in it and
  // at the box's own two edges: the highest reflection in the passband
  // box, the highest transmission (weakest attenuation) in each harmonic
  // box. A box is met when this stays at or below its level.
  std::array<double, 3> boxWorstDb{};
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
