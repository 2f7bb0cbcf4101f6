// The program's ways through its screens, and tuning on the design screen,
// with the shipped presets and defaults.

#include <QToolButton>
#include <filesystem>

#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "notation/notation.h"
#include "platform/turns_spinner.h"
#include "screens/frm_exit.h"
#include "screens/frm_wizard.h"
#include "design_screen.h"

namespace diruruzevuv::screens {
namespace {

namespace fs = std::filesystem;
using namespace diruruzevuv::testing;

const fs::path kShipped = DIRU_SOURCE_DATA_DIR;

// Starts on the 20-metre design screen; OpeningTest on the opening screen.
class ScreenFlowTest : public ::testing::Test, public DesignScreen {
 protected:
  ScreenFlowTest() { manager.SetExitPause(0.01f); }

  // Opens the exit screen with `open` (the "Exit" button unless told) and
  // presses "Exit / Quit" there; tells whether its label was showing when
  // it closed.
  bool ExitThrough(const std::function<void()>& open = {}) {
    bool labelShown = false;
    WhileModal(open ? open : [this] { Click("cmdExit"); },
               [&labelShown](QWidget& up) {
                 auto* exit = qobject_cast<frmExit*>(&up);
                 ASSERT_NE(exit, nullptr);
                 QObject::connect(exit, &QDialog::finished, [&labelShown, exit] {
                   labelShown = !exit->Label1->isHidden();
                 });
                 exit->cmdExit->click();
               });
    return labelShown;
  }
};

class OpeningTest : public ::testing::Test, public DesignScreen {
 protected:
  OpeningTest() : DesignScreen({}, nullptr) {}
};

// Without a last session the column has a gap where its button would be.
TEST_F(OpeningTest, StartWithoutLastSessionThenABandButton) {
  frmOpening* opening = manager.Opening();
  EXPECT_TRUE(opening->cmdLast->isHidden());
  EXPECT_EQ(opening->Geometry().GridRect(opening->cmdWizard).top(), 6900);  // a gap above
  EXPECT_EQ(opening->Geometry().GridRect(opening->cmdGetOld).top(), 7300);
  Click("cmd20");
  Settle();
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_EQ(manager.Opening(), nullptr);
  EXPECT_EQ(Find<QLabel>("lblBand")->text(), "20-meter band: 14MHz to 14.35MHz");
  // The boxes are held by the step test; the coils' labels here.
  EXPECT_EQ(Label("Label2"), notation::FormatInductance(session.design.L2));
  EXPECT_EQ(Label("Label4"), notation::FormatInductance(session.design.L1));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(fs::is_empty(dir.path()));  // the working folder stays clean
}

TEST_F(ScreenFlowTest, RestartKeepsTheLastSessionAndReadsTheGlobalDefaultsAgain) {
  std::string defaults = ReadText(kShipped / files::kGlobalDefaultsName);
  defaults.replace(defaults.find("Inductor Q: 200"), 15, "Inductor Q: 150");
  WriteText(dir / files::kGlobalDefaultsName, defaults);
  Type("txtTurnsL1", "15");  // not entered
  Click("cmdRestart");
  Settle();
  ASSERT_NE(manager.Opening(), nullptr);
  EXPECT_EQ(manager.Design(), nullptr);
  EXPECT_EQ(session.design.Band, 0);
  EXPECT_EQ(session.design.InductorQ, 150.0f);
  EXPECT_EQ(endCalls, 0);
  model::DesignState kept;  // what "Last session" reads
  files::ReadLastSession(session.locations, kept, dialogs);
  EXPECT_TRUE(kept.TurnsL1 == 15 && kept.Band == 20);
  manager.Opening()->close();  // closing the opening window ends the program
  EXPECT_EQ(endCalls, 1);
}

TEST_F(ScreenFlowTest, FailedExitWriteWarnsHidesTheLabelAndStillEnds) {
  fs::create_directories(dir / files::kLastSessionName);  // no file can replace it
  EXPECT_FALSE(ExitThrough());
  EXPECT_EQ(dialogs.beeps, 1);
  EXPECT_EQ(dialogs.messages,
            std::vector<std::string>{"The last-session file was not written correctly.\r\nCannot write " +
                                     (dir / files::kLastSessionName).string() + ": Is a directory"});
  EXPECT_EQ(endCalls, 1);
}

TEST_F(OpeningTest, GetOldAndLastSessionOpenStoredDesigns) {
  fs::copy_file(kShipped / "17.TXT", dir / "mine.TXT");
  session.design.C47 = 1.23e-10f;
  manager.Opening()->cmdGetOld->click();  // cancelled
  Settle();
  ASSERT_EQ(manager.Design(), nullptr);
  EXPECT_EQ(session.design.C47, 1.23e-10f);
  dialogs.answers.push_back((dir / "mine.TXT").string());
  manager.Opening()->cmdGetOld->click();
  Settle();
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_EQ(session.design.Band, 17);
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(), "300pF");

