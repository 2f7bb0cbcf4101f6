// "Measure with analyser...", "Repeat" and "Save measurement as
// Touchstone..." on the design screen, against the emulator.
#include "screens/analyser_control.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "analyser_emulator/analyser_emulator.h"
#include "design_screen.h"
#include "files/settings_file.h"
#include "screens/calibration_dialog.h"
#include "screens/live_advice.h"

namespace diruruzevuv::screens {
namespace {

using testing::EmulatedKind;

// Runs the event loop until done() holds; false after ten seconds.
bool WaitUntil(const std::function<bool()>& done) {
  return QTest::qWaitFor(done, 10000);
}

class AnalyserScreenTest : public ::testing::Test, public testing::DesignScreen {
 protected:
  AnalyserControl& Analyser() { return Form().Measurement().Analyser(); }
};

TEST_F(AnalyserScreenTest, MeasuresRepeatsWhileTheWindowAnswersAndSaves) {
  // Paced so that a sweep lasts a few tenths of a second.
  testing::AnalyserEmulator emulator(
      {EmulatedKind::kH4, testing::EmulatedFault::kNone, 5, 30000.0});
  dialogs.answers.push_back(emulator.Port());
  Choose("Measure with analyser...");
  EXPECT_EQ(files::ReadSettingsFile(dir / files::kSettingsFileName).Get("analyser.port"),
            emulator.Port());
  ASSERT_TRUE(Analyser().Busy());
  EXPECT_FALSE(Analyser().barSweep->isHidden());
  ASSERT_TRUE(WaitUntil([&] { return !Analyser().Busy(); }));
  EXPECT_TRUE(Analyser().barSweep->isHidden());
  ASSERT_TRUE(session.measurement);
  EXPECT_EQ(session.measurement->network.name, emulator.Port());
  EXPECT_EQ(session.measurement->network.frequency.size(), 401u);
  EXPECT_EQ(session.measurement->network.frequency.front(), session.design.SweepStart);

  // Repeat: the window takes a click while the sweep runs on, and the
  // overlay comes back after every sweep.
  Choose("Repeat");
  ASSERT_TRUE(Analyser().Busy());
  const float c48 = session.design.C48;
  Find<QPushButton>("cmdC48plus")->click();
  EXPECT_GT(session.design.C48, c48);
  EXPECT_TRUE(Analyser().Busy());
  ASSERT_TRUE(WaitUntil([&] { return Analyser().SweepsDone() >= 3; }));
  EXPECT_TRUE(Analyser().Repeating());
  // The window's close box stops the sweep before the exit screen asks;
  // "Cancel / Continue" keeps the window.
  testing::WhileModal([&] { Form().close(); }, [](QWidget& up) { up.close(); });
  EXPECT_FALSE(Analyser().Repeating());
  ASSERT_TRUE(WaitUntil([&] { return !Analyser().Busy(); }));
  Choose("Repeat");
  Choose("Stop repeating");
  ASSERT_TRUE(WaitUntil([&] { return !Analyser().Busy(); }));
  EXPECT_FALSE(Analyser().Repeating());
  EXPECT_TRUE(dialogs.messages.empty());

  const std::string saved = (dir / "live.s2p").string();
  dialogs.answers.push_back(saved);
  Choose("Save measurement as Touchstone...");
  EXPECT_EQ(testing::ReadText(saved).rfind("! S11 and S21 measured;", 0), 0u);
}

// While repeating, the tuning window follows the filter as the builder
// rewinds L2 (one turn too many, then right); the advice is steady after
// three sweeps alike, the fitted curve is drawn, and stopping keeps it all.
TEST_F(AnalyserScreenTest, LiveAdviceFollowsTheFilterAndStaysWhenStopped) {
  const std::string control = (dir / "control").string();
  testing::WriteText(control, "set L2_turns 15\n");
  testing::AnalyserEmulator emulator({.bytesPerSecond = 200000.0, .controlFile = control});
  dialogs.answers.push_back(emulator.Port());
  Choose("Repeat");
  LiveAdvice& live = Analyser().Advice();
  ASSERT_TRUE(live.Window() && live.Window()->isVisible());
  const auto l2Change = [&] { return live.LastAdvice() ? live.LastAdvice()->l2.onFittedCore : 9; };
  ASSERT_TRUE(WaitUntil([&] { return l2Change() == -1 && live.Steady(); }));
  EXPECT_NE(live.Window()->txtAdvice->toPlainText().indexOf("L2: remove 1 turn"), -1);
  testing::WriteText(control, "set L2_turns 14\n");
  ASSERT_TRUE(WaitUntil([&] { return l2Change() == 0; }));
  EXPECT_FALSE(live.Steady());
  ASSERT_TRUE(WaitUntil([&] { return live.Steady(); }));
  EXPECT_TRUE(session.measurement->fitted);
  Choose("Stop repeating");
  ASSERT_TRUE(WaitUntil([&] { return !Analyser().Busy(); }));
  QTest::qWait(100);  // a fit still under way may yet arrive
  EXPECT_NE(live.Window()->txtAdvice->toPlainText().indexOf("L2: keep the turns"), -1);
  EXPECT_TRUE(live.Window()->lblStatus->text().startsWith("Stopped after"));
}

TEST_F(AnalyserScreenTest, FailuresAreToldAndCancelLeavesThePlotAsItWas) {
  {
    testing::AnalyserEmulator spectrum({EmulatedKind::kSpectrumAnalyser});
    dialogs.answers.push_back(spectrum.Port());
    Choose("Measure with analyser...");
    ASSERT_TRUE(WaitUntil([&] { return !Analyser().Busy(); }));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              spectrum.Port() + ": this is a spectrum analyser, not a vector network analyser");
    EXPECT_FALSE(session.measurement);
  }
  {
    testing::AnalyserEmulator slow({EmulatedKind::kH4, testing::EmulatedFault::kNone, 5, 5000.0});
    dialogs.answers.push_back(slow.Port());
    Choose("Measure with analyser...");
    ASSERT_TRUE(Analyser().Busy());
    QTest::mouseClick(Analyser().cmdCancelSweep, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !Analyser().Busy(); }));
    EXPECT_FALSE(session.measurement);
  }
  // A 12.5-ohm design is refused before anything is sent.
  session.design.InputTermination = session.design.LoadTermination = 12.5f;
  testing::AnalyserEmulator emulator({EmulatedKind::kH4});
  dialogs.answers.push_back(emulator.Port());
  Choose("Measure with analyser...");
  EXPECT_FALSE(Analyser().Busy());
  ASSERT_EQ(dialogs.messages.size(), 2u);  // none for the cancel
  EXPECT_NE(dialogs.messages[1].find("cannot be judged at the design's 12.5 ohm"),
            std::string::npos);
  EXPECT_EQ(emulator.ScansServed(), 0);
}

