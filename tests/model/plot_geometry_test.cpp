#include "model/plot_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace diruruzevuv::model {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The screen's and the report's plots: the same mapping in their own frames.
struct FrameRow {
  const char* name;
  PlotFrame frame;
};

class PlotGeometryTest : public ::testing::TestWithParam<FrameRow> {};

// The mapping itself is held by the drawing tests on both frames; what
// they do not reach: a level that is not a number, the screen-width rule.
TEST_P(PlotGeometryTest, NaNLevelsAndTheLevelLabelWidth) {
  const PlotFrame& f = GetParam().frame;
  const PlotGeometry g(f, 5e6f, 50e6f, -60.0f);
  EXPECT_EQ(g.ClampedY(kNaN), f.top);  // as a level above the frame
  const PlotPoint first = g.LevelLabelAt(0, 6, 1, 12000.0);
  EXPECT_EQ(g.LevelLabelAt(0, 6, 1, 24000.0).x, first.x + 60.0);
  EXPECT_EQ(g.LevelLabelAt(0, 6, 1, kNaN), first);  // unusable width: 12000
}

TEST_P(PlotGeometryTest, CoordinatesStayWithinReachOfThePixelTypes) {
  const PlotFrame& f = GetParam().frame;
  const PlotGeometry g(f, 5e6f, 50e6f, -1e-45f);
  const PlotPoint far = g.WithinReach({-1e300, g.Y(-60.0)});
  EXPECT_EQ(far, (PlotPoint{f.left - kCoordinateReach, f.bottom + kCoordinateReach}));
  EXPECT_EQ(g.WithinReach({f.left + 1.0, f.top - 1.0}), (PlotPoint{f.left + 1.0, f.top - 1.0}));
  EXPECT_TRUE(std::isnan(g.WithinReach({kNaN, 0.0}).x));
}

INSTANTIATE_TEST_SUITE_P(Frames, PlotGeometryTest,
                         ::testing::Values(FrameRow{"Screen", kScreenPlotFrame},
                                           FrameRow{"Report", kReportPlotFrame}),
                         [](const ::testing::TestParamInfo<FrameRow>& row) {
                           return std::string(row.param.name);
                         });

}  // namespace
}  // namespace diruruzevuv::model
