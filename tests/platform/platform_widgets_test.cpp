#include <gtest/gtest.h>

#include <QLineEdit>
#include <QToolButton>
#include <string>
#include <utility>

#include "platform/qt_dialogs.h"
#include "platform/screen_geometry.h"
#include "platform/turns_spinner.h"

namespace diruruzevuv::platform {
namespace {

TEST(QtDialogsTest, FiltersTranslateToQtForm) {
  const std::pair<const char*, const char*> rows[] = {
      {"DIRUruzevuv files (*.TXT)|*.TXT", "DIRUruzevuv files (*.TXT)"},
      {"Text|*.TXT;*.DAT", "Text (*.TXT *.DAT)"},
      {"Text|*.TXT|All files|*.*", "Text (*.TXT);;All files (*.*)"},
      {"Everything", "Everything (*)"}};
  for (const auto& [given, expected] : rows)
    EXPECT_EQ(TranslateFilter(given).toStdString(), expected);
}

TEST(TurnsSpinnerTest, StepsTheBoxUpTo99AndReports) {
  QLineEdit box;
  TurnsSpinner spinner;
  spinner.Attach(&box);
  int changed = 0;
  QObject::connect(&spinner, &TurnsSpinner::changed, [&changed] { ++changed; });
  box.setText(" 97.5 turns");  // reads as 98: halves go to the even number
  spinner.UpButton()->click();
  spinner.UpButton()->click();  // no further, and no notice
  EXPECT_EQ(std::pair(box.text().toStdString(), changed), std::pair(std::string("99"), 1));
}

TEST(ScreenGeometryTest, MapsTheGridKeepingProportions) {
  ScreenGeometry geometry(QSize(1200, 900));
  EXPECT_EQ(geometry.Map(2000, 2500, 1500, 300), QRect(200, 250, 150, 30));
  geometry.SetClientSize(QSize(1600, 900));  // wider: centred horizontally
  EXPECT_EQ(geometry.Map(0, 0, 12000, 9000), QRect(200, 0, 1200, 900));
  geometry.SetClientSize(QSize(1200, 1200));  // taller: centred vertically
  EXPECT_EQ(geometry.Map(0, 0, 12000, 9000), QRect(0, 150, 1200, 900));
}

}  // namespace
}  // namespace diruruzevuv::platform
