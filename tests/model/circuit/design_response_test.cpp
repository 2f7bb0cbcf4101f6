#include "model/circuit/design_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "../../files/cli_support.h"
#include "../../files/test_support.h"
#include "files/design_file.h"
#include "files/touchstone.h"
#include "model/measurement_support.h"
#include "model/circuit/ladder.h"

namespace diruruzevuv::model {
namespace {

// The tool's touchstone file of a 12.5 ohm design sweeping downwards reads
// back as the ladder's response at strictly increasing, log-spaced
// frequencies over the design's sweep, referred to the design's termination.
TEST(DesignResponseTest, TheToolWritesTheLadderResponseOverTheSweep) {
  DesignState design = testing::WizardDesign12();
  std::swap(design.SweepStart, design.SweepStop);
  const testing::TempDir dir;
  const std::string designFile = (dir / "W12.TXT").string(), out = (dir / "W12.s2p").string();
  SilentNotifier quiet;
  files::WriteDesignFile(designFile, design, quiet);
  files::ReadDesignFile(designFile, design, quiet);  // as the tool reads it
  ASSERT_EQ(testing::RunCli("touchstone \"" + designFile + "\" \"" + out + "\""),
            testing::CliRun(0, ""));
  const files::TouchstoneRead read = files::ReadTouchstoneFile(out);
  ASSERT_TRUE(read.network) << read.error.Text();
  const MeasuredNetwork& network = *read.network;
  const std::vector<double>& f = network.frequency;
  ASSERT_EQ(f.size(), 2001u);
  EXPECT_EQ(f.front(), design.SweepStop);
  EXPECT_EQ(f.back(), design.SweepStart);
  EXPECT_NEAR(std::log(f[1] / f[0]), std::log(f[2000] / f[1999]), 1e-12);
  const Ladder ladder = LadderFromDesign(design);
  for (std::size_t i = 0; i < f.size(); i += 50) {
    const SParameters s = Respond(ladder, f[i], design.InputTermination);
    EXPECT_EQ(network.s[i], (MeasuredNetwork::Matrix{s.s11, s.s21, s.s21, s.s22})) << i;
  }
  EXPECT_EQ(network.referenceOhms, (std::array<double, 2>{12.5, 12.5}));
}

}  // namespace
}  // namespace diruruzevuv::model