TEST_F(AnalyserScreenTest, CalibratesStepByStepAndMeasuresThroughTheCalibration) {
  const std::string control = (dir / "control").string(), cal = (dir / "bench.cal").string();
  testing::AnalyserEmulator emulator({.controlFile = control});
  dialogs.answers = {emulator.Port(), cal};
  const auto steps = [&](QWidget& up) {
    auto& dialog = dynamic_cast<CalibrationDialog&>(up);
    // The short measured first with the open still connected.
    const std::pair<const char*, int> connected[] = {
        {"open", 0}, {"open", 1}, {"short", 1}, {"load", 2}, {"through", 3}};
    for (const auto& [standard, button] : connected) {
      testing::WriteText(control, std::string("connect ") + standard);
      dialog.cmdMeasure[button]->click();
      // Measured on its own thread: the dialog answers meanwhile.
      EXPECT_TRUE(dialog.Busy() && dialog.barMeasure->isVisible());
      EXPECT_FALSE(dialog.cmdMeasure[4]->isEnabled());
      ASSERT_TRUE(WaitUntil([&] { return !dialog.Busy(); }));
    }
    EXPECT_FALSE(dialog.lblTick[3]->text().isEmpty());
    EXPECT_TRUE(dialog.lblTick[4]->text().isEmpty());
    EXPECT_FALSE(dialog.txtStart->isEnabled());
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
      if (button->text() == QStringLiteral("Save...")) button->click();
    dialog.accept();
  };
  testing::WhileModal([&] { Choose("Calibrate analyser..."); }, steps, 30000);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].rfind("the open and the short look alike", 0), 0u);
  EXPECT_EQ(files::ReadSettingsFile(dir / files::kSettingsFileName).Get("calibration.file"), cal);

  testing::WriteText(control, "connect filter");
  dialogs.answers.push_back(emulator.Port());
  Choose("Measure with analyser...");
  ASSERT_TRUE(WaitUntil([&] { return !Analyser().Busy(); }));
  ASSERT_TRUE(session.measurement) << dialogs.messages.back();
  EXPECT_EQ(session.measurement->network.name, emulator.Port() + ", calibrated with bench.cal");
  EXPECT_EQ(session.measurement->network.portTwoMatch.size(), 401u);
}

// A standard on a slow line: Cancel leaves the calibration as it was, and
// closing the dialog mid-sweep ends the sweep without a message.
TEST_F(AnalyserScreenTest, CancelsAStandardAndClosesWhileMeasuring) {
  testing::AnalyserEmulator slow({EmulatedKind::kH4, testing::EmulatedFault::kNone, 5, 5000.0});
  dialogs.answers = {slow.Port()};
  const auto steps = [&](QWidget& up) {
    auto& dialog = dynamic_cast<CalibrationDialog&>(up);
    dialog.cmdMeasure[0]->click();
    ASSERT_TRUE(dialog.Busy());
    QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !dialog.Busy(); }));
    EXPECT_TRUE(dialog.lblTick[0]->text().isEmpty());
    EXPECT_TRUE(dialog.cmdMeasure[0]->isEnabled() && dialog.barMeasure->isHidden());
    dialog.cmdMeasure[0]->click();
    dialog.accept();
  };
  testing::WhileModal([&] { Choose("Calibrate analyser..."); }, steps, 20000);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_FALSE(Analyser().CalibrationInUse());
}

}  // namespace
}  // namespace diruruzevuv::screens
