// The program's ways through its screens: start, the ways into a design,
// restart, saving, and the ways out.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <filesystem>
#include <string>

#include "../files/test_support.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "model/session.h"
#include "screens/frm_design.h"
#include "screens/frm_exit.h"
#include "screens/frm_opening.h"
#include "screens/screen_manager.h"
#include "scripted_dialogs.h"

namespace diruruzevuv::screens {
namespace {

namespace fs = std::filesystem;
using diruruzevuv::testing::CrLf;
using diruruzevuv::testing::ReadText;
using diruruzevuv::testing::ScriptedDialogs;
using diruruzevuv::testing::TempDir;
using diruruzevuv::testing::WriteText;

std::string DesignFileText(const std::string& firstLine, const std::string& c47,
                           const std::string& band) {
  return CrLf({firstLine, "1/2/2026", "", "C47: " + c47, "L2 turns: 14", "C48: 3.6E-10",
               "L1 turns: 12", "C92: 6.8E-11", "C49: 2E-10", "Lower bandedge: 1.4E+07",
               "Upper bandedge: 1.435E+07", "Analysis start freq: 5000000",
               "Analysis stop freq: 5E+07", "Toroid AL: 3", "Input termination: 50",
               "Band: " + band});
}

std::string GlobalDefaultsText(const std::string& inductorQ) {
  return CrLf({"Global defaults", "for tests", "Passband box: -20", "Second: -35", "Third: -35",
               "Bandwidth multiplier: 1.01", "Toroid AL: 3", "Grid divisions: 6", "Plot floor: -60",
               "Input termination: 50", "Inductor Q: " + inductorQ, "Capacitor Q: 2000"});
}

class ScreenFlowTest : public ::testing::Test {
 protected:
  ScreenFlowTest() {
    session.locations.workDir = dir.path();
    session.locations.dataDir = dir / "shipped";
    fs::create_directories(dir / "shipped");
    WriteText(dir / files::kGlobalDefaultsName, GlobalDefaultsText("200"));
    WriteText(dir / "20.TXT", DesignFileText("20-metre preset", "2.2E-10", "20"));
    manager.SetExitPause(0.01f);
  }

  // Lets screens that were replaced go away, as the event loop would.
  static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  frmDesign* OpenDesignOn20() {
    manager.ShowOpening();
    manager.Opening()->cmd20->click();
    Settle();
    return manager.Design();
  }

  // Presses a button of the exit screen once it is up (it is modal).
  void WhenExitScreenOpens(bool quit) {
    QTimer::singleShot(0, manager.Design(), [this, quit] {
      ASSERT_NE(manager.Exit(), nullptr);
      (quit ? manager.Exit()->cmdExit : manager.Exit()->cmdCancel)->click();
    });
    // Never leave a test hanging in the modal loop.
    QTimer::singleShot(5000, manager.Design(), [this] {
      if (manager.Exit()) manager.Exit()->reject();
    });
  }

  TempDir dir;
  model::Session session;
  ScriptedDialogs dialogs;
  int endCalls = 0;
  ScreenManager manager{session, dialogs, [this] { ++endCalls; }};
};

TEST_F(ScreenFlowTest, StartWithoutLastSessionLeavesAGapInTheColumn) {
  manager.ShowOpening();
  frmOpening* opening = manager.Opening();
  ASSERT_NE(opening, nullptr);
  EXPECT_EQ(opening->windowTitle(), "Welcome to DIRUruzevuv !");
  EXPECT_TRUE(opening->cmdLast->isHidden());
  // The wizard and "Get old" keep their places below the gap.
  EXPECT_EQ(opening->Geometry().GridRect(opening->cmd160).top(), 6100);
  EXPECT_EQ(opening->Geometry().GridRect(opening->cmdLast).top(), 6500);
  EXPECT_EQ(opening->Geometry().GridRect(opening->cmdWizard).top(), 6900);
  EXPECT_EQ(opening->Geometry().GridRect(opening->cmdGetOld).top(), 7300);
  EXPECT_FALSE(opening->cmdWizard->isHidden());
  EXPECT_EQ(opening->lblVersion->text(), "Version 2.05");
  EXPECT_FALSE(opening->lblCredit->text().isEmpty());
  EXPECT_FALSE(opening->lblWebsite->text().isEmpty());
  EXPECT_TRUE(dialogs.messages.empty());
  // The global defaults were read at load.
  EXPECT_EQ(session.design.InductorQ, 200.0f);
  EXPECT_EQ(session.defaults.GridDivisions, 6);
}

TEST_F(ScreenFlowTest, LastSessionButtonOpensTheStoredDesign) {
  WriteText(dir / files::kLastSessionName,
            DesignFileText("DIRUruzevuv last-session file", "3.3E-10", "40"));
  manager.ShowOpening();
  ASSERT_FALSE(manager.Opening()->cmdLast->isHidden());
  manager.Opening()->cmdLast->click();
  Settle();
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_EQ(manager.Opening(), nullptr);
  EXPECT_EQ(session.design.Band, 40);
  EXPECT_EQ(manager.Design()->Text1->text(), "330pF");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ScreenFlowTest, LastSessionRemovedAfterStartFallsBackToTwentyMetres) {
  WriteText(dir / files::kLastSessionName,
            DesignFileText("DIRUruzevuv last-session file", "3.3E-10", "40"));
  manager.ShowOpening();
  fs::remove(dir / files::kLastSessionName);
  manager.Opening()->cmdLast->click();
  Settle();
  ASSERT_NE(manager.Design(), nullptr);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].find("Last Session"), std::string::npos);
  EXPECT_EQ(session.design.Band, 20);
  EXPECT_EQ(session.design.C47, 2e-10f);
}

