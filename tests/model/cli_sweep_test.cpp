#include <gtest/gtest.h>
#include <sys/wait.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "files/global_defaults_file.h"
#include "model/analysis.h"
#include "model/design_state.h"
#include "model/notifier.h"
#include "model/session.h"

namespace diruruzevuv::model {
namespace {

struct CliRun {
  int status = -1;
  std::string out;
};

CliRun RunCli(const std::string& arguments) {
  CliRun run;
  const std::string command =
      std::string("\"") + DIRU_CLI_PATH + "\" " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

float ParseFloat(const std::string& text) {
  float value = -12345.0f;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_EQ(error, std::errc{}) << text;
  EXPECT_EQ(end, text.data() + text.size()) << text;
  return value;
}

TEST(CliSweepTest, PrintsEveryPointOfTheBuiltInDesignExactly) {
  const CliRun run = RunCli("sweep");
  ASSERT_EQ(run.status, 0);
  const std::vector<std::string> lines = Split(run.out, '\n');
  ASSERT_EQ(lines.size(), 2002u);
  EXPECT_EQ(lines[0], "frequency_hz,gain_db,reflection_db");

  // The same start as the tool: global defaults, then the built-in design.
  Session session;
  SilentNotifier quiet;
  files::ReadGlobalDefaults(FileLocations{}, session.design, session.defaults, quiet);
  ApplyDefaultDesign(session.design);
  session.analysis.RunSweep(session.design);
  const SweepResult& r = session.analysis.Result();
  ASSERT_TRUE(r.valid);
  for (int i = 0; i <= 2000; ++i) {
    const std::vector<std::string> fields = Split(lines[i + 1], ',');
    ASSERT_EQ(fields.size(), 3u) << lines[i + 1];
    // Nine significant digits bring each float back bit for bit.
    ASSERT_EQ(ParseFloat(fields[0]), r.frequency[i]) << i;
    ASSERT_EQ(ParseFloat(fields[1]), r.gain[i]) << i;
    ASSERT_EQ(ParseFloat(fields[2]), r.reflection[i]) << i;
  }
  EXPECT_EQ(lines[1].substr(0, 8), "5000000,");
  EXPECT_EQ(run.out.find('\r'), std::string::npos);
}

TEST(CliSweepTest, WrongUsageExitsWithTwo) {
  EXPECT_EQ(RunCli("sweep one two").status, 2);
  EXPECT_EQ(RunCli("").status, 2);
  EXPECT_EQ(RunCli("no-such-command").status, 2);
}

TEST(CliSweepTest, UnreadableDesignFileExitsWithOneAndPrintsNothing) {
  const CliRun run = RunCli("sweep /nonexistent-folder/none.TXT");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace diruruzevuv::model
