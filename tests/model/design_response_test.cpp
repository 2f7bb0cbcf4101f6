#include "model/design_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "files/touchstone.h"
#include "files/touchstone_writer.h"
#include "measurement_support.h"
#include "model/ladder.h"

namespace diruruzevuv::model {
namespace {

// The exported network is the ladder's response at strictly increasing,
// log-spaced frequencies over the design's sweep (whichever way it runs),
// and the program's own reader brings it back within 1e-9.
TEST(DesignResponseTest, LadderResponseReadsBackFromTouchstone) {
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

    const files::TouchstoneRead read =
        files::ParseTouchstone(files::TouchstoneText(*network, {"a comment"}), "d.s2p");
    ASSERT_TRUE(read.network) << read.error.Text();
    EXPECT_EQ(read.network->ports, 2);
    EXPECT_EQ(read.network->referenceOhms[0], design.InputTermination);
    ASSERT_EQ(read.network->frequency.size(), f.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
      EXPECT_NEAR(read.network->frequency[i], f[i], 1e-9 * f[i]);
      for (int k = 0; k < 4; ++k) {
        const std::complex<double> v = network->s[i][k];
        EXPECT_LE(std::abs(read.network->s[i][k] - v), 1e-9 * std::abs(v)) << i << " " << k;
      }
    }
  }
}

}  // namespace
}  // namespace diruruzevuv::model
