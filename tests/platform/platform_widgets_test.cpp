#include <gtest/gtest.h>

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>
#include <chrono>
#include <string>

#include "platform/pause.h"
#include "platform/qt_dialogs.h"
#include "platform/screen_geometry.h"
#include "platform/turns_spinner.h"

namespace diruruzevuv::platform {
namespace {

struct FilterRow {
  const char* name;
  const char* given;
  const char* expected;
};

class FilterTest : public ::testing::TestWithParam<FilterRow> {};

TEST_P(FilterTest, TranslatesToQtForm) {
  EXPECT_EQ(TranslateFilter(GetParam().given).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterTest,
    ::testing::Values(
        FilterRow{"DesignFiles", "DIRUruzevuv files (*.TXT)|*.TXT", "DIRUruzevuv files (*.TXT)"},
        FilterRow{"SpiceFiles", "Spice schematic files (*.ASC)|*.ASC",
                  "Spice schematic files (*.ASC)"},
        FilterRow{"PatternNotShown", "Text|*.TXT", "Text (*.TXT)"},
        FilterRow{"SeveralPatterns", "Text|*.TXT;*.DAT", "Text (*.TXT *.DAT)"},
        FilterRow{"TwoEntries", "Text|*.TXT|All files|*.*", "Text (*.TXT);;All files (*.*)"},
        FilterRow{"NoPattern", "Everything", "Everything (*)"}),
    [](const auto& row) { return std::string(row.param.name); });

struct NumberRow {
  const char* name;
  const char* text;
  int expected;
};

class WholeNumberTest : public ::testing::TestWithParam<NumberRow> {};

TEST_P(WholeNumberTest, ReadsTheLeadingNumber) {
  EXPECT_EQ(ReadWholeNumber(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, WholeNumberTest,
    ::testing::Values(NumberRow{"Signed", " 12", 12}, NumberRow{"Plain", "7", 7},
                      NumberRow{"HalfDown", "14.5", 14}, NumberRow{"HalfUp", "15.5", 16},
                      NumberRow{"TrailingText", "13 turns", 13}, NumberRow{"Empty", "", 0},
                      NumberRow{"Letters", "abc", 0}, NumberRow{"Negative", "-3", -3},
                      NumberRow{"PointOnly", ".", 0}, NumberRow{"Fraction", ".6", 1},
                      NumberRow{"Exponent", "1e2", 100}, NumberRow{"Huge", "99999", 32767},
                      NumberRow{"HugeExponent", "1e400", 32767}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(TurnsSpinnerTest, StepsTheBoxAndReports) {
  QWidget parent;
  QLineEdit box(&parent);
  TurnsSpinner spinner(&parent);
  spinner.Attach(&box);
  int changed = 0;
  QObject::connect(&spinner, &TurnsSpinner::changed, [&changed] { ++changed; });
  box.setText(" 12");
  spinner.UpButton()->click();
  EXPECT_EQ(box.text(), "13");
  spinner.DownButton()->click();
  spinner.DownButton()->click();
  EXPECT_EQ(box.text(), "11");
  EXPECT_EQ(changed, 3);
}

TEST(TurnsSpinnerTest, StopsAtItsEnds) {
  QLineEdit box;
  TurnsSpinner spinner;
  spinner.Attach(&box);
  int changed = 0;
  QObject::connect(&spinner, &TurnsSpinner::changed, [&changed] { ++changed; });
  box.setText("99");
  spinner.StepUp();
  EXPECT_EQ(box.text(), "99");
  box.setText("1");
  spinner.StepDown();
  EXPECT_EQ(box.text(), "1");
  EXPECT_EQ(changed, 0);
  box.setText("");
  spinner.StepUp();
  EXPECT_EQ(box.text(), "1");
  EXPECT_EQ(changed, 1);
}

TEST(ScreenGeometryTest, MapsTheGridKeepingProportions) {
  ScreenGeometry geometry(QSize(1200, 900));
  EXPECT_EQ(geometry.Map(2000, 2500, 1500, 300), QRect(200, 250, 150, 30));
  EXPECT_EQ(geometry.FontPixels(0.001), 18);
  EXPECT_EQ(geometry.FontPixels(0.003), 54);
  geometry.SetClientSize(QSize(1600, 900));  // wider: centred horizontally
  EXPECT_EQ(geometry.Map(0, 0, 12000, 9000), QRect(200, 0, 1200, 900));
  geometry.SetClientSize(QSize(1200, 1200));  // taller: centred vertically
  EXPECT_EQ(geometry.Map(0, 0, 12000, 9000), QRect(0, 150, 1200, 900));
}

TEST(ScreenGeometryTest, PlacedControlsFollowTheClientSize) {
  QWidget parent;
  QWidget* child = new QWidget(&parent);
  ScreenGeometry geometry(QSize(1200, 900));
  geometry.Place(child, 9100, 8000, 900, 300, 0.001);
  EXPECT_EQ(child->geometry(), QRect(910, 800, 90, 30));
  geometry.SetClientSize(QSize(600, 450));
  geometry.Apply();
  EXPECT_EQ(child->geometry(), QRect(455, 400, 45, 15));
  EXPECT_EQ(child->font().pixelSize(), 9);
  EXPECT_EQ(geometry.GridRect(child), QRectF(9100, 8000, 900, 300));
}

TEST(ScreenGeometryTest, ComfortableSizeIsFourByThree) {
  const QSize size = ScreenGeometry::ComfortableWindowSize(nullptr);
  EXPECT_NEAR(size.width() * 3.0 / 4.0, size.height(), 1.0);
  EXPECT_GT(size.width(), 0);
}

TEST(PauseTest, WaitsAtLeastTheGivenTime) {
  const auto start = std::chrono::steady_clock::now();
  PauseSeconds(0.1f);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

}  // namespace
}  // namespace diruruzevuv::platform
