#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "model/session.h"
#include "platform/dialogs.h"
#include "screens/frm_design.h"
#include "screens/screen_manager.h"

namespace {

using namespace diruruzevuv;

class QuietDialogs final : public platform::Dialogs {
 public:
  void MessageWithTitle(const std::string&, const std::string&) override {}
  void Beep() override {}
  std::string OpenFile(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::string SaveFile(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
};

// One complete 201-trial run on the design screen, every trial drawn into
// a 1600 x 1200 backing image and the window repainted once per trial.
void BM_MonteCarloRunDrawn(benchmark::State& state) {
  model::Session session;
  model::ApplyDefaultDesign(session.design);
  session.design.InductorQ = 200.0f;
  session.design.CapacitorQ = 1000.0f;
  session.defaults = {-20.0f, -35.0f, -35.0f, 1.01f, 6, -60.0f};
  QuietDialogs dialogs;
  screens::ScreenManager manager(session, dialogs, [] {});
  manager.SetShowScreens(false);
  manager.ShowDesign();
  screens::frmDesign& form = *manager.Design();
  form.resize(1600, 1200);
  form.show();
  QCoreApplication::processEvents();
  if (form.Surface().Size() != QSize(1600, 1200)) {
    state.SkipWithError("the backing image is not 1600 x 1200");
    return;
  }
  for (auto _ : state) {
    form.cmdMonte->click();
    benchmark::DoNotOptimize(session.monte.worstPassbandGain);
  }
  state.counters["trials"] = session.monte.trialCount;
}
BENCHMARK(BM_MonteCarloRunDrawn)->Unit(benchmark::kMillisecond);

}  // namespace

// The gui_bench program's main (offscreen QApplication) is in
// gui_redisplay_bench.cpp.