  fs::copy_file(kShipped / "40.TXT", dir / files::kLastSessionName);
  manager.ShowOpening();
  Settle();
  ASSERT_FALSE(manager.Opening()->cmdLast->isHidden());
  manager.Opening()->cmdLast->click();
  Settle();
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_EQ(session.design.Band, 40);
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(), "470pF");
}

// +1 % then -1 % comes back to the displayed value, which the design holds.
TEST_F(ScreenFlowTest, StepButtonsUpThenDownReturnToTheDisplayedValue) {
  const struct {
    const char* name;
    const char* box;
    float model::DesignState::*field;
    const char* up;  // shown after +1 %
  } rows[] = {{"C47", "Text1", &model::DesignState::C47, "202pF"},
              {"C48", "Text3", &model::DesignState::C48, "363.6pF"},
              {"C92", "Text5", &model::DesignState::C92, "68.68pF"},
              {"C49", "Text6", &model::DesignState::C49, "202pF"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto* box = Form().findChild<QLineEdit*>(row.box);
    const QString shown = box->text();
    Form().findChild<QPushButton*>(QString("cmd%1plus").arg(row.name))->click();
    EXPECT_EQ(box->text(), row.up);
    EXPECT_EQ(session.design.*row.field, notation::ParseValue(row.up));
    Form().findChild<QPushButton*>(QString("cmd%1minus").arg(row.name))->click();
    EXPECT_EQ(box->text(), shown);
    EXPECT_EQ(session.design.*row.field, notation::ParseValue(shown.toStdString()));
  }
}

// A typed turns count is taken before a step overwrites its box, even by
// a spinner at the end of its range; untyped boxes are left alone.
// Capacitor and AL boxes act on every change; turns only with Replot.
TEST_F(ScreenFlowTest, TypedValuesStepsAndReplot) {
  Type("txtTurnsL1", "15");
  Click("cmdC47plus");
  EXPECT_EQ(session.design.TurnsL1, 15);
  EXPECT_EQ(Find<QLineEdit>("txtTurnsL1")->text(), " 15");
  EXPECT_EQ(session.design.L1, 15 * 15 * 3e-9f);
  Type("txtTurnsL2", "99");
  Find<platform::TurnsSpinner>("UpDown1")->UpButton()->click();
  EXPECT_EQ(session.design.TurnsL2, 99);
  EXPECT_EQ(Find<QLineEdit>("txtTurnsL2")->text(), " 99");
  Find<QLineEdit>("txtTurnsL1")->setText("7");
  Click("cmdC47minus");
  EXPECT_EQ(session.design.TurnsL1, 15);

  Find<QLineEdit>("Text1")->setText("abc");
  EXPECT_EQ(session.design.C47, 0.0f);
  Find<QLineEdit>("txtAL")->setText("0.5");
  EXPECT_EQ(session.design.ToroidAL, 1.0f);
  EXPECT_EQ(Find<QLineEdit>("txtAL")->text(), "0.5");
  Find<QLineEdit>("txtTurnsL1")->clear();
  Find<QLineEdit>("txtTurnsL2")->setText("40000");
  EXPECT_EQ(session.design.TurnsL1, 15);
  Click("cmdAccept");
  EXPECT_EQ(Find<QLineEdit>("txtAL")->text(), "  1");
  EXPECT_EQ(Find<QLineEdit>("txtTurnsL1")->text(), " 1");
  EXPECT_EQ(session.design.TurnsL1, 1);
  EXPECT_EQ(session.design.L1, 1e-9f);  // L2 read as 32767: see the value boxes test
}

// The window's close box asks as "Exit" does; the exit screen opens on
// "Cancel / Continue", its own close box keeps everything.
TEST_F(ScreenFlowTest, CloseBoxOpensTheExitScreen) {
  Click("cmdC48plus");
  const float tuned = session.design.C48;
  Type("txtTurnsL2", "13");  // not entered
  bool closed = true;
  WhileModal([&] { closed = Form().close(); },
             [](QWidget& up) {
               ASSERT_EQ(up.focusWidget(), up.findChild<QPushButton*>("cmdCancel"));
               up.close();  // the exit screen's close box: "Cancel / Continue"
             });
  EXPECT_FALSE(closed);
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_FALSE(fs::exists(dir / files::kLastSessionName));
  EXPECT_TRUE(ExitThrough([this] { Form().close(); }));
  EXPECT_EQ(endCalls, 1);
  const std::string written = ReadText(dir / files::kLastSessionName);
  EXPECT_EQ(written.rfind("DIRUruzevuv last-session file\r\n", 0), 0u);
  EXPECT_NE(written.find("C48: " + notation::ShortestFloatText(tuned) + "\r\n"), std::string::npos);
  EXPECT_NE(written.find("L2 turns: 13\r\n"), std::string::npos);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OpeningTest, WizardRefusesThenLeadsToTheDesignScreen) {
  WhileModal([this] { manager.Opening()->cmdWizard->click(); },
             [this](QWidget& up) {
               auto* wizard = qobject_cast<frmWizard*>(&up);
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
