#include "model/circuit/evaluation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "model/plot/plot_geometry.h"

namespace diruruzevuv::model {

namespace {

HarmonicFigures WeakestHarmonics(const DesignState& design, const SweepResult& sweep) noexcept {
  constexpr float kNone = std::numeric_limits<float>::infinity();
  HarmonicFigures weakest{kNone, kNone};
  const HarmonicWindow second = WorstHarmonicWindow(2, design);
  const HarmonicWindow third = WorstHarmonicWindow(3, design);
  const int points = sweep.intervals + 1;
  for (int i = 0; i < points; ++i) {
    const float f = sweep.frequency[i];
    const float attenuation = std::fabs(sweep.gain[i]);
    if (second.Contains(f) && attenuation < weakest.second) weakest.second = attenuation;
    if (third.Contains(f) && attenuation < weakest.third) weakest.third = attenuation;
  }
  return weakest;
}

std::array<double, 3> WorstInBoxes(const std::array<AidSpan, 3>& boxes, const DesignState& design,
                                   Analyzer& swept) noexcept {
  std::array<double, 3> worst{};
  const SweepResult& sweep = swept.Result();  // points stay; only the point results change
  for (int k = 0; k < 3; ++k) {
    const AidSpan& box = boxes[k];
    // The passband box is judged on the reflection, the others on the gain.
    const auto level = [k](double gain, double reflection) { return k == 0 ? reflection : gain; };
    double highest = -std::numeric_limits<double>::infinity();
    for (const double edge : {box.lowHz, box.highHz}) {
      swept.AnalyzePoint(design, edge);
      highest = std::max(highest, level(sweep.pointGain, sweep.pointReflection));
    }
    for (int i = 0; i <= sweep.intervals; ++i) {
      const double f = sweep.frequency[i];
      if (f > box.lowHz && f < box.highHz)
        highest = std::max<double>(highest, level(sweep.gain[i], sweep.reflection[i]));
    }
    worst[k] = highest;
  }
  return worst;
}

}  // namespace

Evaluation Evaluate(const DesignState& design, const GlobalDefaults& defaults,
                    const MeasuredNetwork* measured, double floorDb, Analyzer& workspace) {
  Evaluation out;
  DesignState d = design;
  workspace.RunSweep(d);
  out.sweep = workspace.Result();
  out.grid = ComputePlotGrid(d.SweepStart, d.SweepStop);
  out.aidBoxes = AidSpans(d, defaults);
  out.drawable = SweepDrawable(out.sweep, d);
  // The single points answer even where the sweep could not be drawn; the
  // comparison takes them so.
  const EdgeGains edges = AnalyzeEdges(workspace, d);
  if (out.sweep.valid) {
    out.harmonics = WeakestHarmonics(d, out.sweep);
    out.edges = edges;
    out.boxWorstDb = WorstInBoxes(out.aidBoxes, d, workspace);
  }
  if (measured != nullptr)
    out.comparison = CompareWithDesign(d, out.aidBoxes, edges, workspace, *measured, floorDb);
  return out;
}

Evaluation Evaluate(const DesignState& design, const GlobalDefaults& defaults,
                    const MeasuredNetwork* measured, double floorDb) {
  auto workspace = std::make_unique<Analyzer>();  // large: keep it off the stack
  return Evaluate(design, defaults, measured, floorDb, *workspace);
}

WorstHarmonicUpdate TakeWorstHarmonics(const Evaluation& evaluation, PlotState& plot) noexcept {
  WorstHarmonicUpdate update;
  if (!evaluation.drawable) return update;
  if (evaluation.harmonics.second < plot.worstSecond) {
    plot.worstSecond = evaluation.harmonics.second;
    update.secondChanged = true;
  }
  if (evaluation.harmonics.third < plot.worstThird) {
    plot.worstThird = evaluation.harmonics.third;
    update.thirdChanged = true;
  }
  return update;
}

}  // namespace diruruzevuv::model
