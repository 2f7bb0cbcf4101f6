#include "program_options.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace diruruzevuv::app {
namespace {

using Action = ProgramOptions::Action;

// The options, and a copy of what is left for Qt without the ending null
// pointer: the strings die with this function.
std::pair<ProgramOptions, std::vector<std::string>> Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "diruruzevuv");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  ProgramOptions options = ParseProgramOptions(static_cast<int>(argv.size()), argv.data());
  std::vector<std::string> qt;
  if (!options.qtArgs.empty() && options.qtArgs.back() == nullptr)
    qt.assign(options.qtArgs.begin(), options.qtArgs.end() - 1);
  options.qtArgs.clear();
  return {options, qt};
}

TEST(ProgramOptionsTest, ParsesTheProgramsOwnOptions) {
  // clang-format off
  struct Row {
    std::vector<std::string> args;
    Action action;
    std::string workDir;
    bool userWorkDir;
    std::string snapshot;
    std::vector<std::string> qt = {"diruruzevuv"};  // for Qt, in order
  } rows[] = {
      {{}, Action::kRun, "", false, ""},
      {{"--work-dir=rel/w"}, Action::kRun, "rel/w", false, ""},
      {{"--user-work-dir"}, Action::kRun, "", true, ""},
      {{"--user-work-dir", "--work-dir", "d"}, Action::kRun, "d", false, ""},
      {{"--work-dir", "d", "--user-work-dir"}, Action::kRun, "", true, ""},
      {{"--snapshot", "s.png", "--work-dir", "d"}, Action::kRun, "d", false, "s.png"},
      // Qt's own options and anything unknown go to the application object.
      {{"-platform", "offscreen", "--work-dir", "w", "--stray"}, Action::kRun, "w", false, "",
       {"diruruzevuv", "-platform", "offscreen", "--stray"}},
      {{"--work-dir"}, Action::kUsageError, "", false, "", {}},
      {{"--work-dir="}, Action::kUsageError, "", false, "", {}},
      {{"--snapshot"}, Action::kUsageError, "", false, "", {}},
      {{"--work-dir", "d", "--help"}, Action::kHelp, "d", false, "", {}},
      {{"-h"}, Action::kHelp, "", false, "", {}},
      {{"--version"}, Action::kVersion, "", false, "", {}},
  };
  // clang-format on
  for (const Row& row : rows) {
    const auto [options, qt] = Parse(row.args);
    std::string joined;
    for (const auto& arg : row.args) joined += arg + " ";
    EXPECT_EQ(std::tuple(options.action, options.workDir.string(), options.userWorkDir,
                         options.snapshot.string(), options.error.empty(), qt),
              std::tuple(row.action, row.workDir, row.userWorkDir, row.snapshot,
                         row.action != Action::kUsageError, row.qt))
        << joined;
  }
}

}  // namespace
}  // namespace diruruzevuv::app
