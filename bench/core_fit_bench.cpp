// Fitting the built values to a 401-point two-port measurement of the
// 20-metre filter with one turn too many on L2, and reading a long file.
#include <benchmark/benchmark.h>

#include <string>

#include "../tests/model/measurement_support.h"
#include "files/touchstone.h"
#include "model/measurement/fit.h"
#include "model/measurement/measured_network.h"

namespace {

using namespace diruruzevuv;

void FitBuiltValues401(benchmark::State& state) {
  const model::DesignState design = diruruzevuv::testing::BandDesign(20);
  model::Ladder built = model::LadderFromDesign(design);
  built.value[model::kL2] *= (15.0 / 14.0) * (15.0 / 14.0);
  diruruzevuv::testing::Synthesis synthesis;
  synthesis.noiseDb = -90.0;
  const auto read =
      files::ParseTouchstone(diruruzevuv::testing::MeasurementText(design, built, synthesis), "b.s2p");
  const model::MeasuredNetwork& measured = *read.network;
  for (auto _ : state) {
    const model::FitResult fit = model::FitBuiltValues(design, measured, model::FitOptions{});
    benchmark::DoNotOptimize(fit.residualDb);
  }
}
BENCHMARK(FitBuiltValues401)->Unit(benchmark::kMillisecond);

// Two parts from the wrong drawer (L1 at 1.6x, C49 at 0.6x): the coarse
// search has to find them before the solver.
void FitTwoGrossErrors401(benchmark::State& state) {
  const model::DesignState design = diruruzevuv::testing::BandDesign(20);
  model::Ladder built = model::LadderFromDesign(design);
  built.value[model::kL1] *= 1.6;
  built.value[model::kC49] *= 0.6;
  diruruzevuv::testing::Synthesis synthesis;
  synthesis.noiseDb = -90.0;
  const auto read =
      files::ParseTouchstone(diruruzevuv::testing::MeasurementText(design, built, synthesis), "b.s2p");
  for (auto _ : state) {
    const model::FitResult fit = model::FitBuiltValues(design, *read.network, model::FitOptions{});
    benchmark::DoNotOptimize(fit.residualDb);
  }
}
BENCHMARK(FitTwoGrossErrors401)->Unit(benchmark::kMillisecond);

void ReadTouchstone100000(benchmark::State& state) {
  std::string text = "# Hz S RI R 50\r\n";
  for (int i = 1; i <= 100000; ++i)
    text += std::to_string(i * 1000) + " 0.123456789 -0.5 0.75 0.25 0.75 0.25 0.1 0.2\r\n";
  for (auto _ : state) {
    const auto read = files::ParseTouchstone(text, "long.s2p");
    benchmark::DoNotOptimize(read.network->frequency.size());
  }
}
BENCHMARK(ReadTouchstone100000)->Unit(benchmark::kMillisecond);

}  // namespace
