#include "model/plot/plot_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "notation/notation.h"

namespace diruruzevuv::model {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Line counts and labels for each span rule; unusable sweeps give nothing.
struct SpanRow {
  const char* name;
  float start, stop;
  int lines;
  std::vector<std::string> labels;
};

TEST(PlotGridTest, LinesAndLabels) {
  // clang-format off
  const SpanRow rows[] = {
      // Ratio exactly 10: only 1.5, 7 and 9 (and tenfold) are left out.
      {"TwentyMetres", 5e6f, 50e6f, 11,
       {" 5M", " 6M", " 8M", " 10M", " 20M", " 30M", " 40M", " 50M"}},
      // Just above 10: 1, 2 and 5 remain; 50 MHz falls in the unlabelled right stretch.
      {"RatioTenPointTwo", 5e6f, 51e6f, 11, {" 5M", " 10M", " 20M"}},
      // The stop admits only a tiny overshoot of a line.
      {"StopJustBelowLine", 5e6f, 49.9975e6f, 11,
       {" 5M", " 6M", " 8M", " 10M", " 20M", " 30M", " 40M", " 50M"}},
      {"StopWellBelowLine", 5e6f, 49.99e6f, 10,
       {" 5M", " 6M", " 8M", " 10M", " 20M", " 30M", " 40M"}},
      {"HundredToOne", 1e6f, 100e6f, 21, {" 1M", " 2M", " 5M", " 10M", " 20M", " 50M", " 100M"}},
      {"TenThousandToOne", 1e3f, 10e6f, 41, {" 1k", " 10k", " 100k", " 1M", " 10M"}},
      // Only the lowest 41 lines are kept; the spacing rule drops every other decade.
      {"ThirtyDecades", 1.0f, 1e30f, 41, {" 1 ", " 100 ", " 10k"}},
      {"NarrowBand", 13.9e6f, 14.5e6f, 0, {}},
      {"ZeroStart", 0.0f, 50e6f, 0, {}}, {"NegativeStart", -5e6f, 50e6f, 0, {}},
      {"EqualLimits", 14e6f, 14e6f, 0, {}}, {"NaNStart", kNaN, 50e6f, 0, {}},
      {"InfiniteStop", 5e6f, kInf, 0, {}}, {"Descending", 50e6f, 5e6f, 0, {}}};
  // clang-format on
  for (const SpanRow& row : rows) {
    const PlotGrid grid = ComputePlotGrid(row.start, row.stop);
    EXPECT_EQ(grid.count, row.lines) << row.name;
    std::vector<std::string> texts;
    for (int i : ChooseFrequencyLabels(grid, row.start, row.stop))
      texts.push_back(notation::FormatFrequency(grid.frequency[i]));
    EXPECT_EQ(texts, row.labels) << row.name;
  }
}

TEST(PlotGridTest, HugeStopDoesNotRunAway) {
  const PlotGrid grid = ComputePlotGrid(1e30f, std::numeric_limits<float>::max());
  EXPECT_GT(grid.count, 0);
  for (int i = 0; i < grid.count; ++i) EXPECT_TRUE(std::isfinite(grid.frequency[i]));
}

}  // namespace
}  // namespace diruruzevuv::model
