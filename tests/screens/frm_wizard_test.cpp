#include "screens/frm_wizard.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "model/design_state.h"

namespace diruruzevuv::screens {
namespace {

class RecordingNotifier final : public model::Notifier {
 public:
  void Message(const std::string& text) override { messages.push_back(text); }
  void Beep() override { ++beeps; }
  std::vector<std::string> messages;
  int beeps = 0;
};

std::string Text(const QLabel* label) { return label->text().toStdString(); }
std::string Text(const QLineEdit* box) { return box->text().toStdString(); }

TEST(FrmWizardTest, OpensWithItsInitialEntriesAndNoResults) {
  model::Session session;
  RecordingNotifier notifier;
  frmWizard wizard(session, notifier);
  EXPECT_EQ(wizard.windowTitle().toStdString(), "DIRUruzevuv - Wizard page");
  EXPECT_EQ(Text(wizard.lblTitle), "KAMO Lowpass Filter Design Wizard");
  EXPECT_EQ(Text(wizard.lblLowerEdge), "Lower bandedge, Hz: ");
  EXPECT_EQ(Text(wizard.lblToroid), "Toroid AL: ");
  EXPECT_EQ(Text(wizard.lblInput), "Input termination: ");
  EXPECT_EQ(Text(wizard.txtLowerEdge), "3500k");
  EXPECT_EQ(Text(wizard.txtToroid), "3");
  EXPECT_EQ(Text(wizard.txtInput), "50");
  EXPECT_EQ(Text(wizard.captions[2]), "L2 turns: ");
  for (const QLabel* result : wizard.results) EXPECT_EQ(Text(result), "");
  EXPECT_FALSE(wizard.cmdExit->isEnabled());
  EXPECT_EQ(wizard.cmdExit->text().toStdString(), "Continue");
  // Opening changes nothing in the design.
  EXPECT_EQ(session.design.LowerEdge, 0.0f);
}

TEST(FrmWizardTest, EditingTheLowerEdgeMovesTheBandAtOnce) {
  model::Session session;
  RecordingNotifier notifier;
  frmWizard wizard(session, notifier);
  wizard.txtLowerEdge->setText("7M");
  EXPECT_EQ(session.design.LowerEdge, 7e6f);
  EXPECT_EQ(session.design.UpperEdge, 7.7e6f);
  wizard.txtLowerEdge->clear();
  EXPECT_EQ(session.design.LowerEdge, 0.0f);
  EXPECT_EQ(session.design.UpperEdge, 0.0f);
}

TEST(FrmWizardTest, PreviewFillsTheRowsAndEnablesContinue) {
  model::Session session;
  RecordingNotifier notifier;
  frmWizard wizard(session, notifier);
  wizard.txtLowerEdge->setText("3512345");
  wizard.cmdPreview->click();
  EXPECT_TRUE(notifier.messages.empty());
  EXPECT_EQ(Text(wizard.txtLowerEdge), " 3.5123M");
  EXPECT_EQ(Text(wizard.txtToroid), "3 ");
  EXPECT_EQ(Text(wizard.txtInput), "50 ");
  EXPECT_EQ(session.design.LowerEdge, 3512300.0f);
  EXPECT_EQ(session.defaults.GridDivisions, 6);
  EXPECT_TRUE(wizard.cmdExit->isEnabled());
  wizard.txtLowerEdge->setText("3500k");
  wizard.cmdPreview->click();
  EXPECT_EQ(Text(wizard.results[0]), "956.829pF");
  EXPECT_EQ(Text(wizard.results[2]), "26  (result: 2.028uH)");
  EXPECT_EQ(Text(wizard.results[7]), "758.086pF");
  wizard.cmdExit->click();
  EXPECT_EQ(wizard.result(), QDialog::Accepted);
}

TEST(FrmWizardTest, RefusedEntriesLeaveDesignAndTextsForCorrection) {
  model::Session session;
  model::ApplyDefaultDesign(session.design);
  RecordingNotifier notifier;
  frmWizard wizard(session, notifier);
  wizard.txtLowerEdge->setText("14M");
  wizard.txtToroid->setText("abc");
  wizard.cmdPreview->click();
  ASSERT_EQ(notifier.messages.size(), 1u);
  EXPECT_NE(notifier.messages[0].find("AL"), std::string::npos);
  EXPECT_EQ(Text(wizard.txtToroid), "abc");
  EXPECT_EQ(Text(wizard.txtLowerEdge), "14M");
  EXPECT_EQ(session.design.C47, 2e-10f);
  EXPECT_EQ(session.design.ToroidAL, 3.0f);
  EXPECT_EQ(Text(wizard.results[0]), "");
  EXPECT_FALSE(wizard.cmdExit->isEnabled());
}

}  // namespace
}  // namespace diruruzevuv::screens
