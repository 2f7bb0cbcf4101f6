#include "program_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace diruruzevuv::app {
namespace {

using Action = ProgramOptions::Action;

ProgramOptions Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "diruruzevuv");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  // The strings die with this function; keep what the rows compare.
  ProgramOptions options = ParseProgramOptions(static_cast<int>(argv.size()), argv.data());
  options.qtArgs.clear();
  return options;
}

TEST(ProgramOptionsTest, ParsesTheProgramsOwnOptions) {
  struct Row {
    std::vector<std::string> args;
    Action action;
    std::string workDir;
    bool userWorkDir;
    std::string snapshot;
  } rows[] = {
      {{}, Action::kRun, "", false, ""},
      {{"--work-dir", "/tmp/w"}, Action::kRun, "/tmp/w", false, ""},
      {{"--work-dir=rel/w"}, Action::kRun, "rel/w", false, ""},
      {{"--user-work-dir"}, Action::kRun, "", true, ""},
      {{"--user-work-dir", "--work-dir", "d"}, Action::kRun, "d", false, ""},
      {{"--work-dir", "d", "--user-work-dir"}, Action::kRun, "", true, ""},
      {{"--snapshot", "s.png", "--work-dir", "d"}, Action::kRun, "d", false, "s.png"},
      {{"--work-dir"}, Action::kUsageError, "", false, ""},
      {{"--work-dir="}, Action::kUsageError, "", false, ""},
      {{"--snapshot"}, Action::kUsageError, "", false, ""},
      {{"--work-dir", "d", "--help"}, Action::kHelp, "d", false, ""},
      {{"-h"}, Action::kHelp, "", false, ""},
      {{"--version"}, Action::kVersion, "", false, ""},
  };
  for (const Row& row : rows) {
    const ProgramOptions options = Parse(row.args);
    std::string joined;
    for (const auto& arg : row.args) joined += arg + " ";
    EXPECT_EQ(options.action, row.action) << joined;
    EXPECT_EQ(options.workDir.string(), row.workDir) << joined;
    EXPECT_EQ(options.userWorkDir, row.userWorkDir) << joined;
    EXPECT_EQ(options.snapshot.string(), row.snapshot) << joined;
    EXPECT_EQ(options.error.empty(), row.action != Action::kUsageError) << joined;
  }
}

// Qt's own options and anything unknown go to the application object, in order.
TEST(ProgramOptionsTest, LeavesOtherArgumentsForQt) {
  std::vector<std::string> args = {"diruruzevuv", "-platform", "offscreen",
                                   "--work-dir",  "w",         "--stray"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  const ProgramOptions options = ParseProgramOptions(static_cast<int>(argv.size()), argv.data());
  ASSERT_EQ(options.qtArgs.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(options.qtArgs.begin(), options.qtArgs.end() - 1),
            (std::vector<std::string>{"diruruzevuv", "-platform", "offscreen", "--stray"}));
  EXPECT_EQ(options.qtArgs.back(), nullptr);
  EXPECT_EQ(options.workDir, "w");
}

}  // namespace
}  // namespace diruruzevuv::app
