#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSize>
#include <cstdlib>
#include <string>

#include "model/design_state.h"
#include "model/session.h"
#include "notation/notation.h"
#include "platform/drawing_surface.h"
#include "platform/recording_canvas.h"
#include "screens/plot.h"
#include "screens/schematic.h"

namespace {

using namespace diruruzevuv;

// Reads the typed boxes back as the design screen does, without widgets.
class ReadBackTarget final : public screens::SchematicTarget {
 public:
  explicit ReadBackTarget(model::DesignState& design) : m_design(design) {}
  void SetField(screens::SchematicField field, const std::string& text) override {
    using F = screens::SchematicField;
    switch (field) {
      case F::Text1:
        m_design.C47 = notation::ParseValue(text);
        break;
      case F::Text3:
        m_design.C48 = notation::ParseValue(text);
        break;
      case F::Text5:
        m_design.C92 = notation::ParseValue(text);
        break;
      case F::Text6:
        m_design.C49 = notation::ParseValue(text);
        break;
      default:
        break;
    }
  }

 private:
  model::DesignState& m_design;
};

model::Session TwentyMetreSession() {
  model::Session session;
  model::ApplyDefaultDesign(session.design);
  session.design.InductorQ = 200.0f;
  session.design.CapacitorQ = 1000.0f;
  session.defaults = {-20.0f, -28.0f, -35.0f, 1.05f, 6, -60.0f};
  return session;
}

// The full redisplay of the design screen (Schematic, RunSweep, Plot) into
// the window's backing image at 1600 x 1200 pixels, antialiased.
void BM_RedisplayIntoBackingImage(benchmark::State& state) {
  model::Session session = TwentyMetreSession();
  ReadBackTarget target(session.design);
  platform::DrawingSurface surface(QSize(1600, 1200));
  for (auto _ : state) {
    screens::DrawDesignSchematic(surface, session, target);
    session.analysis.RunSweep(session.design);
    const screens::PlotLabels labels = screens::Plot(surface, session, 12000.0);
    benchmark::DoNotOptimize(labels);
  }
}
BENCHMARK(BM_RedisplayIntoBackingImage)->Unit(benchmark::kMillisecond);

// Plot alone, drawn into the backing image over a fresh schematic.
void BM_PlotIntoBackingImage(benchmark::State& state) {
  model::Session session = TwentyMetreSession();
  ReadBackTarget target(session.design);
  platform::DrawingSurface surface(QSize(1600, 1200));
  session.analysis.RunSweep(session.design);
  for (auto _ : state) {
    state.PauseTiming();
    screens::DrawDesignSchematic(surface, session, target);
    state.ResumeTiming();
    const screens::PlotLabels labels = screens::Plot(surface, session, 12000.0);
    benchmark::DoNotOptimize(labels);
  }
}
BENCHMARK(BM_PlotIntoBackingImage)->Unit(benchmark::kMillisecond);

// The drawing code's own cost: Plot into a canvas that only records.
void BM_PlotRecordingOnly(benchmark::State& state) {
  model::Session session = TwentyMetreSession();
  session.analysis.RunSweep(session.design);
  platform::RecordingCanvas canvas;
  for (auto _ : state) {
    canvas.Reset();
    const screens::PlotLabels labels = screens::Plot(canvas, session, 12000.0);
    benchmark::DoNotOptimize(labels);
  }
}
BENCHMARK(BM_PlotRecordingOnly)->Unit(benchmark::kMicrosecond);

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
