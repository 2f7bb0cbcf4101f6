#include <QLineEdit>

#include "design_screen.h"

namespace diruruzevuv::testing {
namespace {

// A count the two-digit box cannot show whole is marked, so that 32767
// never reads as its first digits; the box still holds the whole count.
TEST(TurnsBoxTest, MarksACountItCannotShowWhole) {
  DesignScreen screen;
  screen.Form().resize(screen.Form().minimumSize());
  QLineEdit* box = screen.Find<QLineEdit>("txtTurnsL2");
  EXPECT_FALSE(box->property("cut").toBool());
  screen.Type("txtTurnsL2", "40000");
  screen.Click("cmdAccept");
  EXPECT_EQ(box->text().trimmed(), "32767");
  EXPECT_TRUE(box->property("cut").toBool());
  EXPECT_TRUE(box->toolTip().contains("32767"));
  screen.Type("txtTurnsL2", "14");
  screen.Click("cmdAccept");
  EXPECT_FALSE(box->property("cut").toBool());
  EXPECT_TRUE(box->toolTip().isEmpty());
}

}  // namespace
}  // namespace diruruzevuv::testing
