#include <benchmark/benchmark.h>

#include "model/analysis.h"
#include "model/design_state.h"

namespace {

using diruruzevuv::model::Analyzer;
using diruruzevuv::model::ApplyDefaultDesign;
using diruruzevuv::model::DesignState;

DesignState TwentyMetres() {
  DesignState design;
  ApplyDefaultDesign(design);
  design.InductorQ = 200.0f;
  design.CapacitorQ = 2000.0f;
  return design;
}

// What every component button and every Monte Carlo trial pays.
void BM_RunSweep(benchmark::State& state) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  for (auto _ : state) {
    analyzer.RunSweep(design);
    benchmark::DoNotOptimize(analyzer.Result().gain.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 2001);
}
BENCHMARK(BM_RunSweep);

// The same with the sweep range changing every time, so the frequency
// table has to be rebuilt on each sweep.
void BM_RunSweepNewRange(benchmark::State& state) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  bool flip = false;
  for (auto _ : state) {
    design.SweepStop = flip ? 50e6f : 51e6f;
    flip = !flip;
    analyzer.RunSweep(design);
    benchmark::DoNotOptimize(analyzer.Result().gain.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 2001);
}
BENCHMARK(BM_RunSweepNewRange);

// One band-edge evaluation, as the plot does twice per redisplay.
void BM_AnalyzePoint(benchmark::State& state) {
  DesignState design = TwentyMetres();
  Analyzer analyzer;
  analyzer.RunSweep(design);
  double f = 14e6;
  for (auto _ : state) {
    benchmark::DoNotOptimize(f);
    analyzer.AnalyzePoint(design, f);
    benchmark::DoNotOptimize(analyzer.Result().pointGain);
  }
}
BENCHMARK(BM_AnalyzePoint);

}  // namespace
