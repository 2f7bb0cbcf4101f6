#include "model/analysis_problem.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <utility>

#include "../files/test_support.h"
#include "model/analysis.h"

namespace diruruzevuv::model {
namespace {

using testing::Design;

void Q(DesignState& d) {
  d.InductorQ = 200.0f, d.CapacitorQ = 2000.0f;
}

// Each row breaks one thing the sweep needs; the first broken thing is named.
TEST(AnalysisProblemTest, NamesWhatStopsTheAnalysis) {
  // clang-format off
  const struct {
    const char* name;
    void (*change)(DesignState&);
    const char* reason;
  } rows[] = {
      {"Sound", [](DesignState& d) { Q(d); }, ""},
      {"Sound, L2 of 0 turns", [](DesignState& d) { Q(d), d.TurnsL2 = 0; }, ""},
      {"Sound, sweep downwards", [](DesignState& d) { Q(d), std::swap(d.SweepStart, d.SweepStop); }, ""},
      {"Equal limits", [](DesignState& d) { Q(d), d.SweepStop = d.SweepStart; }, "the sweep range is empty"},
      {"Start 0", [](DesignState& d) { Q(d), d.SweepStart = 0; }, "the sweep start is 0 Hz"},
      {"Stop negative", [](DesignState& d) { Q(d), d.SweepStop = -5; }, "the sweep stop is below 0 Hz"},
      {"Termination 0", [](DesignState& d) { Q(d), d.InputTermination = 0; }, "the termination is 0 ohm"},
      {"Termination negative", [](DesignState& d) { Q(d), d.InputTermination = -50; },
       "the termination is below 0 ohm"},
      {"Lower edge 0", [](DesignState& d) { Q(d), d.LowerEdge = 0; }, "the lower band edge is 0 Hz"},
      {"Inductor Q 0", [](DesignState& d) { Q(d), d.InductorQ = 0; }, "the inductor Q is 0"},
      {"Capacitor Q negative", [](DesignState& d) { Q(d), d.CapacitorQ = -1; }, "the capacitor Q is below 0"},
      {"L1 of 0 turns", [](DesignState& d) { Q(d), d.TurnsL1 = 0; }, "L1 has 0 turns"},
      {"AL 0", [](DesignState& d) { Q(d), d.ToroidAL = 0; }, "the toroid AL is 0"},
      {"Sweep first", [](DesignState& d) { d.TurnsL1 = 0, d.SweepStop = d.SweepStart; },
       "the sweep range is empty"},
      {"Beyond the arithmetic", [](DesignState& d) { Q(d), d.ToroidAL = FLT_MAX, d.TurnsL2 = 32767; },
       "the values are out of the analysis's range"},
  };
  // clang-format on
  for (const auto& row : rows) {
    const DesignState d = Design(row.change);
    EXPECT_EQ(DescribeUnanalysable(d), row.reason) << row.name;
    // The function agrees with the analysis itself.
    DesignState swept = d;
    Analyzer analyzer;
    analyzer.RunSweep(swept);
    if (d.SweepStart != d.SweepStop) {
      EXPECT_EQ(analyzer.Result().valid, std::string(row.reason).empty()) << row.name;
    }
  }
  EXPECT_EQ(UnanalysableLine("L1 has 0 turns"), "Cannot analyse: L1 has 0 turns");
}

}  // namespace
}  // namespace diruruzevuv::model
