// Tuning on the design screen: step buttons, turns spinners, Replot, the
// Monte Carlo run with Stop, and the wizard's way into a design.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <string>
#include <vector>

#include "../files/test_support.h"
#include "model/monte_carlo.h"
#include "model/session.h"
#include "notation/notation.h"
#include "screens/frm_design.h"
#include "screens/frm_opening.h"
#include "screens/frm_wizard.h"
#include "screens/screen_manager.h"
#include "scripted_dialogs.h"

namespace diruruzevuv::screens {
namespace {

using diruruzevuv::testing::ScriptedDialogs;
using diruruzevuv::testing::TempDir;

std::string Text(const QWidget* w) {
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->text().toStdString();
  return qobject_cast<const QLineEdit*>(w)->text().toStdString();
}

std::array<float, 7> Values(const model::DesignState& d) {
  return {d.C47, d.C48, d.C92, d.C49, d.ToroidAL, d.L1, d.L2};
}

class TuningTest : public ::testing::Test {
 protected:
  TuningTest() {
    session.locations.workDir = dir.path();
    session.locations.dataDir = dir.path();
    model::ApplyDefaultDesign(session.design);
    session.design.InductorQ = 200.0f;
    session.design.CapacitorQ = 1000.0f;
    session.defaults = {-20.0f, -35.0f, -35.0f, 1.01f, 6, -60.0f};
    manager.SetShowScreens(false);
  }

  frmDesign& Open() {
    manager.ShowDesign();
    return *manager.Design();
  }

  static void ShowWorstCase(frmDesign& form) {
    for (QLabel* l : {form.lblWorst, form.lblWorstSecond, form.lblWorstThird}) l->setVisible(true);
  }
  static bool WorstCaseHidden(frmDesign& form) {
    return form.lblWorst->isHidden() && form.lblWorstSecond->isHidden() &&
           form.lblWorstThird->isHidden();
  }
  static std::vector<bool> Enabled(frmDesign& form) {
    std::vector<bool> states;
    for (QWidget* w : form.findChildren<QWidget*>()) states.push_back(w->isEnabled());
    return states;
  }
  // Runs the action at the first event-loop turn of a Monte Carlo run.
  static void DuringFirstTrial(std::function<void()> action) {
    QTimer::singleShot(0, std::move(action));
  }

