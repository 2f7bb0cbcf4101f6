#include "model/circuit/evaluation.h"

#include <cmath>
#include <limits>
#include <memory>

#include "model/plot/plot_geometry.h"

namespace diruruzevuv::model {

std::array<AidSpan, 3> AidSpans(const DesignState& design,
                                const GlobalDefaults& defaults) noexcept {
  const float levels[] = {defaults.PassbandBoxDb, defaults.SecondHarmonicBoxDb,
                          defaults.ThirdHarmonicBoxDb};
  const double m = defaults.BandwidthMultiplier;
  std::array<AidSpan, 3> spans{};
  for (int k = 1; k <= 3; ++k) {
    spans[k - 1] = {k, k * static_cast<double>(design.LowerEdge) / m,
                    k * static_cast<double>(design.UpperEdge) * m, levels[k - 1]};
  }
  return spans;
}

HarmonicWindow WorstHarmonicWindow(int harmonic, const DesignState& design) noexcept {
  return {static_cast<float>(harmonic * static_cast<double>(design.LowerEdge)),
          static_cast<float>(harmonic * static_cast<double>(design.UpperEdge))};
}

HarmonicWindow ReportMarkWindow(int harmonic, const DesignState& design) noexcept {
  constexpr double kLow[] = {0.95, 1.9, 2.85};
  constexpr double kHigh[] = {1.05, 2.1, 3.15};
  return {static_cast<float>(kLow[harmonic - 1] * design.LowerEdge),
          static_cast<float>(kHigh[harmonic - 1] * design.UpperEdge)};
}

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
  if (out.sweep.valid) {
    out.harmonics = WeakestHarmonics(d, out.sweep);
    // Lower edge first, as the screen always evaluated them.
    workspace.AnalyzePoint(d, d.LowerEdge);
    out.edges.lower = workspace.Result().pointGain;
    workspace.AnalyzePoint(d, d.UpperEdge);
    out.edges.upper = workspace.Result().pointGain;
  }
  if (measured != nullptr) out.comparison = CompareWithDesign(d, defaults, *measured, floorDb);
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
