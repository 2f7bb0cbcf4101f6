#pragma once

#include "model/analysis.h"
#include "model/design_state.h"
#include "model/session.h"

namespace diruruzevuv::model {

struct WorstHarmonicUpdate {
  bool secondChanged = false;
  bool thirdChanged = false;
};

// Tracks the weakest attenuation inside the 2nd and 3rd harmonic bands
// (2 x LowerEdge < f < 2 x UpperEdge and likewise for 3), as the plot does
// on every sweep point it draws. Does nothing for an invalid sweep.
WorstHarmonicUpdate TrackWorstHarmonics(const DesignState& design, const SweepResult& sweep,
                                        PlotState& plot) noexcept;

struct EdgeGains {
  double lower = 0.0;  // gain in dB at LowerEdge
  double upper = 0.0;  // gain in dB at UpperEdge; left as the point result
};

// AnalyzePoint at LowerEdge, then at UpperEdge (in that order, so the
// analysis' point result afterwards is the upper edge's).
EdgeGains EvaluateBandEdges(Analyzer& analysis, const DesignState& design) noexcept;

// The figures every plot of a sweep takes, drawn or not: the worst
// harmonic attenuations, then the two band edges. A sweep the plot cannot
// place on its axis gives none (taken false) and changes nothing.
struct PlotFigures {
  bool taken = false;
  WorstHarmonicUpdate worst;
  EdgeGains edges;
};
PlotFigures TakePlotFigures(Session& session) noexcept;

}  // namespace diruruzevuv::model
