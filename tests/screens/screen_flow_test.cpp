// The program's ways through its screens, and tuning on the design screen,
// with the shipped presets and defaults.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

#include "../files/test_support.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "model/session.h"
#include "notation/notation.h"
#include "screens/frm_design.h"
#include "screens/frm_exit.h"
#include "screens/frm_opening.h"
#include "screens/frm_wizard.h"
#include "screens/screen_manager.h"
#include "design_screen.h"

namespace diruruzevuv::screens {
namespace {

namespace fs = std::filesystem;
using namespace diruruzevuv::testing;

const fs::path kShipped = DIRU_SOURCE_DATA_DIR;

std::array<float, 7> Values(const model::DesignState& d) {
  return {d.C47, d.C48, d.C92, d.C49, d.ToroidAL, d.L1, d.L2};
}

// The program on its opening screen, ending its exit pause at once.
class ScreenFlowTest : public ::testing::Test, public DesignScreen {
 protected:
  ScreenFlowTest() : DesignScreen({}, nullptr) { manager.SetExitPause(0.01f); }

  frmDesign* OpenDesignOn20() {
    Click("cmd20");
    Settle();
    return manager.Design();
  }

  // Clicks "Exit" and "Exit" on the modal exit screen; tells whether its
  // label was showing when it closed.
  bool ExitThrough() {
    bool labelShown = false;
    QTimer::singleShot(0, manager.Design(), [&] {
      frmExit* exit = manager.Exit();
      ASSERT_NE(exit, nullptr);
      QObject::connect(exit, &QDialog::finished,
                       [&labelShown, exit] { labelShown = !exit->Label1->isHidden(); });
      QTimer::singleShot(5000, exit, &QDialog::reject);  // never hang in the modal loop
      exit->cmdExit->click();
    });
    Click("cmdExit");
    return labelShown;
  }
};

TEST_F(ScreenFlowTest, StartWithoutLastSessionLeavesAGapInTheColumn) {
  frmOpening* opening = manager.Opening();
  EXPECT_TRUE(opening->cmdLast->isHidden());
  EXPECT_EQ(opening->Geometry().GridRect(opening->cmdWizard).top(), 6900);  // a gap above
  EXPECT_EQ(opening->Geometry().GridRect(opening->cmdGetOld).top(), 7300);
  EXPECT_TRUE(dialogs.messages.empty());
  opening->close();  // closing the opening window ends the program
  EXPECT_EQ(endCalls, 1);
}

TEST_F(ScreenFlowTest, StartWithLastSessionOpensTheStoredDesign) {
  fs::copy_file(kShipped / "40.TXT", dir / files::kLastSessionName);
  manager.ShowOpening();  // again, now that there is a last session
  ASSERT_FALSE(manager.Opening()->cmdLast->isHidden());
  manager.Opening()->cmdLast->click();
  Settle();
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_EQ(session.design.Band, 40);
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(), "470pF");
}

TEST_F(ScreenFlowTest, BandButtonOpensTheDesignScreen) {
  frmDesign* design = OpenDesignOn20();
  ASSERT_NE(design, nullptr);
  EXPECT_EQ(manager.Opening(), nullptr);
  EXPECT_EQ(Find<QLabel>("lblBand")->text(), "20-meter band: 14MHz to 14.35MHz");
  EXPECT_EQ(session.design.CurrentFile, "20.TXT");
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(), "200pF");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(fs::is_empty(dir.path()));  // the working folder stays clean
}

TEST_F(ScreenFlowTest, RestartReadsTheGlobalDefaultsAgain) {
  OpenDesignOn20();
  std::string defaults = ReadText(kShipped / files::kGlobalDefaultsName);
  defaults.replace(defaults.find("Inductor Q: 200"), 15, "Inductor Q: 150");
  WriteText(dir / files::kGlobalDefaultsName, defaults);
  Click("cmdRestart");
  Settle();
  ASSERT_NE(manager.Opening(), nullptr);
  EXPECT_EQ(manager.Design(), nullptr);
  EXPECT_EQ(session.design.Band, 0);
  EXPECT_EQ(session.design.InductorQ, 150.0f);
  EXPECT_EQ(endCalls, 0);
}

