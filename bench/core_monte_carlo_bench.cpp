#include <benchmark/benchmark.h>

#include "model/circuit/adjustment.h"
#include "model/circuit/design_state.h"
#include "model/circuit/monte_carlo.h"
#include "model/session.h"

namespace {

using namespace diruruzevuv::model;

// One complete 201-trial run on the 20-metre design, nothing drawn.
void BM_MonteCarloRunWithoutDrawing(benchmark::State& state) {
  Session session;
  ApplyDefaultDesign(session.design);
  session.design.InductorQ = 200.0f;
  session.design.CapacitorQ = 1000.0f;
  ValueBoxes boxes;
  WriteValueBoxes(boxes, session.design);
  for (auto _ : state) {
    WorstCaseLabels labels;
    RunMonteCarloWithoutDrawing(session, boxes, labels);
    benchmark::DoNotOptimize(labels);
  }
}
BENCHMARK(BM_MonteCarloRunWithoutDrawing)->Unit(benchmark::kMillisecond);

}  // namespace
