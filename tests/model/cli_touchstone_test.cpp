// The command-line tool's touchstone command, run as a user runs it.
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

using testing::CliRun, testing::RunCli;

// A 12.5 ohm design sweeping downwards.
struct Files {
  Files() {
    std::swap(design.SweepStart, design.SweepStop);
    SilentNotifier quiet;
    files::WriteDesignFile(designFile, design, quiet);
    files::ReadDesignFile(designFile, design, quiet);  // as the tool reads it
  }
  DesignState design = testing::WizardDesign12();
  testing::TempDir dir;
  std::string designFile = (dir / "W12.TXT").string();
  std::string out = (dir / "W12.s2p").string();
  std::string errors = (dir / "errors").string();
};

// The file holds the design's response as the model computes it, number
// for number.
TEST(CliTouchstoneTest, WritesTheDesignResponse) {
  const Files f;
  ASSERT_EQ(RunCli("touchstone \"" + f.designFile + "\" \"" + f.out + "\""), CliRun(0, ""));
  const files::TouchstoneRead read = files::ReadTouchstoneFile(f.out);
  const auto expected = DesignResponse(f.design, DesignResponseRange(f.design));
  ASSERT_TRUE(read.network && expected);
  EXPECT_EQ(read.network->referenceOhms, expected->referenceOhms);
  EXPECT_EQ(read.network->frequency, expected->frequency);
  EXPECT_EQ(read.network->s, expected->s);
}

// Each wrong option: exit status 2 and one line naming it; a file that
// cannot be written: 1 with the file and the reason.
TEST(CliTouchstoneTest, RefusalsNameTheOptionOrTheFile) {
  const Files f;
  const std::string files = "\"" + f.designFile + "\" \"" + f.out + "\"";
  const std::string folder = f.dir.path().string();
  const std::pair<std::string, std::string> rows[] = {
      {"", "2: touchstone needs a DESIGN_FILE"},
      {"x", "2: touchstone needs an OUT_FILE"},
      {"x y --points 1", "2: --points needs a whole number from 2 to 100000, got '1'"},
      {"x y --points 2.5", "2: --points needs a whole number from 2 to 100000, got '2.5'"},
      {"x y --start 0", "2: --start needs a frequency in Hz above 0, got '0'"},
      {"x y --start 3e7 --stop 3e7", "2: --start 30000000 Hz is not below --stop 30000000 Hz"},
      {"x y --step 5", "2: unknown option '--step' for touchstone"},
      {files + " --start 1e9", "2: --start 1000000000 Hz is not below the design's sweep end " +
                                   std::to_string(static_cast<long>(f.design.SweepStart)) + " Hz"},
      {files + " --stop 1e3", "2: --stop 1000 Hz is not above the design's sweep start " +
                                  std::to_string(static_cast<long>(f.design.SweepStop)) + " Hz"},
      {"\"" + f.designFile + "\" \"" + folder + "\"",
       "1: cannot write " + folder + ": Is a directory"},
  };
  for (const auto& [args, expected] : rows) {
    const CliRun run = RunCli("touchstone " + args, f.errors);
    EXPECT_EQ(std::to_string(run.first) + ": " + testing::ReadText(f.errors),
              expected.substr(0, 3) + "diruruzevuv-cli: " + expected.substr(3) + "\n")
        << args;
  }
}

}  // namespace
}  // namespace diruruzevuv::model
