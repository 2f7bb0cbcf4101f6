#include "model/design_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "measurement_support.h"
#include "model/ladder.h"

namespace diruruzevuv::model {
namespace {

// The exported network is the ladder's response at strictly increasing,
// log-spaced frequencies over the design's sweep (whichever way it runs),
// referred to the design's termination; the writer's own test reads it back.
TEST(DesignResponseTest, IsTheLadderResponseOverTheSweep) {
  DesignState falling = testing::WizardDesign12();  // 12.5 ohm
  std::swap(falling.SweepStart, falling.SweepStop);
  for (const DesignState& design : {testing::BandDesign(20), falling}) {
    const ResponseRange range = DesignResponseRange(design);
    ASSERT_EQ(range.points, 2001);
    const std::optional<MeasuredNetwork> network = DesignResponse(design, range);
    ASSERT_TRUE(network);
    const std::vector<double>& f = network->frequency;
    ASSERT_EQ(f.size(), 2001u);
    EXPECT_EQ(f.front(), std::fmin(design.SweepStart, design.SweepStop));
    EXPECT_EQ(f.back(), std::fmax(design.SweepStart, design.SweepStop));
    EXPECT_NEAR(std::log(f[1] / f[0]), std::log(f[2000] / f[1999]), 1e-12);
    const Ladder ladder = LadderFromDesign(design);
    for (std::size_t i = 0; i < f.size(); i += 50) {
      const SParameters s = Respond(ladder, f[i], design.InputTermination);
      EXPECT_EQ(network->s[i], (MeasuredNetwork::Matrix{s.s11, s.s21, s.s21, s.s22})) << i;
    }
    EXPECT_EQ(network->referenceOhms[1], design.InputTermination);
  }
}

}  // namespace
}  // namespace diruruzevuv::model
