// The design screen where a user's expectations fill in: Enter in a value
// box, typed turns followed by a step, designs that cannot be analysed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <array>
#include <string>

#include "../files/test_support.h"
#include "model/analysis_problem.h"
#include "model/session.h"
#include "platform/recording_canvas.h"
#include "platform/turns_spinner.h"
#include "report/report.h"
#include "screens/frm_design.h"
#include "screens/frm_opening.h"
#include "screens/plot.h"
#include "screens/screen_manager.h"
#include "scripted_dialogs.h"

namespace diruruzevuv::screens {
namespace {

using namespace diruruzevuv::testing;

// A design screen on the shipped 20-metre preset, found by object names.
class DesignScreen {
 public:
  DesignScreen() {
    session.locations.workDir = dir.path();
    session.locations.dataDir = DIRU_SOURCE_DATA_DIR;
    manager.SetShowScreens(false);
    manager.ShowOpening();
    Find<QPushButton>("cmd20")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  template <typename T>
  T* Find(const char* name) {
    QWidget* screen = manager.Design() ? static_cast<QWidget*>(manager.Design())
                                       : static_cast<QWidget*>(manager.Opening());
    T* found = screen->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  // Replaces a box's text by typing, as a user does.
  void Type(const char* box, const char* text) {
    QLineEdit* edit = Find<QLineEdit>(box);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(text));
  }

  // What a redisplay leaves: values, captions, visibility, picture.
  struct Outcome {
    std::array<float, 7> values;
    std::array<int, 2> turns;
    std::string lossLow, lossHigh, al, turnsL1;
    bool worstHidden;
    QImage picture;
    bool operator==(const Outcome&) const = default;
  };
  Outcome Now() {
    const model::DesignState& d = session.design;
    return {{d.C47, d.C48, d.C92, d.C49, d.ToroidAL, d.L1, d.L2},
            {d.TurnsL1, d.TurnsL2},
            Find<QLabel>("lblLossLow")->text().toStdString(),
            Find<QLabel>("lblLossHigh")->text().toStdString(),
            Find<QLineEdit>("txtAL")->text().toStdString(),
            Find<QLineEdit>("txtTurnsL1")->text().toStdString(),
            Find<QLabel>("lblWorst")->isHidden(),
            manager.Design()->Surface().Image()};
  }

  TempDir dir;
  model::Session session;
  ScriptedDialogs dialogs;
  ScreenManager manager{session, dialogs, [] {}};
};

struct EnterRow {
  const char* box;
  const char* typed;
};

class EnterTest : public ::testing::TestWithParam<EnterRow> {};

// Enter in a box gives exactly what "Replot" gives after the same typing,
// the worst-case figures hidden alike.
TEST_P(EnterTest, EnterReplotsAsReplotDoes) {
  const EnterRow& row = GetParam();
  DesignScreen viaEnter;
  const auto before = viaEnter.Now();
  viaEnter.Find<QLabel>("lblWorst")->show();
  viaEnter.Type(row.box, row.typed);
  QTest::keyClick(viaEnter.Find<QLineEdit>(row.box), Qt::Key_Return);

  DesignScreen viaReplot;
  viaReplot.Find<QLabel>("lblWorst")->show();
  viaReplot.Type(row.box, row.typed);
  viaReplot.Find<QPushButton>("cmdAccept")->click();

  EXPECT_EQ(viaEnter.Now(), viaReplot.Now());
  EXPECT_NE(viaEnter.Now().picture, before.picture);  // something was drawn anew
  EXPECT_TRUE(viaEnter.Now().worstHidden);
}

INSTANTIATE_TEST_SUITE_P(Boxes, EnterTest,
                         ::testing::Values(EnterRow{"Text1", "330p"}, EnterRow{"Text3", "0.5n"},
                                           EnterRow{"Text5", "0"}, EnterRow{"Text6", "180pF"},
                                           EnterRow{"txtTurnsL1", "15"},
                                           EnterRow{"txtTurnsL2", "0"}, EnterRow{"txtAL", "4.9"}),
                         [](const auto& row) { return std::string(row.param.box); });

// A typed turns count is taken before a step overwrites its box, and a
// spinner at the end of its range still takes what was typed.
TEST(TypedTurnsTest, SurviveAStepOrASpinnerAtItsLimit) {
  DesignScreen screen;
  screen.Type("txtTurnsL1", "15");
  screen.Find<QPushButton>("cmdC47plus")->click();
  EXPECT_EQ(screen.session.design.TurnsL1, 15);
  EXPECT_EQ(screen.Find<QLineEdit>("txtTurnsL1")->text(), " 15");
  EXPECT_EQ(screen.session.design.L1, 15 * 15 * 3e-9f);

  screen.Type("txtTurnsL2", "99");
  screen.Find<platform::TurnsSpinner>("UpDown1")->UpButton()->click();
  EXPECT_EQ(screen.session.design.TurnsL2, 99);
  EXPECT_EQ(screen.Find<QLineEdit>("txtTurnsL2")->text(), " 99");

  // Nothing typed: a step leaves the turns alone even where the box reads
  // otherwise than the design (a value the program wrote).
  screen.Find<QLineEdit>("txtTurnsL1")->setText("7");
  screen.Find<QPushButton>("cmdC47minus")->click();
  EXPECT_EQ(screen.session.design.TurnsL1, 15);
}

// Enter while a Monte Carlo run has "Replot" disabled does nothing.
TEST(TypedTurnsTest, EnterDuringARunWaitsForTheRun) {
  DesignScreen screen;
  screen.Find<QPushButton>("cmdAccept")->setEnabled(false);
  screen.Type("Text1", "330p");
  const QImage before = screen.manager.Design()->Surface().Image();
  QTest::keyClick(screen.Find<QLineEdit>("Text1"), Qt::Key_Return);
  EXPECT_EQ(screen.manager.Design()->Surface().Image(), before);
}

struct ProblemRow {
  const char* name;
  void (*change)(model::DesignState&);
  const char* line;
};

class UnanalysableTest : public ::testing::TestWithParam<ProblemRow> {};

// The plot on screen and the printed report show the same line in the
// frame; the report prints it in place of the losses.
TEST_P(UnanalysableTest, PlotAndReportNameTheReason) {
  const ProblemRow& row = GetParam();
  model::Session session;
  model::ApplyDefaultDesign(session.design);
  session.design.InductorQ = 200;
  session.design.CapacitorQ = 2000;
  session.defaults = {-20.0f, -28.0f, -35.0f, 1.05f, 6, -60.0f};
  row.change(session.design);
  model::UpdateInductances(session.design);
  session.analysis.RunSweep(session.design);

  platform::RecordingCanvas screen;
  const PlotLabels labels = Plot(screen, session, 12000.0);
  const auto texts = screen.Texts();
  const bool shown = std::find(texts.begin(), texts.end(), row.line) != texts.end();
  EXPECT_TRUE(shown) << row.name;
  EXPECT_TRUE(labels.lossLow.text.empty() && labels.lossHigh.text.empty());

  platform::RecordingCanvas page;
  report::DrawReport(page, session, {12000.0, "06.12.2026"});
  const auto printed = page.Texts();
  EXPECT_EQ(std::count(printed.begin(), printed.end(), row.line), 2) << row.name;
  for (const std::string& text : printed) EXPECT_EQ(text.find("Loss at"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Designs, UnanalysableTest,
    ::testing::Values(ProblemRow{"ZeroTurns", [](auto& d) { d.TurnsL1 = d.TurnsL2 = 0; },
                                 "Cannot analyse: L1 has 0 turns"},
                      ProblemRow{"EmptySweep", [](auto& d) { d.SweepStart = d.SweepStop = 0; },
                                 "Cannot analyse: the sweep range is empty"},
                      ProblemRow{"ZeroTermination", [](auto& d) { d.InputTermination = 0; },
                                 "Cannot analyse: the termination is 0 ohm"},
                      ProblemRow{"Zeros", [](auto& d) { d = model::DesignState{}; },
                                 "Cannot analyse: the sweep range is empty"}),
    [](const auto& row) { return std::string(row.param.name); });

// A design that analyses shows no such line.
TEST(UnanalysableTest, ASoundDesignShowsNoLine) {
  DesignScreen screen;
  platform::RecordingCanvas canvas;
  screen.session.analysis.RunSweep(screen.session.design);
  Plot(canvas, screen.session, 12000.0);
  for (const std::string& text : canvas.Texts())
    EXPECT_EQ(text.find("Cannot analyse"), std::string::npos);
}

}  // namespace
}  // namespace diruruzevuv::screens
