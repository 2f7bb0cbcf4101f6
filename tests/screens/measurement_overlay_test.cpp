// The measured filter over the design screen's plot and the report's:
// through the recording canvas, and on the design screen as a user works it.
#include "screens/measurement_overlay.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "../files/test_support.h"
#include "../model/measurement_support.h"
#include "../platform/canvas_checks.h"
#include "files/touchstone.h"
#include "model/plot_geometry.h"
#include "notation/notation.h"
#include "platform/recording_canvas.h"
#include "report/report.h"
#include "screens/fit_dialog.h"
#include "screens/measurement_control.h"
#include "screens/plot.h"
#include "design_screen.h"

namespace diruruzevuv::screens {
namespace {

namespace fs = std::filesystem;
using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;
using testing::HasText;
using testing::Strokes;

bool Inside(const Op& op, const model::PlotFrame& f) {
  auto in = [&](platform::GridPoint p) {
    return p.x >= f.left && p.x <= f.right && p.y >= f.top && p.y <= f.bottom;
  };
  return in(op.a) && (op.kind != Kind::Line || in(op.b));
}

// The measurement of a design built as designed, from the given span.
model::ShownMeasurement Shown(const model::DesignState& design, testing::Synthesis synthesis,
                              const char* name = "built.s2p") {
  const files::TouchstoneRead read = files::ParseTouchstone(
      testing::MeasurementText(design, model::DesignParts(design), synthesis), name);
  model::ShownMeasurement shown;
  shown.measuredOhms = read.network->referenceOhms;
  EXPECT_TRUE(model::Renormalise(*read.network, design.InputTermination, shown.network));
  return shown;
}

model::Session SweptSession(const model::DesignState& design) {
  model::Session s;
  s.design = design;
  s.defaults = {-20.0f, -35.0f, -35.0f, 1.01f, 6, -60.0f};
  s.analysis.RunSweep(s.design);
  s.plot.grid = model::ComputePlotGrid(s.design.SweepStart, s.design.SweepStop);
  return s;
}

TEST(MeasurementOverlayTest, ScreenPlotDrawsBothCurvesClippedWithTheLegend) {
  model::Session s = SweptSession(testing::BandDesign(20));
  testing::Synthesis wide;  // from 1 to 100 MHz: beyond the plot on both sides
  wide.start = 1e6;
  wide.stop = 1e8;
  s.measurement = Shown(s.design, wide);
  RecordingCanvas canvas;
  const PlotLabels labels = Plot(canvas, s, 12000.0);
  const auto s21 = Strokes(canvas, kMeasuredTransmissionColour);
  const auto s11 = Strokes(canvas, kMeasuredReflectionColour);
  const std::size_t inside = static_cast<std::size_t>(std::count_if(
      s.measurement->network.frequency.begin(), s.measurement->network.frequency.end(),
      [](double f) { return f >= 5e6 && f <= 5e7; }));
  // One Line and then a LineTo per further point inside the sweep.
  ASSERT_EQ(s21.size(), inside - 1);
  ASSERT_EQ(s11.size(), inside - 1);
  EXPECT_EQ(s21.front().lineWidth, 2.0);
  EXPECT_EQ(s11.front().lineWidth, 1.0);
  for (const Op& op : s21) EXPECT_TRUE(Inside(op, model::kScreenPlotFrame));
  for (const Op& op : s11) EXPECT_TRUE(Inside(op, model::kScreenPlotFrame));
  // Deep in the stop band the measured transmission lies on the floor.
  EXPECT_TRUE(std::any_of(s21.begin(), s21.end(), [](const Op& op) { return op.a.y == 4000.0; }));
  EXPECT_TRUE(HasText(canvas, "Measured: built.s2p (green S21, violet S11)"));
  EXPECT_FALSE(HasText(canvas, "Measured at 50 ohm, judged at 50 ohm"));
  // Text inside the plot's bottom left corner; none while a Monte Carlo
  // run draws its trials over the legend drawn before it.
  for (const Op& text : canvas.OfKind(Kind::Text)) {
    if (text.text.rfind("Measured", 0) == 0) {
      EXPECT_TRUE(text.a.x > 6000.0 && text.a.y > 3000.0 && text.a.y < 4000.0);
    }
  }
  s.monte.running = true;
  s.monte.trialCount = 0;  // the run's first, nominal drawing has it
  RecordingCanvas first;
  Plot(first, s, 12000.0);
  EXPECT_TRUE(HasText(first, "Measured: built.s2p (green S21, violet S11)"));
  s.monte.trialCount = 1;
  RecordingCanvas trial;
  Plot(trial, s, 12000.0);
  EXPECT_FALSE(HasText(trial, "Measured: built.s2p (green S21, violet S11)"));
  EXPECT_FALSE(Strokes(trial, kMeasuredTransmissionColour).empty());
  // The measured losses stand beside the computed ones.
  EXPECT_EQ(labels.measuredLoss.substr(0, 28), "Measured loss at 14MHz: 0.13")
      << labels.measuredLoss;
  EXPECT_NE(labels.measuredLoss.find("dB\nMeasured loss at 14.35MHz: 0.14"), std::string::npos)
      << labels.measuredLoss;
}

TEST(MeasurementOverlayTest, OnePortAndReferredFilesSayWhatTheyShow) {
  model::Session s = SweptSession(testing::WizardDesign12());
  testing::Synthesis onePort;
  onePort.twoPort = false;
  s.measurement = Shown(s.design, onePort, "reflection.s1p");
  RecordingCanvas canvas;
  const PlotLabels labels = Plot(canvas, s, 12000.0);
  EXPECT_TRUE(Strokes(canvas, kMeasuredTransmissionColour).empty());
  EXPECT_FALSE(Strokes(canvas, kMeasuredReflectionColour).empty());
  EXPECT_TRUE(HasText(canvas, "Measured: reflection.s1p (violet S11)"));
  EXPECT_TRUE(HasText(canvas, "Measured at 50 ohm, judged at 12.5 ohm"));
  EXPECT_EQ(labels.measuredLoss, "");
}

TEST(MeasurementOverlayTest, ReportDrawsTheMeasurementAndIsUnchangedWithout) {
  model::Session s = SweptSession(testing::BandDesign(20));
  const report::ReportOptions options{12000, "06.12.2026"};
  RecordingCanvas before;
  report::DrawReport(before, s, options);

  s.measurement = Shown(s.design, {});
  RecordingCanvas with;
  report::DrawReport(with, s, options);
  const auto s21 = Strokes(with, kMeasuredTransmissionColour);
  ASSERT_GT(s21.size(), 300u);
  for (const Op& op : s21) EXPECT_TRUE(Inside(op, model::kReportPlotFrame));
  EXPECT_EQ(s21.front().lineWidth, 9.0);
  EXPECT_TRUE(HasText(with, "Measured: built.s2p (green S21, violet S11)"));
  EXPECT_TRUE(HasText(with, "Measured: built.s2p"));
  const auto texts = with.Texts();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
    return t.rfind("Measured loss at lower edge: ", 0) == 0 && t.back() == 'B';
  }));

  s.measurement.reset();
  RecordingCanvas after;
  report::DrawReport(after, s, options);
  ASSERT_EQ(after.Ops().size(), before.Ops().size());
  for (std::size_t i = 0; i < before.Ops().size(); ++i) {
    const Op& a = before.Ops()[i];
    const Op& b = after.Ops()[i];
    EXPECT_TRUE(a.kind == b.kind && a.a == b.a && a.b == b.b && a.colour == b.colour &&
                a.text == b.text && a.value == b.value)
        << "operation " << i;
  }
}

