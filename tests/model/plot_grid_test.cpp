#include "model/plot_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "notation/notation.h"

namespace diruruzevuv::model {
namespace {

std::vector<float> Frequencies(const PlotGrid& grid) {
  return {grid.frequency.begin(), grid.frequency.begin() + grid.count};
}

std::vector<std::string> LabelTexts(float start, float stop) {
  const PlotGrid grid = ComputePlotGrid(start, stop);
  std::vector<std::string> texts;
  for (int i : ChooseFrequencyLabels(grid, start, stop))
    texts.push_back(notation::FormatFrequency(grid.frequency[i]));
  return texts;
}

TEST(PlotGridTest, TwentyMetreSweepLines) {
  const PlotGrid grid = ComputePlotGrid(5e6f, 50e6f);
  const std::vector<double> expectedMHz = {5, 6, 7, 8, 9, 10, 15, 20, 30, 40, 50};
  ASSERT_EQ(grid.count, static_cast<int>(expectedMHz.size()));
  for (int i = 0; i < grid.count; ++i) {
    EXPECT_NEAR(grid.frequency[i], expectedMHz[i] * 1e6, expectedMHz[i] * 2.0) << i;
    const double p = std::log10(expectedMHz[i] / 5.0);
    EXPECT_NEAR(grid.position[i], p, 1e-6) << i;
  }
  // The float decade bases drift upwards: the first line lies just above
  // the sweep start and the last one just above its stop, inside the
  // tolerance.
  EXPECT_EQ(grid.frequency[0], 5000000.5f);
  EXPECT_EQ(grid.frequency[10], 50000004.0f);
  EXPECT_GT(grid.position[10], 1.0);
}

TEST(PlotGridTest, StopToleranceAdmitsOnlyTinyOvershoot) {
  // 50 MHz exceeds a stop of 49.99 MHz by far more than 1.0001.
  EXPECT_EQ(Frequencies(ComputePlotGrid(5e6f, 49.99e6f)).size(), 10u);
  // A stop 0.005 % below the line keeps it.
  EXPECT_EQ(Frequencies(ComputePlotGrid(5e6f, 49.9975e6f)).size(), 11u);
}

TEST(PlotGridTest, WideSweepKeepsTheLowest41Lines) {
  const PlotGrid grid = ComputePlotGrid(1.0f, 1e9f);
  ASSERT_EQ(grid.count, PlotGrid::kMaxLines);
  EXPECT_NEAR(grid.frequency[0], 1.0, 1e-6);
  EXPECT_NEAR(grid.frequency[40], 1e4, 0.1);
  EXPECT_NEAR(grid.position[40], 4.0 / 9.0, 1e-6);
}

TEST(PlotGridTest, HugeStopDoesNotRunAway) {
  const PlotGrid grid = ComputePlotGrid(1e30f, std::numeric_limits<float>::max());
  EXPECT_GT(grid.count, 0);
  EXPECT_LE(grid.count, PlotGrid::kMaxLines);
  for (int i = 0; i < grid.count; ++i) EXPECT_TRUE(std::isfinite(grid.frequency[i]));
}

struct UnusableSweep {
  const char* name;
  float start;
  float stop;
};
void PrintTo(const UnusableSweep& row, std::ostream* out) {
  *out << row.name;
}

class PlotGridUnusableTest : public ::testing::TestWithParam<UnusableSweep> {};

TEST_P(PlotGridUnusableTest, GivesAnEmptyGridAndNoLabels) {
  const UnusableSweep& row = GetParam();
  const PlotGrid grid = ComputePlotGrid(row.start, row.stop);
  EXPECT_EQ(grid.count, 0);
  EXPECT_TRUE(ChooseFrequencyLabels(grid, row.start, row.stop).empty());
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(Sweeps, PlotGridUnusableTest,
                         ::testing::Values(UnusableSweep{"ZeroStart", 0.0f, 50e6f},
                                           UnusableSweep{"ZeroStop", 5e6f, 0.0f},
                                           UnusableSweep{"NegativeStart", -5e6f, 50e6f},
                                           UnusableSweep{"EqualLimits", 14e6f, 14e6f},
                                           UnusableSweep{"NaNStart", kNaN, 50e6f},
                                           UnusableSweep{"InfiniteStop", 5e6f, kInf},
                                           UnusableSweep{"Descending", 50e6f, 5e6f}),
                         [](const auto& param) { return std::string(param.param.name); });

struct LabelRow {
  const char* name;
  float start;
  float stop;
  std::vector<std::string> labels;
};
void PrintTo(const LabelRow& row, std::ostream* out) {
  *out << row.name;
}

class FrequencyLabelTest : public ::testing::TestWithParam<LabelRow> {};

TEST_P(FrequencyLabelTest, ChoosesTheseLabels) {
  const LabelRow& row = GetParam();
  EXPECT_EQ(LabelTexts(row.start, row.stop), row.labels);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, FrequencyLabelTest,
    ::testing::Values(
        // Ratio exactly 10: only 1.5, 7 and 9 (and tenfold) are left out.
        LabelRow{"TwentyMetres",
                 5e6f,
                 50e6f,
                 {" 5M", " 6M", " 8M", " 10M", " 20M", " 30M", " 40M", " 50M"}},
        // Just above 10: 1, 2 and 5 remain, and 50 MHz at 0.99 of the width
        // falls in the unlabelled stretch before the right edge.
        LabelRow{"RatioTenPointTwo", 5e6f, 51e6f, {" 5M", " 10M", " 20M"}},
        LabelRow{
            "HundredToOne", 1e6f, 100e6f, {" 1M", " 2M", " 5M", " 10M", " 20M", " 50M", " 100M"}},
        LabelRow{"TenThousandToOne", 1e3f, 10e6f, {" 1k", " 10k", " 100k", " 1M", " 10M"}},
        // Thirty decades: the lines sit 1/30 of the width apart per decade,
        // so the spacing rule drops every other decade.
        LabelRow{"ThirtyDecades", 1.0f, 1e30f, {" 1 ", " 100 ", " 10k"}},
        LabelRow{"NarrowBand", 13.9e6f, 14.5e6f, {}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(FrequencyLabelLimitTest, AtMostThirteenLabels) {
  // Above a terahertz every label starts with a thousand or more, which no
  // mantissa rule excludes, so only the spacing and the count limit apply.
  const PlotGrid grid = ComputePlotGrid(1e12f, 1e16f);
  ASSERT_EQ(grid.count, PlotGrid::kMaxLines);
  const std::vector<int> labels = ChooseFrequencyLabels(grid, 1e12f, 1e16f);
  EXPECT_EQ(labels.size(), 13u);
  for (std::size_t k = 1; k < labels.size(); ++k)
    EXPECT_GE(grid.position[labels[k]] - grid.position[labels[k - 1]], 0.04);
}

}  // namespace
}  // namespace diruruzevuv::model
