// The command-line tool's touchstone command, run as a user runs it; its
// refusals are in the tool's message table.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "../files/cli_support.h"
#include "../files/test_support.h"
#include "files/design_file.h"
#include "files/touchstone.h"
#include "model/design_response.h"
#include "measurement_support.h"

namespace diruruzevuv::model {
namespace {

// A 12.5 ohm design sweeping downwards: the file holds its response as the
// model computes it, number for number.
TEST(CliTouchstoneTest, WritesTheDesignResponse) {
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
  const auto expected = DesignResponse(design, DesignResponseRange(design));
  ASSERT_TRUE(read.network && expected);
  EXPECT_EQ(read.network->referenceOhms, expected->referenceOhms);
  EXPECT_EQ(read.network->frequency, expected->frequency);
  EXPECT_EQ(read.network->s, expected->s);
}

}  // namespace
}  // namespace diruruzevuv::model
