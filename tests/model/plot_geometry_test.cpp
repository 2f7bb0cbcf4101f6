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

TEST_P(PlotGeometryTest, MappingGridsAndLabels) {
  const FrameRow& row = GetParam();
  const PlotFrame& f = row.frame;
  const PlotGeometry g(f, 5e6f, 50e6f, -60.0f);
  ASSERT_TRUE(g.Usable());
  EXPECT_DOUBLE_EQ(g.X(5e6), f.left);
  EXPECT_DOUBLE_EQ(g.X(50e6), f.right);
  EXPECT_NEAR(g.X(5e6 * std::sqrt(10.0)), f.left + 2500.0, 1e-9);
  EXPECT_DOUBLE_EQ(g.Y(0.0), f.top);
  EXPECT_DOUBLE_EQ(g.Y(-60.0), f.bottom);
  EXPECT_DOUBLE_EQ(g.Y(-30.0), f.top + 1750.0);
  // Clamped to the frame; NaN goes to the top, as a level above it.
  EXPECT_EQ(g.ClampedY(-200.0), f.bottom);
  EXPECT_EQ(g.ClampedY(+10.0), f.top);
  EXPECT_EQ(g.ClampedY(kNaN), f.top);
  EXPECT_EQ(g.ClampX(f.left - 1.0), f.left);
  EXPECT_EQ(g.ClampX(f.right + 1.0), f.right);
  // The level labels' width estimate follows the screen's width in twips
  // (the drawing tests place them at 12000).
  const PlotPoint first = g.LevelLabelAt(0, 6, 1, 12000.0);
  EXPECT_EQ(g.LevelLabelAt(0, 6, 1, 24000.0).x, first.x + 60.0);
  EXPECT_EQ(g.LevelLabelAt(0, 6, 1, kNaN), first);  // unusable width: 12000
  // A floor of 0 counts as -60 dB.
  EXPECT_DOUBLE_EQ(PlotGeometry(f, 5e6f, 50e6f, 0.0f).Y(-60.0), f.bottom);
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
