// Minimum window sizes, and value boxes that show the start of their text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <iostream>
#include <string>

#include "../files/test_support.h"
#include "model/session.h"
#include "platform/screen_geometry.h"
#include "screens/frm_design.h"
#include "screens/frm_opening.h"
#include "screens/frm_wizard.h"
#include "screens/screen_manager.h"
#include "scripted_dialogs.h"

namespace diruruzevuv::screens {
namespace {

using namespace diruruzevuv::testing;
using platform::ScreenGeometry;

class WindowSizeTest : public ::testing::Test {
 protected:
  WindowSizeTest() {
    session.locations.workDir = dir.path();
    session.locations.dataDir = DIRU_SOURCE_DATA_DIR;
    manager.SetShowScreens(false);
    manager.ShowOpening();
  }
  void OpenDesign(const char* band = "cmd20") {
    manager.Opening()->findChild<QPushButton*>(band)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QWidget& Design() { return *manager.Design(); }
  QLineEdit* Box(const char* name) { return Design().findChild<QLineEdit*>(name); }

  TempDir dir;
  model::Session session;
  ScriptedDialogs dialogs;
  ScreenManager manager{session, dialogs, [] {}};
};

// Whether the box shows its text from the start to the last glyph's ink
// inside its frame: the box's own style and font, the text two pixels in
// from the frame as the box draws it, the cursor (and so the view) at the
// start.
struct Peek : QLineEdit {
  using QLineEdit::initStyleOption;
};
bool ShowsWhole(QLineEdit* box) {
  QStyleOptionFrame frame;
  static_cast<Peek*>(box)->initStyleOption(&frame);
  const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &frame, box);
  const QFontMetrics metrics = box->fontMetrics();
  const QString text = box->text();
  const int ink = metrics.horizontalAdvance(text) - std::max(0, metrics.rightBearing(text.back()));
  return box->cursorPosition() == 0 && contents.left() + 2 + ink <= contents.right() + 1;
}

// No screen can be made smaller than its minimum, and that minimum is
// where ordinary text is still legible.
TEST_F(WindowSizeTest, WindowsCannotBeMadeSmallerThanTheirMinimum) {
  const auto refusesSmaller = [](QWidget* screen) {
    screen->resize(200, 150);
    EXPECT_EQ(screen->size(), screen->minimumSize()) << screen->objectName().toStdString();
    return screen->minimumSize();
  };
  const QSize opening = refusesSmaller(manager.Opening());
  OpenDesign();
  const QSize design = refusesSmaller(manager.Design());
  manager.ShowOpening();
  QSize wizard;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(qobject_cast<frmWizard*>(modal), nullptr);
    wizard = refusesSmaller(modal);
    modal->close();
  });
  manager.Opening()->findChild<QPushButton*>("cmdWizard")->click();
  const QSize legible = ScreenGeometry::LegibleClientSize();
  for (const QSize minimum : {opening, design, wizard}) {
    EXPECT_GE(minimum.width(), legible.width());
    EXPECT_GE(minimum.height(), legible.height());
    EXPECT_LE(minimum.width(), ScreenGeometry::kMeasureFromWidth);
  }
  std::cout << "minimum client sizes: opening " << opening.width() << "x" << opening.height()
            << ", design " << design.width() << "x" << design.height() << ", wizard "
            << wizard.width() << "x" << wizard.height() << "; text legible from " << legible.width()
            << "x" << legible.height() << "\n";
}

// At the design screen's minimum the widest values of the bands' designs
// show whole in the real boxes, and four pixels narrower something is
// cut or too small to read: the minimum is measured, not guessed.
TEST_F(WindowSizeTest, TheMinimumIsWhereTheWidestValuesStillFit) {
  OpenDesign();
  Design().show();  // a hidden window lays out only when shown
  const QSize minimum = Design().minimumSize();
  Design().resize(minimum);
  for (const char* name : {"Text1", "Text3", "Text5", "Text6"}) {
    for (const char* text : {"8888.88pF", "0.33489pF"}) {
      Box(name)->setText(text);
      Box(name)->setCursorPosition(0);
      EXPECT_TRUE(ShowsWhole(Box(name))) << name << " " << text;
    }
  }
  if (minimum.width() > ScreenGeometry::LegibleClientSize().width()) {
    Design().setMinimumSize(0, 0);
    Design().resize(minimum.width() - 4, minimum.height() - 3);
    bool anyCut = false;
    for (const char* name : {"Text1", "Text3", "Text5", "Text6"}) {
      Box(name)->setText("8888.88pF");
      Box(name)->setCursorPosition(0);
      anyCut = anyCut || !ShowsWhole(Box(name));
    }
    EXPECT_TRUE(anyCut);
  }
}

// After every write by the program the boxes show the start of their
// text, at the usual size and at 800 x 600 (or the minimum, if larger).
TEST_F(WindowSizeTest, ValueBoxesShowTheStartOfTheirTextAfterEveryWrite) {
  OpenDesign("cmd160");
  const char* boxes[] = {"Text1", "Text3", "Text5", "Text6", "txtTurnsL1", "txtTurnsL2", "txtAL"};
  Design().show();
  for (const QSize size : {QSize(1200, 900), QSize(800, 600)}) {
    Design().resize(size);
    ASSERT_EQ(Design().size(), size);  // 800 x 600 is allowed: boxes hold six digits there
    const auto allAtStart = [&](const char* after) {
      for (const char* name : boxes)
        EXPECT_EQ(Box(name)->cursorPosition(), 0) << name << " after " << after;
    };
    // Long texts that the boxes cannot hold whole.
    Box("Text1")->setFocus();
    Box("Text1")->selectAll();
    QTest::keyClicks(Box("Text1"), "0.0123456u");
    QTest::keyClick(Box("Text1"), Qt::Key_Return);
    allAtStart("Enter");
    Box("txtTurnsL2")->selectAll();
    QTest::keyClicks(Box("txtTurnsL2"), "0");
    Design().findChild<QPushButton*>("cmdAccept")->click();
    allAtStart("Replot");
    Design().findChild<QPushButton*>("cmdC48plus")->click();
    allAtStart("a step");
    Box("txtAL")->selectAll();
    QTest::keyClicks(Box("txtAL"), "0.5");
    Design().findChild<QPushButton*>("cmdC49minus")->click();
    allAtStart("AL 0.5 and a step");
    EXPECT_EQ(Box("Text1")->text(), "0.012346uF");  // too long for any size: cut at its end
    for (const char* name : {"Text3", "Text5", "Text6", "txtTurnsL1", "txtTurnsL2", "txtAL"})
      EXPECT_TRUE(ShowsWhole(Box(name))) << name << " " << Box(name)->text().toStdString();
  }
}

}  // namespace
}  // namespace diruruzevuv::screens
