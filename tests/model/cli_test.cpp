#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "../files/cli_support.h"
#include "../files/test_support.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/spice_export.h"
#include "model/monte_carlo.h"

namespace diruruzevuv::model {
namespace {

using testing::CliRun, testing::RunCli;

TEST(CliTest, SweepPrintsEveryPointOfTheBuiltInDesignExactly) {
  const std::string expected = testing::ExpectedSweep(FileLocations{".", DIRU_SOURCE_DATA_DIR});
  ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 2002);
  EXPECT_EQ(RunCli("sweep"), CliRun(0, expected));
}

// montecarlo refuses what sweep refuses, with the same message; a refused
// wizard writes no file, and an output name that cannot be written is an
// error, not a silent success.
TEST(CliTest, FailuresExitWithOneAndWrongUsageWithTwo) {
  testing::TempDir dir;
  const std::string errors = (dir / "errors").string();
  DesignState design;
  ApplyDefaultDesign(design);
  design.SweepStart = 0.0f;
  SilentNotifier quiet;
  const std::string broken = (dir / "BROKEN.TXT").string();
  ASSERT_TRUE(files::WriteDesignFile(broken, design, quiet));
  EXPECT_EQ(RunCli("sweep \"" + broken + "\"", errors), CliRun(1, ""));
  const std::string sweepSays = testing::ReadText(errors);
  EXPECT_NE(sweepSays.find("cannot be analysed"), std::string::npos);
  EXPECT_EQ(RunCli("montecarlo \"" + broken + "\"", errors), CliRun(1, ""));
  EXPECT_EQ(testing::ReadText(errors), sweepSays);
  EXPECT_EQ(RunCli("sweep /nonexistent-folder/none.TXT", errors), CliRun(1, ""));
  EXPECT_FALSE(testing::ReadText(errors).empty());
  const std::string out = (dir / "F.ASC").string();
  EXPECT_EQ(RunCli("spice /nonexistent-folder/none.TXT \"" + out + "\"").first, 1);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(RunCli("wizard 3500k 0 50 " + (dir / "B.TXT").string()), CliRun(1, ""));
  EXPECT_FALSE(std::filesystem::exists(dir / "B.TXT"));
  for (const char* name : {"x", "\"\""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(RunCli("wizard 7M 3 50 " + std::string(name), errors), CliRun(1, ""));
    EXPECT_NE(testing::ReadText(errors).find("too short"), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists("x"));
}

// The wizard and the Monte Carlo run share the program's code; the run's
// figures are those of the model's own first run of the preset.
TEST(CliTest, WizardAndMonteCarloPrintTheirResults) {
  testing::TempDir dir;
  EXPECT_EQ(RunCli("wizard 3500k 3 50 " + (dir / "A.TXT").string()),
            CliRun(0,
                   "C47: 956.829pF\nL2: 2.09uH target\nL2 turns: 26  (result: 2.028uH)\n"
                   "C48: 1667.14pF\nL1: 1.53086uH target\nL1 turns: 23  (result: 1.587uH)\n"
                   "C92: 328pF\nC49: 758.086pF\n"));
  EXPECT_TRUE(std::filesystem::exists(dir / "A.TXT"));
  EXPECT_EQ(RunCli("montecarlo \"" DIRU_SOURCE_DATA_DIR "/40.TXT\""),
            CliRun(0,
                   "Worst-case passband loss: 0.12723 dB\n"
                   "Worst-case 2nd harm. atten: 38.549 dB\n"
                   "Worst-case 3ed harm. atten: 43.204 dB\n"));
}

// The spice command writes what the export makes of the design as the tool reads it.
TEST(CliTest, SpiceWritesTheSchematicOfTheDesignFile) {
  testing::TempDir dir;
  Session session;
  SilentNotifier quiet;
  files::ReadGlobalDefaults(FileLocations{".", DIRU_SOURCE_DATA_DIR}, session.design,
                            session.defaults, quiet);
  ASSERT_TRUE(files::ReadDesignFile(DIRU_SOURCE_DATA_DIR "/40.TXT", session.design, quiet));
  const std::string out = (dir / "F.ASC").string();
  EXPECT_EQ(RunCli("spice \"" DIRU_SOURCE_DATA_DIR "/40.TXT\" \"" + out + "\"").first, 0);
  EXPECT_EQ(testing::ReadText(out), files::SpiceSchematicText(session.design).value());
}

}  // namespace
}  // namespace diruruzevuv::model
