// Minimum window sizes, and value boxes that show the start of their text.

#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <cmath>

#include "design_screen.h"
#include "platform/instance_slot.h"
#include "platform/recording_canvas.h"
#include "platform/screen_geometry.h"
#include "screens/frm_exit.h"
#include "screens/frm_wizard.h"

namespace diruruzevuv::screens {
namespace {

using namespace diruruzevuv::testing;

// Whether the box shows its text from the start to the last glyph's ink,
// two pixels in from the frame as the box draws it.
bool ShowsWhole(QLineEdit* box) {
  QStyleOptionFrame frame;  // as the box sets it up for drawing
  frame.initFrom(box);
  frame.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, box);
  frame.state |= QStyle::State_Sunken;
  const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &frame, box);
  const QFontMetrics metrics = box->fontMetrics();
  const QString text = box->text();
  const int ink = metrics.horizontalAdvance(text) - std::max(0, metrics.rightBearing(text.back()));
  return box->cursorPosition() == 0 && contents.left() + 2 + ink <= contents.right() + 1;
}

TEST(WindowSizeTest, WindowsCannotBeMadeSmallerThanTheirMinimum) {
  DesignScreen screen;
  const auto refusesSmaller = [](QWidget* window) {
    window->resize(200, 150);
    EXPECT_EQ(window->size(), window->minimumSize()) << window->objectName().toStdString();
    return window->minimumSize();
  };
  const QSize design = refusesSmaller(&screen.Form());
  screen.manager.ShowOpening();
  const QSize opening = refusesSmaller(screen.manager.Opening());
  QSize wizard;
  WhileModal([&] { screen.manager.Opening()->findChild<QPushButton*>("cmdWizard")->click(); },
             [&](QWidget& modal) {
               ASSERT_NE(qobject_cast<frmWizard*>(&modal), nullptr);
               wizard = refusesSmaller(&modal);
               modal.close();
             });
  const QSize legible = platform::ScreenGeometry::LegibleClientSize();
  for (const QSize minimum : {opening, design, wizard}) {
    EXPECT_EQ(minimum.expandedTo(legible), minimum);
    EXPECT_LE(minimum.width(), platform::ScreenGeometry::kMeasureFromWidth);
  }
  // The exit screen sizes itself against the display, never below legible.
  frmExit small(screen.session, screen.dialogs, screen.manager, QSize(200, 150), nullptr);
  EXPECT_EQ(small.size(), QSize(static_cast<int>(std::lround(legible.width() * 0.45)),
                                static_cast<int>(std::lround(legible.height() * 0.3))));
  frmExit large(screen.session, screen.dialogs, screen.manager, QSize(1200, 900), nullptr);
  EXPECT_EQ(large.size(), QSize(540, 270));
}

