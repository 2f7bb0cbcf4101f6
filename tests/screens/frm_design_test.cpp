// The design screen's boxes: what the schematic writes is read back as if
// typed, and typing changes the design at once.
#include "screens/frm_design.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <string>

#include "../files/test_support.h"
#include "model/session.h"
#include "notation/notation.h"
#include "screens/screen_manager.h"
#include "scripted_dialogs.h"

namespace diruruzevuv::screens {
namespace {

using diruruzevuv::testing::ScriptedDialogs;
using diruruzevuv::testing::TempDir;

class DesignScreenTest : public ::testing::Test {
 protected:
  DesignScreenTest() {
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

  TempDir dir;
  model::Session session;
  ScriptedDialogs dialogs;
  ScreenManager manager{session, dialogs, [] {}};
};

TEST_F(DesignScreenTest, BoxesShowTheDesignAndHoldExactlyWhatTheyShow) {
  session.design.C48 = 3.3333e-10f;
  frmDesign& form = Open();
  EXPECT_EQ(form.Text1->text(), "200pF");
  EXPECT_EQ(form.Text3->text(), QString::fromStdString(notation::FormatCapacitance(3.3333e-10f)));
  EXPECT_EQ(session.design.C48, notation::ParseValue(form.Text3->text().toStdString()));
  EXPECT_EQ(form.Text5->text(), "68pF");
  EXPECT_EQ(form.txtAL->text(), "  3");
  EXPECT_EQ(form.txtTurnsL2->text(), " 14");
  EXPECT_EQ(form.txtTurnsL1->text(), " 12");
  EXPECT_EQ(form.Label4->text(), "432nH");
  EXPECT_EQ(form.lblTerminations->text(), "Terminations: 50 ohms");
  EXPECT_EQ(form.lblinductorQ->text(), "Inductor Q values: 200");
  EXPECT_EQ(form.lblcapacitorQ->text(), "Capacitor Q values: 1000");
}

TEST_F(DesignScreenTest, ACapacitanceTooSmallToShowBecomesZero) {
  session.design.C92 = 1e-15f;
  frmDesign& form = Open();
  EXPECT_EQ(form.Text5->text(), "");
  EXPECT_EQ(session.design.C92, 0.0f);
}

struct TypedRow {
  const char* name;
  const char* box;
  const char* text;
  float model::DesignState::*field;
  float expected;
};

class TypedCapacitorTest : public DesignScreenTest,
                           public ::testing::WithParamInterface<TypedRow> {};

TEST_P(TypedCapacitorTest, TypingStoresTheValueAndHidesTheWorstCase) {
  const TypedRow& row = GetParam();
  frmDesign& form = Open();
  form.lblWorst->setVisible(true);
  form.lblWorstSecond->setVisible(true);
  form.lblWorstThird->setVisible(true);
  auto* box = form.findChild<QLineEdit*>(QString::fromLatin1(row.box));
  ASSERT_NE(box, nullptr);
  box->setText(QString::fromLatin1(row.text));
  EXPECT_EQ(session.design.*row.field, row.expected);
  EXPECT_TRUE(form.lblWorst->isHidden());
  EXPECT_TRUE(form.lblWorstSecond->isHidden());
  EXPECT_TRUE(form.lblWorstThird->isHidden());
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, TypedCapacitorTest,
    ::testing::Values(TypedRow{"Text1Letters", "Text1", "abc", &model::DesignState::C47, 0.0f},
                      TypedRow{"Text1Pico", "Text1", "150p", &model::DesignState::C47, 1.5e-10f},
                      TypedRow{"Text3Nano", "Text3", "1n", &model::DesignState::C48, 1e-9f},
                      TypedRow{"Text5Empty", "Text5", "", &model::DesignState::C92, 0.0f},
                      TypedRow{"Text6Negative", "Text6", "-5p", &model::DesignState::C49, -5e-12f},
                      TypedRow{"AlBelowOne", "txtAL", "0.5", &model::DesignState::ToroidAL, 1.0f},
                      TypedRow{"AlFour", "txtAL", "4", &model::DesignState::ToroidAL, 4.0f}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(DesignScreenTest, TypedAlKeepsItsTextAndUpdatesTheInductances) {
  frmDesign& form = Open();
  form.txtAL->setText("0.5");
  EXPECT_EQ(form.txtAL->text(), "0.5");
  EXPECT_EQ(session.design.ToroidAL, 1.0f);
  EXPECT_FLOAT_EQ(session.design.L1, 144e-9f);
}

TEST_F(DesignScreenTest, TypingDoesNotRedraw) {
  frmDesign& form = Open();
  const std::size_t drawn = form.Surface().OperationCount();
  form.Text1->setText("100p");
  EXPECT_EQ(form.Surface().OperationCount(), drawn);
}

TEST_F(DesignScreenTest, RedisplayTwiceDrawsTheSamePicture) {
  frmDesign& form = Open();
  const QImage first = form.Surface().Image().copy();
  form.Redisplay();
  EXPECT_EQ(form.Surface().Image(), first);
}

TEST_F(DesignScreenTest, PendingControlsExistWithTheirCaptions) {
  frmDesign& form = Open();
  const std::pair<QPushButton*, const char*> buttons[] = {
      {form.cmdC47minus, "-1%"},     {form.cmdC47plus, "+1%"},        {form.cmdC48minus, "-1%"},
      {form.cmdC48plus, "+1%"},      {form.cmdC92minus, "-1%"},       {form.cmdC92plus, "+1%"},
      {form.cmdC49minus, "-1%"},     {form.cmdC49plus, "+1%"},        {form.cmdAccept, "Replot"},
      {form.cmdMonte, "MonteCarlo"}, {form.cmdMonteStop, "Stop"},     {form.cmdSpice, "LTspice"},
      {form.cmdPrint, "Print"},      {form.cmdSaveFile, "Save file"}, {form.cmdRestart, "Restart"},
      {form.cmdExit, "Exit"}};
  for (const auto& [button, caption] : buttons) {
    ASSERT_NE(button, nullptr) << caption;
    EXPECT_EQ(button->text(), QString::fromLatin1(caption));
  }
  EXPECT_EQ(form.UpDown1->Buddy(), form.txtTurnsL2);
  EXPECT_EQ(form.UpDown2->Buddy(), form.txtTurnsL1);
  EXPECT_TRUE(form.cmdMonteStop->isHidden());
  EXPECT_EQ(form.Geometry().GridRect(form.cmdMonteStop), form.Geometry().GridRect(form.cmdMonte));
}

TEST_F(DesignScreenTest, BandCaptionShowsOnlyTheEdgesWithoutABand) {
  session.design.Band = 0;
  session.design.LowerEdge = 14e6f;
  session.design.UpperEdge = 15.4e6f;
  EXPECT_EQ(BandCaption(session.design), " 14MHz to 15.4MHz");
  session.design.Band = 20;
  session.design.UpperEdge = 14.35e6f;
  EXPECT_EQ(BandCaption(session.design), "20-meter band: 14MHz to 14.35MHz");
}

TEST_F(DesignScreenTest, ControlsFollowTheWindowSize) {
  frmDesign& form = Open();
  form.show();
  form.resize(1200, 900);
  QCoreApplication::processEvents();
  const QRect small = form.cmdExit->geometry();
  form.resize(2400, 1800);
  QCoreApplication::processEvents();
  const QRect large = form.cmdExit->geometry();
  EXPECT_NEAR(large.left(), 2 * small.left(), 2);
  EXPECT_NEAR(large.width(), 2 * small.width(), 2);
  EXPECT_EQ(form.Surface().Size(), QSize(2400, 1800));
}

}  // namespace
}  // namespace diruruzevuv::screens
