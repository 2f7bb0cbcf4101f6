// The command-line tool run as a user runs it, from the build tree and
// copied to another prefix.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "../files/cli_support.h"
#include "../files/test_support.h"

namespace diruruzevuv::testing {
namespace {

namespace fs = std::filesystem;

// The wizard and the Monte Carlo run share the program's code; the run's
// figures are those of the model's own first run of the preset.
TEST(CliTest, WizardAndMonteCarloPrintTheirResults) {
  TempDir dir;
  EXPECT_EQ(RunCli("wizard 3500k 3 50 " + (dir / "A.TXT").string()),
            CliRun(0,
                   "C47: 956.829pF\nL2: 2.09uH target\nL2 turns: 26  (result: 2.028uH)\n"
                   "C48: 1667.14pF\nL1: 1.53086uH target\nL1 turns: 23  (result: 1.587uH)\n"
                   "C92: 328pF\nC49: 758.086pF\n"));
  EXPECT_TRUE(fs::exists(dir / "A.TXT"));
  EXPECT_EQ(RunCli("montecarlo \"" DIRU_SOURCE_DATA_DIR "/40.TXT\""),
            CliRun(0,
                   "Worst-case passband loss: 0.12723 dB\n"
                   "Worst-case 2nd harm. atten: 38.549 dB\n"
                   "Worst-case 3ed harm. atten: 43.204 dB\n"));
}

// Exit status and standard output of a command run by the shell in a folder.
CliRun RunIn(const fs::path& folder, const std::string& command) {
  return RunShell("cd \"" + folder.string() + "\" && " + command);
}

// The tool finds the shipped data from its own location, so a copy in any
// prefix works without the source or build tree.
TEST(CliTest, ACopiedToolReadsTheDataBesideItsPrefix) {
  TempDir prefix, work;
  for (const char* folder : {"bin", "share/diruruzevuv"}) fs::create_directories(prefix / folder);
  fs::copy_file(DIRU_CLI_PATH, prefix / "bin/diruruzevuv-cli");
  std::string tool = "\"";  // built up: GCC 12 warns wrongly on "x" + string here
  tool += (prefix / "bin/diruruzevuv-cli").string();
  tool += '"';

  // Nothing shipped yet: the built-in defaults.
  const model::FileLocations none{work.path(), prefix / "none"};
  EXPECT_EQ(RunIn(work.path(), tool + " sweep"), std::make_pair(0, ExpectedSweep(none)));

  WriteText(prefix / "share/diruruzevuv" / files::kGlobalDefaultsName,
            CrLf({"Title", "Subtitle", "Passband: -20", "Second: -35", "Third: -35",
                  "Multiplier: 1.01", "AL: 3", "Grid: 6", "Floor: -60", "Termination: 75",
                  "Inductor Q: 90", "Capacitor Q: 2000"}));
  const model::FileLocations shipped{work.path(), prefix / "share/diruruzevuv"};
  const std::string fromShipped = ExpectedSweep(shipped);
  ASSERT_NE(fromShipped, ExpectedSweep(none));
  EXPECT_EQ(RunIn(work.path(), tool + " sweep"), std::make_pair(0, fromShipped));
  // Started through a relative path and from another folder: the same.
  EXPECT_EQ(RunIn(prefix.path(), "bin/diruruzevuv-cli sweep"), std::make_pair(0, fromShipped));
}

}  // namespace
}  // namespace diruruzevuv::testing