TEST_F(ScreenFlowTest, ExitWritesTheLastSessionShowsTheLabelAndEnds) {
  OpenDesignOn20();
  EXPECT_TRUE(ExitThrough());
  EXPECT_EQ(endCalls, 1);
  const std::string written = ReadText(dir / files::kLastSessionName);
  EXPECT_EQ(written.rfind("DIRUruzevuv last-session file\r\n", 0), 0u);
  EXPECT_NE(written.find("Band: 20\r\n"), std::string::npos);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ScreenFlowTest, FailedExitWriteWarnsHidesTheLabelAndStillEnds) {
  OpenDesignOn20();
  fs::create_directories(dir / files::kLastSessionName);  // no file can replace it
  EXPECT_FALSE(ExitThrough());
  EXPECT_EQ(dialogs.beeps, 1);
  // The program's own text, then the file and the reason.
  EXPECT_EQ(dialogs.messages,
            std::vector<std::string>{"The last-session file was not written correctly.\r\nCannot write " +
                                     (dir / files::kLastSessionName).string() + ": Is a directory"});
  EXPECT_EQ(endCalls, 1);
}

TEST_F(ScreenFlowTest, GetOldReadsOnlyAChosenFile) {
  fs::copy_file(kShipped / "17.TXT", dir / "mine.TXT");
  session.design.C47 = 1.23e-10f;
  manager.Opening()->cmdGetOld->click();  // cancelled
  Settle();
  EXPECT_EQ(manager.Design(), nullptr);
  EXPECT_EQ(session.design.C47, 1.23e-10f);
  dialogs.answers.push_back((dir / "mine.TXT").string());
  manager.Opening()->cmdGetOld->click();
  Settle();
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_EQ(session.design.Band, 17);
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(), "300pF");
}

struct StepRow {
  const char* name;
  const char* box;
  float model::DesignState::*field;
  const char* up;  // shown after +1 %
};

class StepButtonTest : public ScreenFlowTest, public ::testing::WithParamInterface<StepRow> {};

// Each pair of buttons steps its own capacitor; +1 % then -1 % comes back
// to the displayed value, and the design holds exactly what is shown.
TEST_P(StepButtonTest, UpThenDownReturnsToTheDisplayedValue) {
  const StepRow& row = GetParam();
  OpenDesignOn20();
  auto* box = Form().findChild<QLineEdit*>(row.box);
  const QString shown = box->text();
  Form().findChild<QPushButton*>(QString("cmd%1plus").arg(row.name))->click();
  EXPECT_EQ(box->text(), row.up);
  EXPECT_EQ(session.design.*row.field, notation::ParseValue(row.up));
  Form().findChild<QPushButton*>(QString("cmd%1minus").arg(row.name))->click();
  EXPECT_EQ(box->text(), shown);
  EXPECT_EQ(session.design.*row.field, notation::ParseValue(shown.toStdString()));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, StepButtonTest,
    ::testing::Values(StepRow{"C47", "Text1", &model::DesignState::C47, "202pF"},
                      StepRow{"C48", "Text3", &model::DesignState::C48, "363.6pF"},
                      StepRow{"C92", "Text5", &model::DesignState::C92, "68.68pF"},
                      StepRow{"C49", "Text6", &model::DesignState::C49, "202pF"}),
    [](const auto& row) { return std::string(row.param.name); });

// Capacitor and AL boxes act on every change; turns only with Replot.
TEST_F(ScreenFlowTest, TypedValuesAndReplot) {
  OpenDesignOn20();
  Find<QLineEdit>("Text1")->setText("abc");
  EXPECT_EQ(session.design.C47, 0.0f);
  Find<QLineEdit>("txtAL")->setText("0.5");
  EXPECT_EQ(session.design.ToroidAL, 1.0f);
  EXPECT_EQ(Find<QLineEdit>("txtAL")->text(), "0.5");
  Find<QLineEdit>("txtTurnsL1")->clear();
  Find<QLineEdit>("txtTurnsL2")->setText("40000");
  EXPECT_EQ(session.design.TurnsL1, 12);
  Click("cmdAccept");
  EXPECT_EQ(Find<QLineEdit>("txtAL")->text(), "  1");
  EXPECT_EQ(Find<QLineEdit>("txtTurnsL1")->text(), " 1");
  EXPECT_EQ(session.design.TurnsL1, 1);
  EXPECT_EQ(session.design.L1, 1e-9f);
  EXPECT_EQ(session.design.TurnsL2, 32767);
}

