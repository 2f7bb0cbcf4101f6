#include "model/plot_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace diruruzevuv::model {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The screen's and the report's plots: the same mapping in their own frames.
struct FrameRow {
  const char* name;
  PlotFrame frame;
  PlotPoint firstLevelLabel;  // "0" with 6 divisions on a 12000-twip screen
  PlotPoint lastLevelLabel;   // "-60"
  PlotPoint leftEndLabel;  // a grid line on the left edge
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
  // Level grid: integer division of the 3500-unit height.
  EXPECT_EQ(g.LevelLineY(1, 7), f.top + 500.0);
  EXPECT_EQ(g.LevelLineY(1, 9), f.top + 388.0);
  EXPECT_EQ(g.LevelLabelAt(0, 6, 1, 12000.0), row.firstLevelLabel);
  EXPECT_EQ(g.LevelLabelAt(6, 6, 3, 12000.0), row.lastLevelLabel);
  EXPECT_EQ(g.LevelLabelAt(0, 6, 1, 24000.0).x, row.firstLevelLabel.x + 60.0);
  EXPECT_EQ(g.LevelLabelAt(0, 6, 1, kNaN), row.firstLevelLabel);  // unusable width: 12000
  EXPECT_EQ(g.FrequencyLabelAt(std::log10(2.0)),
            (PlotPoint{row.leftEndLabel.x + 5000.0 * std::log10(2.0),
                       row.leftEndLabel.y}));
  // A floor of 0 counts as -60 dB.
  EXPECT_DOUBLE_EQ(PlotGeometry(f, 5e6f, 50e6f, 0.0f).Y(-60.0), f.bottom);
}

TEST_P(PlotGeometryTest, AidBoxesWidenedAndClippedToTheFrame) {
  const PlotFrame& f = GetParam().frame;
  DesignState design;
  ApplyDefaultDesign(design);
  GlobalDefaults defaults{-20.0f, -28.0f, -35.0f, 1.05f, 6, -60.0f};
  const PlotGeometry g(f, 5e6f, 50e6f, -60.0f);
  const std::vector<AidBox> boxes = g.AidBoxes(design, defaults);
  ASSERT_EQ(boxes.size(), 3u);
  for (int k = 1; k <= 3; ++k) {
    const AidBox& box = boxes[k - 1];
    EXPECT_EQ(box.harmonic, k);
    EXPECT_DOUBLE_EQ(box.topLeft.x, g.X(k * 14e6 / 1.05f));
    EXPECT_DOUBLE_EQ(box.bottomRight.x, g.X(k * 14.35e6 * 1.05f));
    EXPECT_EQ(box.topLeft.y, f.top);
  }
  EXPECT_DOUBLE_EQ(boxes[1].bottomRight.y, g.Y(-28.0));
  // A third harmonic past the sweep and a level below the floor: clipped.
  design.LowerEdge = 20e6f, design.UpperEdge = 21e6f;
  defaults.ThirdHarmonicBoxDb = -100.0f;
  const AidBox third = g.AidBoxes(design, defaults)[2];
  EXPECT_GT(third.topLeft.x, f.right);
  const AidBox clipped = g.ClipToFrame(third);
  EXPECT_EQ(clipped.topLeft, (PlotPoint{f.right, f.top}));
  EXPECT_EQ(clipped.bottomRight, (PlotPoint{f.right, f.bottom}));
  // No multiplier, no boxes; a broken sweep, none either.
  defaults.BandwidthMultiplier = 0.0f;
  EXPECT_TRUE(g.AidBoxes(design, defaults).empty());
  defaults.BandwidthMultiplier = 1.05f;
  EXPECT_TRUE(PlotGeometry(f, 5e6f, 5e6f, -60.0f).AidBoxes(design, defaults).empty());
}

TEST_P(PlotGeometryTest, CoordinatesStayWithinReachOfThePixelTypes) {
  const PlotFrame& f = GetParam().frame;
  const PlotGeometry g(f, 5e6f, 50e6f, -1e-45f);
  const PlotPoint far = g.WithinReach({-1e300, g.Y(-60.0)});
  EXPECT_EQ(far, (PlotPoint{f.left - kCoordinateReach, f.bottom + kCoordinateReach}));
  EXPECT_EQ(g.WithinReach({f.left + 1.0, f.top - 1.0}), (PlotPoint{f.left + 1.0, f.top - 1.0}));
  EXPECT_TRUE(std::isnan(g.WithinReach({kNaN, 0.0}).x));
}

INSTANTIATE_TEST_SUITE_P(
    Frames, PlotGeometryTest,
    ::testing::Values(FrameRow{"Screen", kScreenPlotFrame, {5780, 400}, {5540, 3900}, {5850, 4100}},
                      FrameRow{"Report", kReportPlotFrame, {1780, 1400}, {1540, 4900}, {1750, 5100}}),
    [](const ::testing::TestParamInfo<FrameRow>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace diruruzevuv::model