TEST_F(ScreenFlowTest, BandButtonOpensTheDesignScreen) {
  frmDesign* design = OpenDesignOn20();
  ASSERT_NE(design, nullptr);
  EXPECT_EQ(manager.Opening(), nullptr);
  EXPECT_EQ(design->windowTitle(), "DIRUruzevuv - Design page");
  EXPECT_EQ(design->lblBand->text(), "20-meter band: 14MHz to 14.35MHz");
  EXPECT_EQ(session.design.CurrentFile, "20.TXT");
  EXPECT_EQ(session.design.C47, 2.2e-10f);
  EXPECT_EQ(design->Text1->text(), "220pF");
  EXPECT_EQ(design->lblTerminations->text(), "Terminations: 50 ohms");
  EXPECT_TRUE(design->lblLossLow->text().startsWith("Target-value parts loss at 14MHz: "));
  EXPECT_TRUE(design->lblLossLow->text().endsWith("dB"));
  EXPECT_EQ(design->lblLossLow->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(endCalls, 0);
}

TEST_F(ScreenFlowTest, MissingPresetStillOpensTheDesignScreen) {
  manager.ShowOpening();
  manager.Opening()->cmd40->click();
  Settle();
  ASSERT_NE(manager.Design(), nullptr);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], "The file '40.TXT' was not found.");
  EXPECT_EQ(dialogs.titles[0], "DIRUruzevuv");
  EXPECT_EQ(session.design.Band, 40);
}

TEST_F(ScreenFlowTest, RestartReadsTheGlobalDefaultsAgain) {
  OpenDesignOn20();
  WriteText(dir / files::kGlobalDefaultsName, GlobalDefaultsText("150"));
  const float c47 = session.design.C47;
  manager.Design()->cmdRestart->click();
  Settle();
  ASSERT_NE(manager.Opening(), nullptr);
  EXPECT_EQ(manager.Design(), nullptr);
  EXPECT_EQ(session.design.Band, 0);
  EXPECT_EQ(session.design.InductorQ, 150.0f);
  EXPECT_EQ(session.design.C47, c47);
  EXPECT_EQ(endCalls, 0);
  // A design reached from the restarted screen shows only the edges when
  // no band is set.
  session.design.Band = 0;
  manager.ShowDesign();
  Settle();
  EXPECT_EQ(manager.Design()->lblBand->text(), " 14MHz to 14.35MHz");
}

TEST_F(ScreenFlowTest, ExitWritesTheLastSessionAndEnds) {
  OpenDesignOn20();
  WhenExitScreenOpens(true);
  manager.Design()->cmdExit->click();
  EXPECT_EQ(endCalls, 1);
  EXPECT_TRUE(manager.Ended());
  const std::string written = ReadText(dir / files::kLastSessionName);
  EXPECT_EQ(written.rfind("DIRUruzevuv last-session file\r\n", 0), 0u);
  EXPECT_NE(written.find("Band: 20\r\n"), std::string::npos);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(manager.Design()->isHidden());
}

