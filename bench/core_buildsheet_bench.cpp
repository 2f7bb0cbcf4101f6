// The buildable design search over E24 values on the 20-metre preset with
// the shipped Q values and boxes; the target is under one second.
#include <benchmark/benchmark.h>

#include "model/circuit/analysis.h"
#include "model/build/buildable_search.h"

namespace {

using namespace diruruzevuv::model;

// The 20-metre preset with the shipped Q values, at 50 ohm.
DesignState TwentyMetres() {
  DesignState design;
  ApplyDefaultDesign(design);
  design.InductorQ = 200.0f;
  design.CapacitorQ = 2000.0f;
  SetTermination(design, 50.0f);
  return design;
}

void BM_BuildableSearchE24(benchmark::State& state) {
  const DesignState design = TwentyMetres();
  GlobalDefaults defaults;
  defaults.PassbandBoxDb = -20.0f;
  defaults.SecondHarmonicBoxDb = -35.0f;
  defaults.ThirdHarmonicBoxDb = -35.0f;
  defaults.BandwidthMultiplier = 1.01f;
  for (auto _ : state) {
    const BuildableProposal p = SearchBuildable(design, defaults, ESeries::kE24, {});
    benchmark::DoNotOptimize(p.proposalFigures);
  }
}
BENCHMARK(BM_BuildableSearchE24)->Unit(benchmark::kMillisecond);

// The reference: one 2001-point sweep of the same design, as every
// component step runs it.
void BM_SweepReference(benchmark::State& state) {
  DesignState design = TwentyMetres();
  Analyzer analysis;
  for (auto _ : state) {
    analysis.RunSweep(design);
    benchmark::DoNotOptimize(analysis.Result().gain[1000]);
  }
}
BENCHMARK(BM_SweepReference)->Unit(benchmark::kMillisecond);

}  // namespace
