// Reading a working folder's core catalogue of 5,000 rows, every name new
// and then every name again (each row replacing a known core); the target
// is well under one second.
#include <benchmark/benchmark.h>

#include <string>

#include "files/core_catalogue.h"

namespace {

using namespace diruruzevuv;

std::string Rows(int count) {
  std::string text = "* a large working-folder catalogue\r\n";
  for (int i = 0; i < count; ++i)
    text += "T" + std::to_string(i) +
            "-2, iron powder mix 2, 4.9, 12.70, 7.62, 4.83, 5, 0.25, 10, " + "row " +
            std::to_string(i) + "\r\n";
  return text;
}

void BM_CoreCatalogueRows(benchmark::State& state) {
  const std::string text = Rows(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    model::CoreCatalogue catalogue;
    files::AddCoreRows(text, "DIRUruzevuvCores.TXT", catalogue);
    files::AddCoreRows(text, "DIRUruzevuvCores.TXT", catalogue);
    benchmark::DoNotOptimize(catalogue.cores.data());
  }
}
BENCHMARK(BM_CoreCatalogueRows)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
