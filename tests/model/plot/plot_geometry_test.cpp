#include "model/plot/plot_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace diruruzevuv::model {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The screen's and the report's plots: the same mapping in their own frames.
// The mapping itself is held by the drawing tests on both frames; what
// they do not reach: a level that is not a number, the screen-width rule
// and coordinates beyond the pixel types.
TEST(PlotGeometryTest, NaNLevelsLabelWidthAndReach) {
  for (const PlotFrame& f : {kScreenPlotFrame, kReportPlotFrame}) {
    SCOPED_TRACE(f.left);
    const PlotGeometry g(f, 5e6f, 50e6f, -60.0f);
    EXPECT_EQ(g.ClampedY(kNaN), f.top);  // as a level above the frame
    const PlotPoint first = g.LevelLabelAt(0, 6, 1, 12000.0);
    EXPECT_EQ(g.LevelLabelAt(0, 6, 1, 24000.0).x, first.x + 60.0);
    EXPECT_EQ(g.LevelLabelAt(0, 6, 1, kNaN), first);  // unusable width: 12000

    const PlotGeometry flat(f, 5e6f, 50e6f, -1e-45f);
    const PlotPoint far = flat.WithinReach({-1e300, flat.Y(-60.0)});
    EXPECT_EQ(far, (PlotPoint{f.left - kCoordinateReach, f.bottom + kCoordinateReach}));
    EXPECT_EQ(flat.WithinReach({f.left + 1.0, f.top - 1.0}),
              (PlotPoint{f.left + 1.0, f.top - 1.0}));
    EXPECT_TRUE(std::isnan(flat.WithinReach({kNaN, 0.0}).x));
  }
}

}  // namespace
}  // namespace diruruzevuv::model