// The design screen as a user works it.
class MeasurementScreenTest : public ::testing::Test, public testing::DesignScreen {
 protected:
  MeasurementScreenTest() { PartValuesFile(); }
  void PartValuesFile() {
    model::PartValues built = model::DesignParts(session.design);
    built[model::kPartC48] *= 1.05;
    testing::Synthesis synthesis;
    synthesis.noiseDb = -90.0;
    testing::WriteText(measured, testing::MeasurementText(session.design, built, synthesis));
  }
  bool Drawn() {
    RecordingCanvas canvas;
    Plot(canvas, session, 12000.0);
    return !Strokes(canvas, kMeasuredTransmissionColour).empty();
  }
  // Runs the context-menu entry with this text at the middle of the plot.
  void Choose(const QString& entry) {
    std::unique_ptr<QMenu> menu(Form().Measurement().MenuAt({8500.0, 2000.0}));
    ASSERT_TRUE(menu);
    for (QAction* action : menu->actions()) {
      if (action->text() == entry) {
        ASSERT_TRUE(action->isEnabled()) << entry.toStdString();
        action->trigger();
        return;
      }
    }
    FAIL() << "no entry " << entry.toStdString();
  }

  fs::path measured = dir / "built.s2p";
};

TEST_F(MeasurementScreenTest, StaysThroughReplotsUntilRemovedOrTheScreenIsLeft) {
  dialogs.answers.push_back(measured.string());
  Choose("Load measured filter...");
  ASSERT_TRUE(session.measurement);
  EXPECT_TRUE(Drawn());
  EXPECT_FALSE(Form().Measurement().lblMeasuredLoss->isHidden());
  Form().findChild<QPushButton*>("cmdC48plus")->click();
  Form().findChild<QPushButton*>("cmdAccept")->click();
  EXPECT_TRUE(session.measurement && Drawn());
  Choose("Remove measurement");
  EXPECT_FALSE(session.measurement);
  EXPECT_FALSE(Drawn());
  EXPECT_TRUE(Form().Measurement().lblMeasuredLoss->isHidden());

  EXPECT_TRUE(Form().Measurement().Load(measured.string()));
  Form().findChild<QPushButton*>("cmdRestart")->click();
  Settle();
  EXPECT_FALSE(session.measurement);
  EXPECT_FALSE(Drawn());
}