TEST_F(ScreenFlowTest, FullRunMakes201TrialsAndGivesEverythingBack) {
  OpenDesignOn20();
  const auto before = Values(session.design);
  Click("cmdMonte");
  EXPECT_EQ(session.monte.trialCount, 201);
  EXPECT_EQ(Values(session.design), before);
  // The nominal curve ends the run in yellow.
  const QImage image = Form().Surface().Image().convertToFormat(QImage::Format_RGB32);
  const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
  const auto* end = pixels + image.width() * image.height();
  EXPECT_NE(std::find(pixels, end, qRgb(255, 255, 0)), end);
  const std::string worst = Label("lblWorst");
  Click("cmdMonte");  // a second run draws other values
  EXPECT_NE(Label("lblWorst"), worst);
  Find<platform::TurnsSpinner>("UpDown1")->UpButton()->click();
  EXPECT_EQ(session.design.TurnsL2, 15);  // UpDown1 steps L2's turns
}

TEST_F(ScreenFlowTest, StopInTheFirstTrialRestoresAndASecondStartIsImpossible) {
  OpenDesignOn20();
  const auto before = Values(session.design);
  QTimer::singleShot(0, [this] {
    Click("cmdMonteStop");
    Click("cmdMonte");  // enabled again by Stop, but the run is not over
  });
  Click("cmdMonte");
  EXPECT_EQ(session.monte.trialCount, 1);
  EXPECT_EQ(session.monte.trialColorCounter, 1);
  EXPECT_EQ(Values(session.design), before);
  EXPECT_FALSE(session.monte.running);
}

TEST_F(ScreenFlowTest, ClosingTheWindowDuringARunStopsCleanlyWithoutWriting) {
  OpenDesignOn20();
  const auto before = Values(session.design);
  QTimer::singleShot(0, [this] { Form().close(); });
  Click("cmdMonte");
  EXPECT_EQ(endCalls, 1);
  EXPECT_EQ(session.monte.trialCount, 1);
  EXPECT_EQ(Values(session.design), before);
  EXPECT_FALSE(fs::exists(dir / files::kLastSessionName));  // closing is not "Exit"
}

// From the opening screen: a refused entry first, then a corrected preview.
TEST_F(ScreenFlowTest, WizardRefusesThenLeadsToTheDesignScreen) {
  QTimer::singleShot(0, [this] {
    auto* wizard = qobject_cast<frmWizard*>(QApplication::activeModalWidget());
    ASSERT_NE(wizard, nullptr);
    wizard->txtLowerEdge->setText("7M");
    wizard->txtToroid->setText("abc");
    wizard->cmdPreview->click();
    EXPECT_EQ(wizard->txtToroid->text(), "abc");
    EXPECT_FALSE(wizard->cmdExit->isEnabled());
    EXPECT_EQ(session.design.ToroidAL, 3.0f);
    wizard->txtToroid->setText("3");
    wizard->cmdPreview->click();
    EXPECT_EQ(wizard->results[5]->text(), "16  (result: 768nH)");
    wizard->cmdExit->click();
  });
  manager.Opening()->cmdWizard->click();
  Settle();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].find("AL"), std::string::npos);
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_EQ(session.design.LowerEdge, 7e6f);
  EXPECT_EQ(session.design.TurnsL1, 16);
  EXPECT_EQ(Find<QLineEdit>("Text3")->text().toStdString(),
            notation::FormatCapacitance(session.design.C48));
}

}  // namespace
}  // namespace diruruzevuv::screens
