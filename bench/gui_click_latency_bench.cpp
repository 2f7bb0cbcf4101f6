// How long a click on a step button waits for its answer (the design
// changed and the screen redrawn) while "Repeat" sweeps a paced emulator
// and every sweep is fitted, beside the same click with nothing running.
// The click arrives from another thread at uneven moments, so it can land
// in the middle of a sweep's redisplay or a fit's.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "analyser_emulator/analyser_emulator.h"
#include "gui_bench_support.h"
#include "screens/analyser_control.h"
#include "screens/frm_design.h"
#include "screens/live_advice.h"
#include "screens/measurement_control.h"
#include "screens/screen_manager.h"

namespace {

using namespace diruruzevuv;
using Clock = std::chrono::steady_clock;

// Quiet dialogs that name the emulator's port when asked for one.
class PortDialogs final : public bench::QuietDialogs {
 public:
  explicit PortDialogs(std::string port) : m_port(std::move(port)) {}
  std::string ChooseItem(const std::string&, const std::string&, const std::vector<std::string>&,
                         const std::string&) override {
    return m_port;
  }

 private:
  std::string m_port;
};

bool RunUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
  const auto end = Clock::now() + limit;
  while (!done() && Clock::now() < end) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

void PostClick(QPushButton* button) {
  const QPointF at(button->width() / 2.0, button->height() / 2.0);
  const QPointF global = button->mapToGlobal(at);
  QCoreApplication::postEvent(
      button, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier));
  QCoreApplication::postEvent(
      button, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                              Qt::NoModifier));
}

void BM_ClickLatency(benchmark::State& state, bool repeating) {
  // About a fifth of a second a sweep: several sweeps and fits a second.
  testing::AnalyserEmulator emulator({.bytesPerSecond = 40000.0});
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("diru-click-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  model::Session session = bench::TwentyMetreSession();
  session.locations.workDir = dir;
  PortDialogs dialogs(emulator.Port());
  screens::ScreenManager manager(session, dialogs, [] {});
  screens::frmDesign& form = bench::ShowDesignScreen(manager);
  screens::AnalyserControl& analyser = form.Measurement().Analyser();
  if (repeating) {
    analyser.StartRepeating();
    if (!RunUntil([&] { return analyser.Advice().FitsDone() >= 1; }, std::chrono::seconds(20))) {
      state.SkipWithError("no fit from the emulator's sweeps");
      return;
    }
  }
  auto* plus = form.findChild<QPushButton*>("cmdC48plus");
  auto* minus = form.findChild<QPushButton*>("cmdC48minus");
  double worst = 0.0;
  unsigned gap = 7;
  bool up = true;
  for (auto _ : state) {
    QPushButton* button = up ? plus : minus;  // the design returns every other click
    up = !up;
    gap = (gap * 37 + 11) % 97;  // 20 to 116 ms between clicks, unevenly
    bool answered = false;
    Clock::time_point sent, done;
    const auto connection = QObject::connect(button, &QPushButton::clicked, [&] {
      done = Clock::now();
      answered = true;
    });
    std::thread clicker([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20 + gap));
      sent = Clock::now();
      PostClick(button);
    });
    while (!answered) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    clicker.join();
    QObject::disconnect(connection);
    const double seconds = std::chrono::duration<double>(done - sent).count();
    worst = std::max(worst, seconds);
    state.SetIterationTime(seconds);
  }
  state.counters["worst_ms"] = worst * 1000.0;
  state.counters["sweeps"] = analyser.SweepsDone();
  state.counters["fits"] = analyser.Advice().FitsDone();
  analyser.Stop();
  RunUntil([&] { return !analyser.Busy(); }, std::chrono::seconds(10));
  std::filesystem::remove_all(dir);
}
BENCHMARK_CAPTURE(BM_ClickLatency, idle, false)
    ->UseManualTime()
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ClickLatency, repeating, true)
    ->UseManualTime()
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond);

}  // namespace

// The gui_bench program's main (offscreen QApplication) is in
// gui_redisplay_bench.cpp.