  TempDir dir;
  model::Session session;
  ScriptedDialogs dialogs;
  int endCalls = 0;
  ScreenManager manager{session, dialogs, [this] { ++endCalls; }};
};

TEST_F(TuningTest, StepUpThenDownReturnsToTheDisplayedValue) {
  frmDesign& form = Open();
  ShowWorstCase(form);
  form.cmdC48plus->click();
  EXPECT_TRUE(WorstCaseHidden(form));
  EXPECT_EQ(Text(form.Text3), "363.6pF");
  EXPECT_EQ(session.design.C48, notation::ParseValue("363.6pF"));
  form.cmdC48minus->click();
  EXPECT_EQ(Text(form.Text3), "360pF");
  EXPECT_EQ(session.design.C48, notation::ParseValue("360pF"));
}

struct StepRow {
  const char* name;
  const char* button;
  const char* box;
  const char* shown;
};

class StepButtonTest : public TuningTest, public ::testing::WithParamInterface<StepRow> {};

TEST_P(StepButtonTest, StepsItsOwnCapacitor) {
  const StepRow& row = GetParam();
  frmDesign& form = Open();
  form.findChild<QPushButton*>(QString::fromLatin1(row.button))->click();
  EXPECT_EQ(Text(form.findChild<QLineEdit*>(QString::fromLatin1(row.box))), row.shown);
}

INSTANTIATE_TEST_SUITE_P(Buttons, StepButtonTest,
                         ::testing::Values(StepRow{"C47Up", "cmdC47plus", "Text1", "202pF"},
                                           StepRow{"C47Down", "cmdC47minus", "Text1", "198.02pF"},
                                           StepRow{"C92Up", "cmdC92plus", "Text5", "68.68pF"},
                                           StepRow{"C49Down", "cmdC49minus", "Text6", "198.02pF"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(TuningTest, AlBelowOneThenReplotShowsOne) {
  frmDesign& form = Open();
  form.txtAL->setText("0.5");
  EXPECT_EQ(session.design.ToroidAL, 1.0f);
  EXPECT_EQ(Text(form.txtAL), "0.5");
  form.cmdAccept->click();
  EXPECT_EQ(Text(form.txtAL), "  1");
  EXPECT_EQ(session.design.ToroidAL, 1.0f);
  EXPECT_EQ(session.design.L1, static_cast<float>(1e-9 * 144));
}

TEST_F(TuningTest, EmptyTurnsBoxAndReplotGiveOneTurn) {
  frmDesign& form = Open();
  ShowWorstCase(form);
  form.txtTurnsL1->clear();
  EXPECT_EQ(session.design.TurnsL1, 12);  // read only by a spinner or Replot
  form.cmdAccept->click();
  EXPECT_EQ(session.design.TurnsL1, 1);
  EXPECT_EQ(session.design.L1, static_cast<float>(3.0 * 1e-9));
  EXPECT_EQ(Text(form.txtTurnsL1), " 1");
  EXPECT_TRUE(WorstCaseHidden(form));
}

TEST_F(TuningTest, TypedTurnsTakeEffectWithTheSpinner) {
  frmDesign& form = Open();
  form.txtTurnsL1->setText("15.5");
  EXPECT_EQ(session.design.TurnsL1, 12);
  form.UpDown2->UpButton()->click();  // 15.5 reads as 16, one more turn
  EXPECT_EQ(session.design.TurnsL1, 17);
  EXPECT_EQ(Text(form.txtTurnsL1), " 17");
  form.txtTurnsL2->setText("40000");
  form.cmdAccept->click();
  EXPECT_EQ(session.design.TurnsL2, 32767);
}

TEST_F(TuningTest, FullRunMakes201TrialsAndGivesEverythingBack) {
  frmDesign& form = Open();
  const auto before = Values(session.design);
  const auto enabled = Enabled(form);
  form.cmdMonte->click();
  EXPECT_EQ(session.monte.trialCount, 201);
  EXPECT_FALSE(session.monte.running);
  EXPECT_EQ(Values(session.design), before);
  EXPECT_EQ(Enabled(form), enabled);
  EXPECT_TRUE(form.cmdSaveFile->isEnabled());
  EXPECT_TRUE(form.cmdMonteStop->isHidden());
  EXPECT_FALSE(form.lblLossLow->isHidden());
  EXPECT_FALSE(form.lblWorst->isHidden());
  EXPECT_EQ(session.DrawColor, model::kBlue);
  EXPECT_EQ(Text(form.lblWorst).rfind("Worst-case passband loss: ", 0), 0u);
  EXPECT_EQ(Text(form.lblWorstSecond).rfind("Worst-case 2nd harm. atten: ", 0), 0u);
  EXPECT_EQ(Text(form.lblWorstThird).rfind("Worst-case 3ed harm. atten: ", 0), 0u);

  // The same figures as the command-line run of a fresh program.
  model::Session fresh;
  fresh.design = session.design;
  fresh.defaults = session.defaults;
  model::ValueBoxes boxes;
  model::WriteValueBoxes(boxes, fresh.design);
  model::WorstCaseLabels labels;
  model::RunMonteCarloWithoutDrawing(fresh, boxes, labels);
  EXPECT_EQ(Text(form.lblWorst), labels.worst);
  EXPECT_EQ(Text(form.lblWorstSecond), labels.worstSecond);
  EXPECT_EQ(Text(form.lblWorstThird), labels.worstThird);

  // A second run draws other values.
  const std::string first = Text(form.lblWorst);
  form.cmdMonte->click();
  EXPECT_NE(Text(form.lblWorst), first);

  // A spinner click afterwards redraws and keeps the figures.
  form.UpDown1->UpButton()->click();
  EXPECT_EQ(session.design.TurnsL2, 15);
  EXPECT_FALSE(form.lblWorst->isHidden());
  EXPECT_FALSE(form.lblWorstThird->isHidden());
}

TEST_F(TuningTest, FocusReturnsToMonteCarloAfterTheRun) {
  manager.SetShowScreens(true);
  frmDesign& form = Open();
  form.activateWindow();
  form.cmdMonte->setFocus();
  form.cmdMonte->click();
  EXPECT_TRUE(form.cmdMonte->hasFocus() || form.focusWidget() == form.cmdMonte);
  EXPECT_NE(form.focusWidget(), form.Text1);
}

TEST_F(TuningTest, ControlsAreLockedDuringARun) {
  frmDesign& form = Open();
  bool checked = false;
  DuringFirstTrial([&] {
    checked = true;
    EXPECT_FALSE(form.cmdMonte->isEnabled());
    EXPECT_FALSE(form.cmdAccept->isEnabled());
    EXPECT_FALSE(form.cmdSaveFile->isEnabled());
    EXPECT_FALSE(form.cmdRestart->isEnabled());
    EXPECT_FALSE(form.cmdExit->isEnabled());
    EXPECT_FALSE(form.cmdC47plus->isEnabled());
    EXPECT_FALSE(form.UpDown1->isEnabled());
    EXPECT_FALSE(form.txtAL->isEnabled());
    EXPECT_FALSE(form.txtTurnsL1->isEnabled());
    EXPECT_TRUE(form.Text1->isEnabled());
    EXPECT_FALSE(form.cmdMonteStop->isHidden());
    EXPECT_TRUE(form.lblLossLow->isHidden());
    form.cmdMonteStop->click();
    // Stop gives back everything but Restart at once.
    EXPECT_TRUE(form.cmdMonte->isEnabled());
    EXPECT_FALSE(form.cmdRestart->isEnabled());
  });
  form.cmdMonte->click();
  EXPECT_TRUE(checked);
  EXPECT_TRUE(form.cmdRestart->isEnabled());
}

TEST_F(TuningTest, StopInTheFirstTrialRestoresExactly) {
  frmDesign& form = Open();
  const auto before = Values(session.design);
  DuringFirstTrial([&] { form.cmdMonteStop->click(); });
  form.cmdMonte->click();
  EXPECT_EQ(session.monte.trialCount, 1);
  EXPECT_EQ(Values(session.design), before);
  EXPECT_TRUE(form.cmdMonteStop->isHidden());
  EXPECT_FALSE(session.monte.running);
}

TEST_F(TuningTest, SecondStartDuringARunIsImpossible) {
  frmDesign& form = Open();
  DuringFirstTrial([&] {
    form.cmdMonteStop->click();
    form.cmdMonte->click();  // enabled again by Stop, but the run is not over
  });
  form.cmdMonte->click();
  EXPECT_EQ(session.monte.trialCount, 1);
  EXPECT_EQ(session.monte.trialColorCounter, 1);
}

TEST_F(TuningTest, ClosingTheWindowDuringARunStopsCleanly) {
  frmDesign& form = Open();
  const auto before = Values(session.design);
  DuringFirstTrial([&] { form.close(); });
  form.cmdMonte->click();
  EXPECT_EQ(endCalls, 1);
  EXPECT_EQ(session.monte.trialCount, 1);
  EXPECT_FALSE(session.monte.running);
  EXPECT_EQ(Values(session.design), before);
}

TEST_F(TuningTest, WizardLeadsToTheDesignScreen) {
  manager.ShowOpening();
  bool previewed = false;
  QTimer::singleShot(0, [&] {
    auto* wizard = qobject_cast<frmWizard*>(QApplication::activeModalWidget());
    ASSERT_NE(wizard, nullptr);
    wizard->txtLowerEdge->setText("7M");
    wizard->cmdPreview->click();
    previewed = Text(wizard->results[5]) == "16  (result: 768nH)";
    wizard->cmdExit->click();
  });
  manager.Opening()->cmdWizard->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(previewed);
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_EQ(manager.Opening(), nullptr);
  EXPECT_EQ(session.design.LowerEdge, 7e6f);
  EXPECT_EQ(session.design.TurnsL1, 16);
  EXPECT_EQ(Text(manager.Design()->Text3), notation::FormatCapacitance(session.design.C48));
}

TEST_F(TuningTest, ClosedWizardStillOpensTheDesignScreen) {
  session.design.Band = 0;  // as after "Restart"
  manager.ShowOpening();
  QTimer::singleShot(0, [] {
    if (auto* wizard = qobject_cast<frmWizard*>(QApplication::activeModalWidget())) {
      wizard->txtLowerEdge->setText("14M");
      wizard->reject();
    }
  });
  manager.Opening()->cmdWizard->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_NE(manager.Design(), nullptr);
  EXPECT_EQ(session.design.LowerEdge, 14e6f);
  EXPECT_EQ(session.design.UpperEdge, 15.4e6f);
  EXPECT_EQ(Text(manager.Design()->lblBand), " 14MHz to 15.4MHz");
}

}  // namespace
}  // namespace diruruzevuv::screens
