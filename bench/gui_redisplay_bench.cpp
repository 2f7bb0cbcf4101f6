// The design screen's full redisplay (Schematic, RunSweep, Plot) into the
// window's backing image at 1600 x 1200 with antialiasing: every step
// button and spinner click pays this.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>

#include "gui_bench_support.h"
#include "model/circuit/design_state.h"
#include "model/circuit/evaluation.h"
#include "model/session.h"
#include "platform/dialogs.h"
#include "platform/drawing_surface.h"
#include "platform/screen_geometry.h"
#include "screens/frm_design.h"
#include "screens/plot.h"
#include "drawing/schematic.h"
#include "screens/screen_manager.h"

namespace {

using namespace diruruzevuv;
using bench::QuietDialogs;
using bench::TwentyMetreSession;

class IgnoreFields final : public drawing::SchematicTarget {
 public:
  void SetField(drawing::SchematicField, const std::string&) override {}
};

// The drawing alone: the backing image, no widgets.
void BM_RedisplayIntoBackingImage(benchmark::State& state) {
  model::Session session = TwentyMetreSession();
  platform::DrawingSurface surface(QSize(1600, 1200));
  surface.SetFontSize(platform::ScreenGeometry::FontPoints(0.001));
  IgnoreFields fields;
  for (auto _ : state) {
    drawing::DrawDesignSchematic(surface, session, fields);
    const model::Evaluation evaluation = model::Evaluate(session.design, session.defaults, nullptr,
                                                         model::kDefaultFloorDb, session.analysis);
    benchmark::DoNotOptimize(
        screens::Plot(surface, session, evaluation, platform::ScreenGeometry::kDisplayWidthTwips));
  }
}
BENCHMARK(BM_RedisplayIntoBackingImage)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PartSweep(benchmark::State& state) {
  model::Session session = TwentyMetreSession();
  for (auto _ : state) session.analysis.RunSweep(session.design);
}
BENCHMARK(BM_PartSweep)->Unit(benchmark::kMillisecond);

void BM_PartSchematic(benchmark::State& state) {
  model::Session session = TwentyMetreSession();
  platform::DrawingSurface surface(QSize(1600, 1200));
  IgnoreFields fields;
  for (auto _ : state) drawing::DrawDesignSchematic(surface, session, fields);
}
BENCHMARK(BM_PartSchematic)->Unit(benchmark::kMillisecond);

void BM_PartPlot(benchmark::State& state) {
  model::Session session = TwentyMetreSession();
  platform::DrawingSurface surface(QSize(1600, 1200));
  const model::Evaluation evaluation = model::Evaluate(session.design, session.defaults);
  for (auto _ : state) {
    surface.Clear();
    screens::Plot(surface, session, evaluation, 12000);
  }
}
BENCHMARK(BM_PartPlot)->Unit(benchmark::kMillisecond);

void BM_PartSimplify(benchmark::State& state) {
  model::Session session = TwentyMetreSession();
  session.analysis.RunSweep(session.design);
  const auto& r = session.analysis.Result();
  QVector<QPointF> source;
  for (int i = 0; i <= 2000; ++i) {
    source.push_back(
        QPointF(800 + 667.0 * i / 2000, 67 + 467 * std::min(1.0f, -r.gain[i] / 60.0f)));
  }
  qsizetype kept = 0;
  for (auto _ : state) {
    QVector<QPointF> copy = source;
    kept = platform::SimplifyPolyline(copy, 0.1);
  }
  state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(BM_PartSimplify)->Unit(benchmark::kMillisecond);

void BM_PartClear(benchmark::State& state) {
  platform::DrawingSurface surface(QSize(1600, 1200));
  for (auto _ : state) surface.Clear();
}
BENCHMARK(BM_PartClear)->Unit(benchmark::kMillisecond);

// The design screen's Redisplay with its boxes and labels.
void BM_DesignScreenRedisplay(benchmark::State& state) {
  model::Session session = TwentyMetreSession();
  QuietDialogs dialogs;
  screens::ScreenManager manager(session, dialogs, [] {});
  manager.SetShowScreens(false);
  manager.ShowDesign();
  screens::frmDesign* form = manager.Design();
  form->show();
  form->resize(1600, 1200);
  QCoreApplication::processEvents();
  if (form->Surface().Size() != QSize(1600, 1200)) {
    state.SkipWithError("the backing image did not follow the window");
    return;
  }
  for (auto _ : state) form->Redisplay();
}
BENCHMARK(BM_DesignScreenRedisplay)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