TEST_F(ScreenFlowTest, ExitLabelShowsOnlyAfterASuccessfulWrite) {
  OpenDesignOn20();
  bool labelShown = false;
  QTimer::singleShot(0, manager.Design(), [&] {
    ASSERT_NE(manager.Exit(), nullptr);
    frmExit* exit = manager.Exit();
    EXPECT_EQ(exit->windowTitle(), "DIRUruzevuv - exit ?");
    // Sized as fractions of the layout area that stands for the display.
    const double scale = manager.Design()->Geometry().PixelsPerUnit();
    EXPECT_NEAR(exit->width(), 0.45 * 12000 * scale, 2.0);
    EXPECT_NEAR(exit->height(), 0.3 * 9000 * scale, 2.0);
    EXPECT_LT(exit->cmdCancel->geometry().top(), exit->cmdExit->geometry().top());
    EXPECT_TRUE(exit->Label1->isHidden());
    QObject::connect(exit, &QDialog::finished,
                     [&labelShown, exit] { labelShown = !exit->Label1->isHidden(); });
    exit->cmdExit->click();
  });
  manager.Design()->cmdExit->click();
  EXPECT_TRUE(labelShown);
  EXPECT_EQ(endCalls, 1);
}

TEST_F(ScreenFlowTest, FailedExitWriteWarnsHidesTheLabelAndStillEnds) {
  OpenDesignOn20();
  // A folder in the file's place cannot be replaced by a file.
  fs::create_directories(dir / files::kLastSessionName);
  bool labelShown = true;
  QTimer::singleShot(0, manager.Design(), [&] {
    ASSERT_NE(manager.Exit(), nullptr);
    frmExit* exit = manager.Exit();
    QObject::connect(exit, &QDialog::finished,
                     [&labelShown, exit] { labelShown = !exit->Label1->isHidden(); });
    exit->cmdExit->click();
  });
  manager.Design()->cmdExit->click();
  EXPECT_FALSE(labelShown);
  EXPECT_EQ(dialogs.beeps, 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], "The last-session file was not written correctly.");
  EXPECT_EQ(endCalls, 1);
  EXPECT_TRUE(manager.Ended());
}

TEST_F(ScreenFlowTest, CancelOnTheExitScreenChangesNothing) {
  OpenDesignOn20();
  const float c48 = session.design.C48;
  WhenExitScreenOpens(false);
  manager.Design()->cmdExit->click();
  EXPECT_EQ(endCalls, 0);
  EXPECT_FALSE(manager.Ended());
  EXPECT_EQ(manager.Exit(), nullptr);
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_FALSE(manager.Design()->isHidden());
  EXPECT_EQ(session.design.C48, c48);
  EXPECT_FALSE(fs::exists(dir / files::kLastSessionName));
}

TEST_F(ScreenFlowTest, ClosingTheDesignWindowEndsWithoutWriting) {
  OpenDesignOn20();
  manager.Design()->close();
  EXPECT_EQ(endCalls, 1);
  EXPECT_FALSE(fs::exists(dir / files::kLastSessionName));
}

TEST_F(ScreenFlowTest, ClosingTheOpeningWindowEnds) {
  manager.ShowOpening();
  manager.Opening()->close();
  EXPECT_EQ(endCalls, 1);
  // Nothing opens once the program has ended.
  manager.ShowDesign();
  EXPECT_EQ(manager.Design(), nullptr);
}

TEST_F(ScreenFlowTest, SwitchingScreensDoesNotEndTheProgram) {
  OpenDesignOn20();
  manager.Design()->cmdRestart->click();
  Settle();
  manager.Opening()->cmd20->click();
  Settle();
  EXPECT_EQ(endCalls, 0);
  EXPECT_FALSE(manager.Ended());
}

TEST_F(ScreenFlowTest, GetOldReadsTheChosenFile) {
  WriteText(dir / "mine.TXT", DesignFileText("/home/me/mine.TXT", "1.5E-10", "17"));
  manager.ShowOpening();
  dialogs.answers.push_back((dir / "mine.TXT").string());
  manager.Opening()->cmdGetOld->click();
  Settle();
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].kind, "open");
  EXPECT_EQ(dialogs.requests[0].title, "Read KAMO lowpass file");
  EXPECT_EQ(dialogs.requests[0].filter, "DIRUruzevuv files (*.TXT)|*.TXT");
  EXPECT_EQ(dialogs.requests[0].presetName, "");
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_EQ(session.design.Band, 17);
  EXPECT_EQ(manager.Design()->Text1->text(), "150pF");
}

