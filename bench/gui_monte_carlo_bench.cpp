#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "gui_bench_support.h"
#include "model/session.h"
#include "platform/dialogs.h"
#include "screens/frm_design.h"
#include "screens/screen_manager.h"

namespace {

using namespace diruruzevuv;

// One complete 201-trial run on the design screen, every trial drawn into
// a 1600 x 1200 backing image and the window repainted once per trial.
void BM_MonteCarloRunDrawn(benchmark::State& state) {
  model::Session session = bench::TwentyMetreSession();
  session.design.CapacitorQ = 1000.0f;
  bench::QuietDialogs dialogs;
  screens::ScreenManager manager(session, dialogs, [] {});
  screens::frmDesign& form = bench::ShowDesignScreen(manager);
  if (form.Surface().Size() != QSize(1600, 1200)) {
    state.SkipWithError("the backing image is not 1600 x 1200");
    return;
  }
  for (auto _ : state) {
    form.findChild<QPushButton*>("cmdMonte")->click();
    benchmark::DoNotOptimize(session.monte.worstPassbandGain);
  }
  state.counters["trials"] = session.monte.trialCount;
}
BENCHMARK(BM_MonteCarloRunDrawn)->Unit(benchmark::kMillisecond);

}  // namespace

// The gui_bench program's main (offscreen QApplication) is in
// gui_redisplay_bench.cpp.
