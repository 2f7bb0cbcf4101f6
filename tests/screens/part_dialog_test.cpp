// "Measure a part..." on the design screen against the emulator: a toroid
// measured, its AL used as typed, and added to the working folder's cores.
#include "screens/part_dialog.h"

#include <QPlainTextEdit>

#include "analyser_emulator/analyser_emulator.h"
#include "design_screen.h"
#include "files/core_catalogue.h"
#include "screens/analyser_control.h"

namespace diruruzevuv::screens {
namespace {

class PartScreenTest : public ::testing::Test, public testing::DesignScreen {};

TEST_F(PartScreenTest, MeasuresAToroidUsesItsALAndAddsItToMyCores) {
  const auto control = dir / "control.txt";
  testing::WriteText(control, "connect part shunt L=735.6n R=0.43 C=1.5p\n");
  testing::AnalyserEmulator emulator({.controlFile = control.string()});
  const model::DesignState before = session.design;
  const std::string mine = "* my own cores\r\n";
  testing::WriteText(dir / files::kCoreCatalogueName, mine);
  dialogs.answers = {"12", "shunt-through", "the analyser", emulator.Port()};
  dialogs.confirm = true;
  std::string shown;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* part = qobject_cast<PartDialog*>(QApplication::activeModalWidget());
    if (part == nullptr || !shown.empty()) return;
    shown = part->text->toPlainText().toStdString();
    part->cmdUseAl->click();
    dialogs.answers = {"T50-2", "T50-2 mine"};
    EXPECT_TRUE(part->AddToMyCores());
    part->reject();
  });
  poll.start(20);
  Choose("Measure a part...");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 10000));
  EXPECT_NE(shown.find("AL: 4.900 nH/turn^2 (12 turns, less 30 nH for the two leads)\n"
                       "Cores: consistent with T50-2, T68-6; T80-6 is 9 % off\n"
                       "Design's core T37-6 (AL 3.00 +- 5 %): 63 % off, outside tolerance"),
            std::string::npos)
      << shown;
  EXPECT_EQ(session.design.ToroidAL, 4.9f);
  EXPECT_EQ(session.design.TurnsL2, model::NearestWholeTurns(before.L2, 4.9e-9));
  EXPECT_EQ(session.design.TurnsL1, model::NearestWholeTurns(before.L1, 4.9e-9));
  const std::string row = testing::ReadText(dir / files::kCoreCatalogueName);
  EXPECT_EQ(row.rfind(mine + "T50-2 mine, iron powder mix 2, 4.9, 12.7, 7.62, 4.83, 5, 0.25, 10, "
                             "measured, 12 turns, shunt-through, ",
                      0),
            0u)
      << row;
  EXPECT_TRUE(files::ReadCoreCatalogue(session.locations).Find("T50-2 mine"));
}

}  // namespace
}  // namespace diruruzevuv::screens
