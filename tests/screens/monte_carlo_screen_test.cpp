// The design screen's first Monte Carlo run on the 20-metre preset shows
// the independently worked figures of tests/model/monte_carlo_figures_test.cpp
// (the shipped global defaults: Q values 200 and 2000).
#include <gtest/gtest.h>

#include "../files/test_support.h"
#include "screens/frm_design.h"
#include "screens/frm_opening.h"
#include "screens/screen_manager.h"
#include "scripted_dialogs.h"

namespace diruruzevuv::screens {
namespace {

using namespace diruruzevuv::testing;

TEST(MonteCarloScreenTest, FirstRunOnTwentyMetresShowsTheWorkedFigures) {
  TempDir dir;
  model::Session session;
  session.locations.workDir = dir.path();
  session.locations.dataDir = DIRU_SOURCE_DATA_DIR;
  ScriptedDialogs dialogs;
  ScreenManager manager{session, dialogs, [] {}};
  manager.ShowOpening();
  manager.Opening()->cmd20->click();
  frmDesign& form = *manager.Design();
  form.cmdMonte->click();
  EXPECT_EQ(form.lblWorst->text().toStdString(), "Worst-case passband loss: 0.18326 dB");
  EXPECT_EQ(form.lblWorstSecond->text().toStdString(), "Worst-case 2nd harm. atten: 39.03 dB");
  EXPECT_EQ(form.lblWorstThird->text().toStdString(), "Worst-case 3ed harm. atten: 41.85 dB");
  // 201 trials leave the colour counter at 201 mod 9; the losses are back.
  EXPECT_EQ(session.monte.trialColorCounter, 3);
  EXPECT_EQ(form.lblLossLow->text().toStdString(), "Target-value parts loss at 14MHz: 0.13502 dB");
  EXPECT_EQ(form.lblLossHigh->text().toStdString(),
            "Target-value parts loss at 14.35MHz: 0.14229 dB");
  EXPECT_FALSE(form.lblLossLow->isHidden() || form.lblLossHigh->isHidden());
}

}  // namespace
}  // namespace diruruzevuv::screens