// The minimum is measured, not guessed: four pixels narrower something is cut.
TEST(WindowSizeTest, ValueBoxesShowTheirTextAtTheMinimumAndAfterEveryWrite) {
  DesignScreen screen({}, "cmd160");
  QWidget& design = screen.Form();
  const auto Box = [&screen](const char* name) { return screen.Find<QLineEdit>(name); };
  design.show();  // a hidden window lays out only when shown
  const QSize minimum = design.minimumSize();
  const auto cutBoxes = [&] {  // after writing the widest value of the bands' designs
    int cut = 0;
    for (const char* name : {"Text1", "Text3", "Text5", "Text6"}) {
      Box(name)->setText("8888.88pF");
      Box(name)->setCursorPosition(0);
      cut += ShowsWhole(Box(name)) ? 0 : 1;
    }
    return cut;
  };
  design.resize(minimum);
  EXPECT_EQ(cutBoxes(), 0);
  if (minimum.width() > platform::ScreenGeometry::LegibleClientSize().width()) {
    design.setMinimumSize(0, 0);
    design.resize(minimum.width() - 4, minimum.height() - 3);
    EXPECT_GT(cutBoxes(), 0);
    design.setMinimumSize(minimum);
  }
  design.resize(800, 600);
  ASSERT_EQ(design.size(), QSize(800, 600));  // allowed: the boxes hold six digits there
  // Long texts that the boxes cannot hold whole, written by each way the program writes.
  screen.Type("Text1", "0.0123456u");
  screen.Type("txtTurnsL2", "0");
  screen.Click("cmdAccept");
  screen.Click("cmdC48plus");
  screen.Type("txtAL", "0.5");
  screen.Click("cmdC49minus");
  EXPECT_EQ(Box("Text1")->text(), "0.012346uF");  // too long for any size: cut at its end
  EXPECT_EQ(Box("Text1")->cursorPosition(), 0);   // the others: ShowsWhole
  for (const char* name : {"Text3", "Text5", "Text6", "txtTurnsL1", "txtTurnsL2", "txtAL"})
    EXPECT_TRUE(ShowsWhole(Box(name))) << name << " " << Box(name)->text().toStdString();
  EXPECT_FALSE(Box("txtTurnsL2")->property("cut").toBool());
  // A count the two-digit box cannot show whole is marked, so that 32767
  // never reads as its first digits; the box still holds the whole count.
  screen.Type("txtTurnsL2", "40000");
  screen.Click("cmdAccept");
  EXPECT_EQ(Box("txtTurnsL2")->text().trimmed(), "32767");
  EXPECT_TRUE(Box("txtTurnsL2")->property("cut").toBool());
  EXPECT_TRUE(Box("txtTurnsL2")->toolTip().contains("32767"));
  screen.Type("txtTurnsL2", "14");
  screen.Click("cmdAccept");
  EXPECT_TRUE(Box("txtTurnsL2")->toolTip().isEmpty());
}

// No two controls or schematic texts overlap ("Stop" takes "MonteCarlo"'s place by turns).
TEST(WindowSizeTest, ControlsCoverNeitherEachOtherNorTheSchematicsTexts) {
  DesignScreen screen;
  struct : drawing::SchematicTarget {
    void SetField(drawing::SchematicField, const std::string&) override {}
  } none;
  platform::RecordingCanvas schematic;
  drawing::DrawDesignSchematic(schematic, screen.session, none);
  frmDesign& form = screen.Form();
  form.show();
  for (const QSize size : {form.size(), QSize(1920, 1160)}) {
    form.resize(size);
    QFont font;
    font.setPixelSize(form.Geometry().FontPixels(platform::GridForm::kScreenFontFactor));
    std::vector<std::pair<QRect, QString>> taken;
    for (const auto& op : schematic.OfKind(platform::RecordingCanvas::Kind::Text)) {
      const QRect from(form.Geometry().Map(op.a.x, op.a.y, 1, 1).topLeft(), QSize(9999, 999));
      taken.push_back({QFontMetrics(font).boundingRect(from, 0, op.text.c_str()), op.text.c_str()});
    }
    for (QWidget* c : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (c->objectName() != "cmdMonteStop") taken.push_back({c->geometry(), c->objectName()});
    for (std::size_t i = 0; i < taken.size(); ++i)
      for (std::size_t j = 0; j < i; ++j)
        EXPECT_FALSE(taken[i].first.intersects(taken[j].first))
            << taken[i].second.toStdString() << " on " << taken[j].second.toStdString();
  }
}

// A place comes free when its copy ends.
TEST(WindowSizeTest, ASecondCopyOpensItsWindowOffset) {
  TempDir dir;
  const QString folder = QString::fromStdString(dir.path().string());
  {
    const platform::InstanceSlot first(folder);
    const platform::InstanceSlot second(folder);
    model::Session session;
    session.locations = {dir.path(), DIRU_SOURCE_DATA_DIR};
    ScriptedDialogs dialogs;
    ScreenManager one(session, dialogs, [] {});
    ScreenManager two(session, dialogs, [] {});
    one.SetWindowOffset(first.WindowOffset());
    two.SetWindowOffset(second.WindowOffset());
    one.ShowOpening();
    two.ShowOpening();
    EXPECT_EQ(two.Opening()->pos() - one.Opening()->pos(), QPoint(40, 40));
  }
  EXPECT_EQ(platform::InstanceSlot(folder).Number(), 0);
}

}  // namespace
}  // namespace diruruzevuv::screens
