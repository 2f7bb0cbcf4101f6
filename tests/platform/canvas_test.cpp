#include "platform/canvas.h"

#include <gtest/gtest.h>

namespace diruruzevuv::platform {
namespace {

TEST(CanvasTest, GridPointsCompareByValue) {
  EXPECT_EQ((GridPoint{1.0, 2.0}), (GridPoint{1.0, 2.0}));
  EXPECT_NE((GridPoint{1.0, 2.0}), (GridPoint{2.0, 1.0}));
}

}  // namespace
}  // namespace diruruzevuv::platform
