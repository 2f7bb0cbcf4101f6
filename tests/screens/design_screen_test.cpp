// The design screen: Enter in a value box, what is shown and enabled
// through a run and tuning, and where the save and print dialogs lead.

#include <QPrintDialog>
#include <QPrinter>
#include <QToolButton>
#include <filesystem>
#include <vector>

#include "model/circuit/evaluation.h"
#include "model/circuit/monte_carlo.h"
#include "platform/qt_dialogs.h"
#include "platform/turns_spinner.h"
#include "screens/build_sheet_window.h"
#include "screens/plot.h"
#include "design_screen.h"

namespace diruruzevuv::screens {
namespace {

using namespace diruruzevuv::testing;

// Enter in any value box is "Replot": typed turns taken, the picture
// drawn anew, the worst-case figures hidden.
TEST(EnterTest, EnterInEveryBoxReplots) {
  DesignScreen screen;
  for (const char* box :
       {"Text1", "Text3", "Text5", "Text6", "txtTurnsL1", "txtTurnsL2", "txtAL"}) {
    SCOPED_TRACE(box);
    screen.Find<QLabel>("lblWorst")->show();
    screen.Type("txtTurnsL1", "15");
    QTest::keyClick(screen.Find<QLineEdit>(box), Qt::Key_Return);
    EXPECT_EQ(screen.session.design.TurnsL1, 15);
    EXPECT_TRUE(screen.Find<QLabel>("lblWorst")->isHidden());
    screen.Type("txtTurnsL1", "12");
    screen.Click("cmdAccept");
  }
}

// One character a column, '+' shown or enabled: the losses, the worst-case
// figures, "Stop" shown; "Monte Carlo", "Restart", every other control enabled.
std::string StateOf(DesignScreen& screen) {
  const auto all = [&](std::initializer_list<const char*> names, bool (*on)(QWidget*)) {
    std::size_t count = 0;
    for (const char* name : names) count += on(screen.Find<QWidget>(name)) ? 1 : 0;
    EXPECT_TRUE(count == 0 || count == names.size()) << "mixed: " << *names.begin();
    return count ? '+' : '-';
  };
  const auto shown = [](QWidget* w) { return !w->isHidden(); };
  const auto enabled = [](QWidget* w) { return w->isEnabled(); };
  return {all({"lblLossLow", "lblLossHigh"}, shown),
          all({"lblWorst", "lblWorstSecond", "lblWorstThird"}, shown),
          all({"cmdMonteStop"}, shown),
          all({"cmdMonte"}, enabled),
          all({"cmdRestart"}, enabled),
          all({"cmdAccept", "cmdSaveFile", "cmdSpice", "cmdPrint", "cmdExit", "cmdC47minus",
               "cmdC47plus", "cmdC48minus", "cmdC48plus", "cmdC92minus", "cmdC92plus",
               "cmdC49minus", "cmdC49plus", "UpDown1", "UpDown2", "txtTurnsL1", "txtTurnsL2",
               "txtAL", "cmdMeasured"},
              enabled)};
}

// The first run shows what the model's run of the same design gives;
// 201 trials leave the colour counter at 201 mod 9.
TEST(DesignScreenStateTest, VisibleAndEnabledThroughARunAndTuning) {
  DesignScreen screen;
  model::Session quiet = screen.session;
  model::ValueBoxes boxes;
  model::WorstCaseLabels figures;
  model::RunMonteCarloWithoutDrawing(quiet, boxes, figures);
  EXPECT_EQ(StateOf(screen), "+--+++") << "before a run";
  // In its first trial Enter waits for the run and the close box does nothing.
  const ModalGuard guard;
  QTimer::singleShot(0, [&] {
    QTest::keyClick(screen.Find<QLineEdit>("Text1"), Qt::Key_Return);
    EXPECT_FALSE(screen.Form().close());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(StateOf(screen), "-++---") << "during a run";
  });
  screen.Click("cmdMonte");
  EXPECT_EQ(StateOf(screen), "++-+++") << "after the run";
  EXPECT_EQ(screen.endCalls, 0);
  EXPECT_EQ(screen.session.monte.trialCount, 201);
  EXPECT_EQ(screen.Label("lblWorst"), figures.worst);
  EXPECT_EQ(screen.Label("lblWorstSecond"), figures.worstSecond);
  EXPECT_EQ(screen.Label("lblWorstThird"), figures.worstThird);
  EXPECT_EQ(screen.session.monte.trialColorCounter, 3);
  const model::Evaluation nominal = model::Evaluate(quiet.design, quiet.defaults);
  const model::DesignState& d = quiet.design;
  EXPECT_EQ(screen.Label("lblLossLow"), EdgeLossLabel(d.LowerEdge, nominal.edges.lower).text);
  EXPECT_EQ(screen.Label("lblLossHigh"), EdgeLossLabel(d.UpperEdge, nominal.edges.upper).text);
  QTimer::singleShot(0, [&] {
    screen.Click("cmdMonteStop");
    EXPECT_EQ(StateOf(screen), "-+-+-+") << "after Stop, before the run's end";
    screen.Click("cmdMonte");  // enabled, but the run is not over
  });
  screen.Click("cmdMonte");
  EXPECT_EQ(StateOf(screen), "++-+++") << "after a stopped run";
  EXPECT_EQ(screen.session.monte.trialCount, 1);
  screen.Find<platform::TurnsSpinner>("UpDown2")->UpButton()->click();
  EXPECT_EQ(StateOf(screen), "++-+++") << "after a spinner click";
  screen.Click("cmdC48plus");
  EXPECT_EQ(StateOf(screen), "+--+++") << "after a step";
  screen.Click("cmdMonte");
  screen.Type("Text3", "330p");
  EXPECT_EQ(StateOf(screen), "+--+++") << "after a typed value";
  screen.Click("cmdMonte");
  EXPECT_EQ(StateOf(screen), "++-+++") << "after a run on a typed value";
  screen.Click("cmdAccept");
  EXPECT_EQ(StateOf(screen), "+--+++") << "after Replot";
}

// A name that would take a band preset's place in the working folder is asked about.
TEST(SaveDialogTest, RefusedNamesExtensionsAndPresetNames) {
  DesignScreen screen;
  screen.Click("cmdSaveFile");  // cancelled
  EXPECT_EQ(screen.session.design.CurrentFile, "20.TXT");
  EXPECT_TRUE(std::filesystem::is_empty(screen.dir.path()));
  const std::string refused = (screen.dir / "MyDefaults.TXT").string();
  const std::string plain = (screen.dir / "mine").string();
  screen.dialogs.answers = {refused, plain, "y", (screen.dir / "circuit").string()};
  screen.Click("cmdSaveFile");
  EXPECT_EQ(screen.dialogs.messages, std::vector<std::string>{"That filename is not allowed"});
  EXPECT_FALSE(std::filesystem::exists(refused));
  screen.Click("cmdSaveFile");
  EXPECT_EQ(screen.session.design.CurrentFile, plain + ".TXT");
  EXPECT_EQ(screen.session.filed.name, "mine.TXT");  // what the build sheet names
  EXPECT_EQ(ReadText(plain + ".TXT").rfind(plain + ".TXT\r\n", 0), 0u);
  screen.Click("cmdSaveFile");  // one character: nothing, as before
  EXPECT_FALSE(std::filesystem::exists("y.TXT") || std::filesystem::exists("y"));
  screen.Click("cmdSpice");
  EXPECT_TRUE(std::filesystem::exists(screen.dir / "circuit.ASC"));

  const std::string preset = (screen.dir / "40").string();
  screen.dialogs.answers = {preset, preset};
  screen.Click("cmdSaveFile");  // the question answered No
  ASSERT_EQ(screen.dialogs.questions.size(), 1u);
  EXPECT_NE(screen.dialogs.questions[0].find("40-meter band preset"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(screen.dir / "40.TXT"));
  screen.dialogs.confirm = true;
  screen.Click("cmdSaveFile");
  EXPECT_TRUE(std::filesystem::exists(screen.dir / "40.TXT"));
  EXPECT_EQ(screen.dialogs.messages.size(), 1u);
}

// Never where the program was started.
TEST(SaveDialogTest, DialogsStartInTheLastOrTheWorkingFolder) {
  for (const bool chosenBefore : {false, true}) {
    DesignScreen screen;
    TempDir other;
    if (chosenBefore) screen.dialogs.RememberFolderOf((other / "mine.TXT").string());
    QString offered;  // by the build sheet, named after the design; the report keeps its own
    BuildSheetWindow sheet(screen.Form());
    for (QPushButton* print : {sheet.cmdPrint, screen.Find<QPushButton>("cmdPrint")})
      WhileModal([print] { print->click(); },
                 [&](QWidget& up) {
                   offered += qobject_cast<QPrintDialog*>(&up)->printer()->outputFileName() + ' ';
                   up.close();
                 });
    const TempDir& folder = chosenBefore ? other : screen.dir;
    EXPECT_EQ(offered.toStdString(), (folder / "20-buildsheet.pdf").string() + ' ' +
                                         (folder / "report.pdf").string() + ' ');
  }
  // The file dialogs of one run, too, start where the last one ended.
  platform::QtDialogs dialogs;
  EXPECT_EQ(dialogs.StartPath("20.TXT"), QStringLiteral("20.TXT"));
  dialogs.Remember(QStringLiteral("/home/me/filters/40m.TXT"));
  EXPECT_EQ(dialogs.StartPath("20.TXT"), QStringLiteral("/home/me/filters/20.TXT"));
  EXPECT_EQ(dialogs.StartPath(""), QStringLiteral("/home/me/filters"));
  EXPECT_EQ(dialogs.StartPath("/elsewhere/a.TXT"), QStringLiteral("/elsewhere/a.TXT"));
  dialogs.Remember(QString());  // a cancelled dialog changes nothing
  EXPECT_EQ(dialogs.StartPath("x"), QStringLiteral("/home/me/filters/x"));
}

}  // namespace
}  // namespace diruruzevuv::screens
