// The design screen drawn with global defaults far outside anything sensible:
// every box level and floor a file can hold must draw, headless and under
// the sanitizers, with a box beyond the plot ending at the window's edge.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <string>

#include "design_screen.h"

namespace diruruzevuv::screens {
namespace {

using namespace diruruzevuv::testing;

struct HostileRow {
  const char* name;
  const char* passbandDb;
  const char* floorDb;
  bool boxUp;    // the passband box runs from the frame up to the window's top
  bool boxDown;  // ... or down to its bottom
};

class HostileDefaultsTest : public ::testing::TestWithParam<HostileRow> {};

TEST_P(HostileDefaultsTest, BoxesEndAtTheWindowEdge) {
  const HostileRow& row = GetParam();
  DesignScreen screen([&row](const TempDir& dir) {
    WriteText(dir / "DIRUruzevuvGlobalDefaults.TXT",
              CrLf({"Title", "Subtitle", std::string("Passband box level dB: ") + row.passbandDb,
                    "Second harmonic box level dB: -35", "Third harmonic box level dB: -35",
                    "Bandwidth multiplier: 1.01", "Toroid AL: 3", "Grid divisions: 6",
                    std::string("Plot floor dB: ") + row.floorDb}));
  });
  const model::Session& session = screen.session;
  frmDesign& form = screen.Form();
  // The file's values arrive as written.
  ASSERT_EQ(session.defaults.PassbandBoxDb, std::strtof(row.passbandDb, nullptr));
  ASSERT_EQ(session.defaults.PlotFloorDb, std::strtof(row.floorDb, nullptr));

  const QImage image = form.Surface().Image().convertToFormat(QImage::Format_RGB32);
  const QRgb fill = qRgb(255, 221, 221);
  // A column through the middle of the passband box (20 metres: 13.9 to
  // 14.5 MHz on the 5 to 50 MHz axis), and one left of the plot.
  const double middle = 6000.0 + 5000.0 * 0.4528;
  const QRect box = form.Geometry().Map(middle, 0.0, 1.0, 9000.0);
  const QRect left = form.Geometry().Map(3000.0, 0.0, 1.0, 9000.0);
  const int x = box.left();
  const int leftX = left.left();
  ASSERT_TRUE(x > 0 && x < image.width());
  const int last = image.height() - 1;
  EXPECT_EQ(image.pixel(x, 0) == fill, row.boxUp);
  EXPECT_EQ(image.pixel(x, last) == fill, row.boxDown);
  // Never a stripe across the whole window.
  for (int y : {0, image.height() / 2, last}) EXPECT_NE(image.pixel(leftX, y), fill) << y;
}

INSTANTIATE_TEST_SUITE_P(
    Levels, HostileDefaultsTest,
    ::testing::Values(HostileRow{"HugeBoxLevel", "1e9", "-60", true, false},
                      HostileRow{"HugeNegativeBoxLevel", "-1e9", "-60", false, true},
                      HostileRow{"TinyFloor", "-20", "-1e-45", false, true},
                      HostileRow{"TinyFloorAndHugeLevel", "1e30", "-1e-45", true, false}),
    [](const ::testing::TestParamInfo<HostileRow>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace diruruzevuv::screens
