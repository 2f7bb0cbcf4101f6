#include "model/worst_case.h"

#include <cmath>

#include "model/plot_geometry.h"

namespace diruruzevuv::model {

WorstHarmonicUpdate TrackWorstHarmonics(const DesignState& design, const SweepResult& sweep,
                                        PlotState& plot) noexcept {
  WorstHarmonicUpdate update;
  if (!sweep.valid) return update;
  const float low2 = static_cast<float>(2.0 * design.LowerEdge);
  const float high2 = static_cast<float>(2.0 * design.UpperEdge);
  const float low3 = static_cast<float>(3.0 * design.LowerEdge);
  const float high3 = static_cast<float>(3.0 * design.UpperEdge);
  const int points = sweep.intervals + 1;
  for (int i = 0; i < points; ++i) {
    const float f = sweep.frequency[i];
    const float attenuation = std::fabs(sweep.gain[i]);
    if (low2 < f && f < high2 && attenuation < plot.worstSecond) {
      plot.worstSecond = attenuation;
      update.secondChanged = true;
    }
    if (low3 < f && f < high3 && attenuation < plot.worstThird) {
      plot.worstThird = attenuation;
      update.thirdChanged = true;
    }
  }
  return update;
}

EdgeGains EvaluateBandEdges(Analyzer& analysis, const DesignState& design) noexcept {
  EdgeGains gains;
  analysis.AnalyzePoint(design, design.LowerEdge);
  gains.lower = analysis.Result().pointGain;
  analysis.AnalyzePoint(design, design.UpperEdge);
  gains.upper = analysis.Result().pointGain;
  return gains;
}

PlotFigures TakePlotFigures(Session& session) noexcept {
  PlotFigures figures;
  const SweepResult& sweep = session.analysis.Result();
  if (!SweepDrawable(sweep, session.design)) return figures;
  figures.taken = true;
  figures.worst = TrackWorstHarmonics(session.design, sweep, session.plot);
  figures.edges = EvaluateBandEdges(session.analysis, session.design);
  return figures;
}

}  // namespace diruruzevuv::model