TEST_F(MeasurementScreenTest, ADroppedFileIsShownAndABrokenOneChangesNothing) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(measured.string()))});
  // As a drop arrives: the drag enters the window (which takes it), then drops.
  QDragEnterEvent enter(QPoint(700, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Form(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(700, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Form(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  ASSERT_TRUE(session.measurement);
  EXPECT_EQ(session.measurement->network.name, "built.s2p");

  testing::WriteText(dir / "broken.s2p", "# Hz S RI R 50\r\n1 0 0\r\n");
  EXPECT_FALSE(Form().Measurement().Load((dir / "broken.s2p").string()));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0],
            "broken.s2p, line 2: wrong count of numbers: 9 are needed for each frequency");
  EXPECT_EQ(session.measurement->network.name, "built.s2p");
}

TEST_F(MeasurementScreenTest, MenuOnlyOverThePlotAndOnlyWhatApplies) {
  EXPECT_EQ(Form().Measurement().MenuAt({3000.0, 2000.0}), nullptr);
  std::unique_ptr<QMenu> menu(Form().Measurement().MenuAt({6001.0, 3999.0}));
  ASSERT_TRUE(menu);
  QStringList enabled;
  for (QAction* a : menu->actions())
    if (!a->isSeparator() && a->isEnabled()) enabled << a->text();
  EXPECT_EQ(enabled, QStringList({"Load measured filter...", "Measure with analyser...", "Repeat",
                                  "Save plot as PNG...", "Save computed response as CSV...",
                                  "Export response as Touchstone...", "Build sheet..."}));
}

TEST_F(MeasurementScreenTest, SavesThePlotAndTheComputedResponse) {
  const std::string png = (dir / "plot.png").string();
  const std::string csv = (dir / "response.csv").string();
  dialogs.answers = {png, csv};
  Choose("Save plot as PNG...");
  Choose("Save computed response as CSV...");
  const QImage image(QString::fromStdString(png));
  ASSERT_FALSE(image.isNull());
  EXPECT_GT(image.width(), 100);
  const std::string text = testing::ReadText(csv);
  EXPECT_EQ(text.substr(0, 35), "frequency_hz,gain_db,reflection_db\n");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2002);  // the shared writer's format
  EXPECT_TRUE(dialogs.messages.empty());
  // A folder that does not exist: a message, no file.
  const std::string nowhere = (dir / "missing" / "response.csv").string();
  dialogs.answers = {nowhere};
  Choose("Save computed response as CSV...");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].rfind("Cannot write " + nowhere, 0), 0u) << dialogs.messages[0];
  EXPECT_FALSE(fs::exists(nowhere));
}

// A name typed without an ending gets ".s2p"; the file is the design's
// response, which the program reads back.
TEST_F(MeasurementScreenTest, ExportsTheResponseAsTouchstone) {
  dialogs.answers = {(dir / "filter").string()};
  Choose("Export response as Touchstone...");
  EXPECT_TRUE(dialogs.messages.empty());
  const files::TouchstoneRead read = files::ReadTouchstoneFile(dir / "filter.s2p");
  ASSERT_TRUE(read.network) << read.error.Text();
  EXPECT_EQ(read.network->ports, 2);
  EXPECT_EQ(read.network->frequency.size(), 2001u);
  EXPECT_EQ(read.network->referenceOhms[0], session.design.InputTermination);
}

// The fit dialog changes the design only when asked to.
TEST_F(MeasurementScreenTest, FitDialogChangesTheDesignOnlyWhenAsked) {
  ASSERT_TRUE(Form().Measurement().Load(measured.string()));
  const float c48 = session.design.C48;
  QString shown;
  auto answer = [&](const char* button) {
    QTimer::singleShot(0, [&shown, button] {
      auto* dialog = qobject_cast<FitDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      shown = dialog->table->toPlainText();
      dialog->findChild<QPushButton*>(button)->click();
    });
  };
  answer("cmdClose");
  Choose("Fit built values...");
  EXPECT_EQ(session.design.C48, c48);
  EXPECT_NE(shown.indexOf("C48"), -1);
  EXPECT_NE(shown.indexOf("exceeds both 3 % and twice its uncertainty.\nOff: C48\n"), -1)
      << shown.toStdString();

  answer("cmdUse");
  Choose("Fit built values...");
  EXPECT_NEAR(session.design.C48, c48 * 1.05f, c48 * 0.005f);
  EXPECT_EQ(Form().findChild<QLineEdit*>("Text3")->text().toStdString(),
            notation::FormatCapacitance(session.design.C48));
}

}  // namespace
}  // namespace diruruzevuv::screens
