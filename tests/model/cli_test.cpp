#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

#include "../files/test_support.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/spice_export.h"
#include "model/session.h"

namespace diruruzevuv::model {
namespace {

using CliRun = std::pair<int, std::string>;  // exit status and standard output

// Runs the tool with standard error into the file errors.
CliRun RunCli(const std::string& arguments, const std::string& errors = "/dev/null") {
  const std::string command =
      std::string("\"") + DIRU_CLI_PATH + "\" " + arguments + " 2>\"" + errors + "\"";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  for (char buffer[4096]; std::fgets(buffer, sizeof buffer, pipe) != nullptr;) out += buffer;
  const int raw = pclose(pipe);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

// The built-in design after the tool's own start-up: global defaults, then the design.
TEST(CliTest, SweepPrintsEveryPointOfTheBuiltInDesignExactly) {
  Session session;
  SilentNotifier quiet;
  files::ReadGlobalDefaults(FileLocations{".", DIRU_SOURCE_DATA_DIR}, session.design,
                            session.defaults, quiet);
  ApplyDefaultDesign(session.design);
  session.analysis.RunSweep(session.design);
  const SweepResult& r = session.analysis.Result();
  ASSERT_TRUE(r.valid);
  // Nine significant digits bring every stored float back bit for bit.
  std::string expected = "frequency_hz,gain_db,reflection_db\n";
  char line[80];
  for (int i = 0; i <= 2000; ++i) {
    std::snprintf(line, sizeof line, "%.9g,%.9g,%.9g\n", r.frequency[i], r.gain[i],
                  r.reflection[i]);
    expected += line;
  }
  EXPECT_EQ(RunCli("sweep"), CliRun(0, expected));
}

TEST(CliTest, SweepFailuresExitWithOneAndWrongUsageWithTwo) {
  testing::TempDir dir;
  const std::string errors = (dir / "errors").string();
  DesignState design;
  ApplyDefaultDesign(design);
  design.SweepStart = 0.0f;
  SilentNotifier quiet;
  ASSERT_TRUE(files::WriteDesignFile((dir / "BROKEN.TXT").string(), design, quiet));
  EXPECT_EQ(RunCli("sweep \"" + (dir / "BROKEN.TXT").string() + "\"", errors), CliRun(1, ""));
  EXPECT_NE(testing::ReadText(errors).find("cannot be analysed"), std::string::npos);
  EXPECT_EQ(RunCli("sweep /nonexistent-folder/none.TXT", errors), CliRun(1, ""));
  EXPECT_FALSE(testing::ReadText(errors).empty());
  for (const char* usage : {"sweep one two", "", "no-such-command"}) {
    EXPECT_EQ(RunCli(usage).first, 2) << usage;
  }
}

// The wizard and Monte Carlo share the program's code; a refused wizard writes no file.
TEST(CliTest, WizardAndMonteCarloPrintTheirResults) {
  testing::TempDir dir;
  EXPECT_EQ(RunCli("wizard 3500k 3 50 " + (dir / "A.TXT").string()),
            CliRun(0,
                   "C47: 956.829pF\nL2: 2.09uH target\nL2 turns: 26  (result: 2.028uH)\n"
                   "C48: 1667.14pF\nL1: 1.53086uH target\nL1 turns: 23  (result: 1.587uH)\n"
                   "C92: 328pF\nC49: 758.086pF\n"));
  EXPECT_TRUE(std::filesystem::exists(dir / "A.TXT"));
  EXPECT_EQ(RunCli("wizard 3500k 0 50 " + (dir / "B.TXT").string()), CliRun(1, ""));
  EXPECT_FALSE(std::filesystem::exists(dir / "B.TXT"));
  const auto [status, labels] = RunCli("montecarlo \"" DIRU_SOURCE_DATA_DIR "/20.TXT\"");
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(labels.starts_with("Worst-case passband loss: ") &&
              labels.find("\nWorst-case 2nd harm. atten: ") != std::string::npos &&
              labels.find("\nWorst-case 3ed harm. atten: ") != std::string::npos)
      << labels;
}

// montecarlo refuses what sweep refuses, with the same message; a wizard
// output name that cannot be written is an error, not a silent success.
TEST(CliTest, MonteCarloAndWizardFailuresExitWithOne) {
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
  EXPECT_EQ(RunCli("montecarlo \"" + broken + "\"", errors), CliRun(1, ""));
  EXPECT_EQ(testing::ReadText(errors), sweepSays);
  for (const char* name : {"x", "\"\""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(RunCli("wizard 7M 3 50 " + std::string(name), errors), CliRun(1, ""));
    EXPECT_NE(testing::ReadText(errors).find("too short"), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists("x"));
}

// The tool's first run of a preset, pinned to the independently worked
// figures of monte_carlo_figures_test.cpp (the shipped Q values 200 and 2000).
TEST(CliTest, MonteCarloPrintsTheFirstRunsFigures) {
  EXPECT_EQ(RunCli("montecarlo \"" DIRU_SOURCE_DATA_DIR "/40.TXT\""),
            CliRun(0,
                   "Worst-case passband loss: 0.12723 dB\n"
                   "Worst-case 2nd harm. atten: 38.549 dB\n"
                   "Worst-case 3ed harm. atten: 43.204 dB\n"));
  EXPECT_EQ(RunCli("montecarlo \"" DIRU_SOURCE_DATA_DIR "/20.TXT\"").second,
            "Worst-case passband loss: 0.18326 dB\n"
            "Worst-case 2nd harm. atten: 39.03 dB\n"
            "Worst-case 3ed harm. atten: 41.85 dB\n");
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
  EXPECT_EQ(RunCli("spice /nonexistent-folder/none.TXT \"" + out + "2\"").first, 1);
  EXPECT_FALSE(std::filesystem::exists(out + "2"));
}

}  // namespace
}  // namespace diruruzevuv::model
