// Reading a design file, now that every read also checks that the design
// can be analysed; and the check on its own.
#include <benchmark/benchmark.h>

#include <string>

#include "files/design_file.h"
#include "model/circuit/analysis_problem.h"
#include "model/notifier.h"

namespace {

using namespace diruruzevuv;

// The built-in 20-metre design as "Save file" writes it.
std::string PresetText() {
  model::DesignState design;
  model::ApplyDefaultDesign(design);
  return files::DesignText(design, files::FileKind::kDesign, "/home/me/20m.TXT", "2026-12-06");
}

void BM_ReadDesignText(benchmark::State& state) {
  const std::string text = PresetText();
  model::SilentNotifier quiet;
  model::DesignState design;
  for (auto _ : state) {
    benchmark::DoNotOptimize(files::ReadDesignText(text, design, quiet));
  }
}
BENCHMARK(BM_ReadDesignText);

void BM_DescribeUnanalysable(benchmark::State& state) {
  model::DesignState design;
  model::ApplyDefaultDesign(design);
  design.InductorQ = 200.0f;
  design.CapacitorQ = 2000.0f;
  for (auto _ : state) benchmark::DoNotOptimize(model::DescribeUnanalysable(design));
}
BENCHMARK(BM_DescribeUnanalysable);

}  // namespace