TEST_F(ScreenFlowTest, CancelledGetOldStaysOnTheOpeningScreen) {
  manager.ShowOpening();
  session.design.C47 = 1.23e-10f;
  manager.Opening()->cmdGetOld->click();
  Settle();
  EXPECT_NE(manager.Opening(), nullptr);
  EXPECT_EQ(manager.Design(), nullptr);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(session.design.C47, 1.23e-10f);
}

TEST_F(ScreenFlowTest, SaveWritesUnderTheChosenName) {
  OpenDesignOn20();
  const std::string target = (dir / "saved.TXT").string();
  dialogs.answers.push_back(target);
  manager.Design()->cmdSaveFile->click();
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].kind, "save");
  EXPECT_EQ(dialogs.requests[0].title, "Write DIRUruzevuv file");
  EXPECT_EQ(dialogs.requests[0].filter, "DIRUruzevuv files (*.TXT)|*.TXT");
  EXPECT_EQ(dialogs.requests[0].presetName, "20.TXT");
  EXPECT_EQ(session.design.CurrentFile, target);
  EXPECT_EQ(ReadText(target).rfind(target + "\r\n", 0), 0u);
}

TEST_F(ScreenFlowTest, CancelledSaveWritesNothingAndKeepsTheName) {
  OpenDesignOn20();
  manager.Design()->cmdSaveFile->click();
  EXPECT_EQ(session.design.CurrentFile, "20.TXT");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(ReadText(dir / "20.TXT").rfind("20-metre preset", 0), 0u);
}

TEST_F(ScreenFlowTest, SaveRefusesNamesWithDefaults) {
  OpenDesignOn20();
  const std::string target = (dir / "MyDefaults.TXT").string();
  dialogs.answers.push_back(target);
  manager.Design()->cmdSaveFile->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], "That filename is not allowed");
  EXPECT_EQ(session.design.CurrentFile, "");
  EXPECT_FALSE(fs::exists(target));
}

TEST_F(ScreenFlowTest, TheNextScreenTakesThePlaceOfTheLast) {
  manager.ShowOpening();
  manager.Opening()->setGeometry(QRect(40, 30, 960, 720));
  const QRect place = manager.Opening()->geometry();
  manager.Opening()->cmd20->click();
  Settle();
  EXPECT_EQ(manager.Design()->geometry(), place);
  manager.Design()->cmdRestart->click();
  Settle();
  EXPECT_EQ(manager.Opening()->geometry(), place);
}

// As a new user starts it: an empty working folder and the shipped data.
TEST(ShippedDataTest, TwentyMetreButtonShowsTheShippedPreset) {
  TempDir dir;
  model::Session session;
  session.locations.workDir = dir.path();
  session.locations.dataDir = DIRU_SOURCE_DATA_DIR;
  ScriptedDialogs dialogs;
  ScreenManager manager(session, dialogs, [] {});
  manager.SetShowScreens(false);
  manager.ShowOpening();
  EXPECT_TRUE(manager.Opening()->cmdLast->isHidden());
  manager.Opening()->cmd20->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_EQ(manager.Design()->lblBand->text(), "20-meter band: 14MHz to 14.35MHz");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(ScreenFlowTest, LtspiceWritesTheSchematicUnderTheChosenName) {
  OpenDesignOn20();
  const std::string target = (dir / "filter.ASC").string();
  dialogs.answers.push_back(target);
  ASSERT_TRUE(manager.Design()->cmdSpice->isEnabled());
  manager.Design()->cmdSpice->click();
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].title, "Write Spice schematic");
  EXPECT_EQ(dialogs.requests[0].filter, "Spice schematic files (*.ASC)|*.ASC");
  EXPECT_EQ(dialogs.requests[0].presetName, "");
  EXPECT_EQ(session.SpiceFileName, target);
  EXPECT_EQ(ReadText(target).rfind("Version 4\r\n", 0), 0u);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ScreenFlowTest, LtspiceWritesNothingForShortOrCancelledNames) {
  OpenDesignOn20();
  dialogs.answers = {"", "a.AS"};
  manager.Design()->cmdSpice->click();
  manager.Design()->cmdSpice->click();
  EXPECT_FALSE(fs::exists("a.AS"));
  EXPECT_EQ(session.SpiceFileName, "a.AS");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.beeps, 0);
}

}  // namespace
}  // namespace diruruzevuv::screens
