#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "files/design_file.h"
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

// Runs the tool; standard error goes to the file errors.
CliRun RunCli(const std::string& arguments, const std::string& errors = "/dev/null") {
  CliRun run;
  const std::string command =
      std::string("\"") + DIRU_CLI_PATH + "\" " + arguments + " 2>\"" + errors + "\"";
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

// The lines must give back, bit for bit, the sweep of the design that the
// tool's own start-up produces.
void ExpectSweepOutput(const std::string& out, const std::string& designFile) {
  const std::vector<std::string> lines = Split(out, '\n');
  ASSERT_EQ(lines.size(), 2002u);
  EXPECT_EQ(lines[0], "frequency_hz,gain_db,reflection_db");

  // The same start as the tool: global defaults, then the design.
  Session session;
  SilentNotifier quiet;
  files::ReadGlobalDefaults(FileLocations{}, session.design, session.defaults, quiet);
  if (designFile.empty()) {
    ApplyDefaultDesign(session.design);
  } else {
    ASSERT_TRUE(files::ReadDesignFile(designFile, session.design, quiet));
  }
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
  EXPECT_EQ(out.find('\r'), std::string::npos);
}

TEST(CliSweepTest, PrintsEveryPointOfTheBuiltInDesignExactly) {
  const CliRun run = RunCli("sweep");
  ASSERT_EQ(run.status, 0);
  ExpectSweepOutput(run.out, "");
  EXPECT_EQ(run.out.substr(run.out.find('\n') + 1, 8), "5000000,");
}

TEST(CliSweepTest, SweepsAShippedPreset) {
  const std::string preset = std::string(DIRU_SOURCE_DATA_DIR) + "/40.TXT";
  const CliRun run = RunCli("sweep \"" + preset + "\"");
  ASSERT_EQ(run.status, 0);
  ExpectSweepOutput(run.out, preset);
}

TEST(CliSweepTest, DesignThatCannotBeAnalysedExitsWithOne) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("diru_cli_sweep_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "BROKEN.TXT").string();
  DesignState design;
  ApplyDefaultDesign(design);
  design.SweepStart = 0.0f;
  SilentNotifier quiet;
  ASSERT_TRUE(files::WriteDesignFile(path, design, quiet));
  const std::string errors = (folder / "errors.txt").string();
  const CliRun run = RunCli("sweep \"" + path + "\"", errors);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  std::ifstream in(errors);
  const std::string message((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(message.find("cannot be analysed"), std::string::npos) << message;
  std::filesystem::remove_all(folder);
}

TEST(CliSweepTest, WrongUsageExitsWithTwo) {
  EXPECT_EQ(RunCli("sweep one two").status, 2);
  EXPECT_EQ(RunCli("").status, 2);
  EXPECT_EQ(RunCli("no-such-command").status, 2);
}

TEST(CliSweepTest, UnreadableDesignFileExitsWithOneAndSaysWhy) {
  const auto errors = std::filesystem::temp_directory_path() /
                      ("diru_cli_sweep_errors_" + std::to_string(getpid()) + ".txt");
  const CliRun run = RunCli("sweep /nonexistent-folder/none.TXT", errors.string());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_GT(std::filesystem::file_size(errors), 0u);
  std::filesystem::remove(errors);
}

}  // namespace
}  // namespace diruruzevuv::model
