#include "screens/build_sheet_window.h"

#include <QComboBox>
#include <QPlainTextEdit>

#include "design_screen.h"
#include "files/settings_file.h"

namespace diruruzevuv::screens {
namespace {

class BuildSheetWindowTest : public ::testing::Test, public testing::DesignScreen {};

TEST_F(BuildSheetWindowTest, ChoicesAreKeptAndTheDesignChangesOnlyWhenTheUserSaysSo) {
  const model::DesignState before = session.design;
  const auto path = dir / files::kSettingsFileName;
  files::ProgramSettings other;  // another copy's port, and an SWR out of range
  other.Set("buildsheet.swr", "1e308");
  other.Set("analyser.port", "A");
  ASSERT_TRUE(files::UpdateSettingsFile(path, other));
  BuildSheetWindow window(Form());
  EXPECT_TRUE(window.sheetText->toPlainText().startsWith("Build sheet: 20.TXT, 14 MHz"));
  EXPECT_EQ(window.txtSwr->text(), QStringLiteral("2"));
  other.Set("analyser.port", "B");  // after this window read the file
  ASSERT_TRUE(files::UpdateSettingsFile(path, other));
  EXPECT_EQ(window.cboCore->currentText().toStdString(), "T37-6  (AL 3)");  // nearest AL 3
  EXPECT_NE(window.sheetText->toPlainText().indexOf(QStringLiteral("OVER RATING")), -1);
  EXPECT_FALSE(window.cmdUseTurns->isEnabled());  // until a core offers other turns
  // The printed page (its own printer is tested beside the report's).
  const auto texts = BuildSheetPage(model::BuildSheetLines(window.Sheet())).Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "OVER RATING"), texts.end());
  // A sheet of 80 lines with the harmonics still ends on the page.
  const auto ops = BuildSheetPage(std::vector<std::string>(80, "x"))
                       .OfKind(platform::RecordingCanvas::Kind::Text);
  EXPECT_LT(ops.back().a.y, 9800.0);

  window.txtPower->setText(QStringLiteral("5"));
  window.txtWireL1->setText(QStringLiteral("26"));
  emit window.txtPower->editingFinished();
  const files::ProgramSettings saved = files::ReadSettingsFile(path);
  EXPECT_EQ(saved.Get("analyser.port"), "B");
  EXPECT_EQ(saved.Get("buildsheet.power"), "5");
  EXPECT_EQ(saved.Get("buildsheet.wire.L1"), "26");
  EXPECT_EQ(saved.Get("buildsheet.wire.L2"), model::kDefaultWire);
  EXPECT_EQ(saved.Get("buildsheet.core"), "T37-6");
  EXPECT_EQ(window.Sheet().choices.stress.watts, 5.0);
  window.txtPower->setText(QStringLiteral("1e308"));  // out of range: put back
  emit window.txtPower->editingFinished();
  EXPECT_EQ(window.txtPower->text(), QStringLiteral("5"));

  // The harmonics against the rule picked, with the PA's levels.
  window.txtPa->setText(QStringLiteral("2=-30"));
  window.cboRule->setCurrentIndex(window.cboRule->findText(QStringLiteral("US-HF")));
  emit window.cboRule->activated(window.cboRule->currentIndex());
  EXPECT_NE(window.sheetText->toPlainText().indexOf(QStringLiteral(
                "design, 2nd harmonic: -72.7 dBc at the antenna, rule allows -43.0 dBc: meets by "
                "29.7 dB")),
            -1);
  // E24, then search off the GUI thread; nothing changes until accepted.
  window.cboSeries->setCurrentIndex(2);
  {  // another window opens with the kept choices
    const BuildSheetWindow again(Form());
    EXPECT_EQ((again.txtPower->text() + ' ' + again.txtWireL1->text() + ' ' + again.txtPa->text() +
               ' ' + again.cboRule->currentText())
                  .toStdString(),
              "5 26 2=-30 US-HF");
    EXPECT_EQ(again.cboSeries->currentIndex(), 2);
  }
  window.StartSearch();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.cmdAcceptProposal->isEnabled(); }, 20000));
  EXPECT_EQ(session.design.C48, before.C48);
  EXPECT_GT(window.sheetText->cursorForPosition({0, 0}).blockNumber(), 0);  // the proposal in view
  window.cmdAcceptProposal->click();
  EXPECT_NEAR(session.design.C48, 390e-12, 1e-16);
  EXPECT_TRUE(window.sheetText->toPlainText().startsWith("Build sheet: 20.TXT, changed, 14 MHz"));

  // A core with another AL: the AL follows at once, the turns on request.
  window.cboCore->setCurrentIndex(window.cboCore->findText(QStringLiteral("T50-2  (AL 4.9)")));
  EXPECT_EQ(session.design.ToroidAL, 4.9f);
  EXPECT_EQ(session.design.TurnsL1, before.TurnsL1);
  ASSERT_TRUE(window.cmdUseTurns->isEnabled());
  window.cmdUseTurns->click();
  EXPECT_EQ(session.design.TurnsL1, 9);
  EXPECT_EQ(session.design.TurnsL2, 11);
  EXPECT_EQ(files::ReadSettingsFile(path).Get("buildsheet.core"), "T50-2");
}

}  // namespace
}  // namespace diruruzevuv::screens
