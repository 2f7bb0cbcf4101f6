// Writing the 6003 numbers of one sweep: the tool's writer against the
// standard library's general formatter with the same digits.
#include <benchmark/benchmark.h>

#include <charconv>

#include "model/circuit/analysis.h"
#include "model/circuit/design_state.h"
#include "notation/float_digits.h"

namespace {

using namespace diruruzevuv;

const model::SweepResult& Sweep() {
  static model::Analyzer analyzer;
  static bool done = false;
  if (!done) {
    model::DesignState design;
    model::ApplyDefaultDesign(design);
    design.InductorQ = 200.0f;
    design.CapacitorQ = 2000.0f;
    design.InputTermination = design.LoadTermination = 50.0f;
    analyzer.RunSweep(design);
    done = true;
  }
  return analyzer.Result();
}

template <typename Write>
void WriteSweep(benchmark::State& state, Write write) {
  const model::SweepResult& r = Sweep();
  char buffer[64];
  for (auto _ : state) {
    std::size_t length = 0;
    for (int i = 0; i <= r.intervals; ++i)
      for (float v : {r.frequency[i], r.gain[i], r.reflection[i]})
        length += static_cast<std::size_t>(write(buffer, v) - buffer);
    benchmark::DoNotOptimize(length);
  }
  state.SetItemsProcessed(state.iterations() * 3 * (r.intervals + 1));
}

void BM_WriteFloat9(benchmark::State& state) {
  WriteSweep(state, [](char* out, float v) { return notation::WriteFloat9(out, v); });
}
void BM_ToCharsGeneral9(benchmark::State& state) {
  WriteSweep(state, [](char* out, float v) {
    return std::to_chars(out, out + 64, v, std::chars_format::general, 9).ptr;
  });
}

BENCHMARK(BM_WriteFloat9);
BENCHMARK(BM_ToCharsGeneral9);

}  // namespace
