// The command-line tool finds the shipped data from its own location, so a
// copy in any prefix works without the source or build tree.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

#include "../files/test_support.h"
#include "files/global_defaults_file.h"
#include "model/session.h"

namespace diruruzevuv::cli {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Exit status and standard output of a command run by the shell in a folder.
std::pair<int, std::string> RunIn(const fs::path& folder, const std::string& command) {
  FILE* pipe =
      popen(("cd \"" + folder.string() + "\" && " + command + " 2>/dev/null").c_str(), "r");
  std::string out;
  for (char buffer[4096]; std::fgets(buffer, sizeof buffer, pipe) != nullptr;) out += buffer;
  const int raw = pclose(pipe);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

// What sweep prints for the built-in design with the given file locations.
std::string ExpectedSweep(const model::FileLocations& where) {
  model::Session session;
  model::SilentNotifier quiet;
  files::ReadGlobalDefaults(where, session.design, session.defaults, quiet);
  model::ApplyDefaultDesign(session.design);
  session.analysis.RunSweep(session.design);
  const model::SweepResult& r = session.analysis.Result();
  std::string text = "frequency_hz,gain_db,reflection_db\n";
  char line[80];
  for (int i = 0; i <= r.intervals; ++i) {
    std::snprintf(line, sizeof line, "%.9g,%.9g,%.9g\n", r.frequency[i], r.gain[i],
                  r.reflection[i]);
    text += line;
  }
  return text;
}

std::string Defaults(const char* termination, const char* inductorQ) {
  return testing::CrLf({"Title", "Subtitle", "Passband: -20", "Second: -35", "Third: -35",
                        "Multiplier: 1.01", "AL: 3", "Grid: 6", "Floor: -60",
                        std::string("Termination: ") + termination,
                        std::string("Inductor Q: ") + inductorQ, "Capacitor Q: 2000"});
}

TEST(CliRelocationTest, ACopiedToolReadsTheDataBesideItsPrefix) {
  TempDir prefix, work;
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "share/diruruzevuv");
  fs::copy_file(DIRU_CLI_PATH, prefix / "bin/diruruzevuv-cli");
  std::string tool = "\"";
  tool += (prefix / "bin/diruruzevuv-cli").string();
  tool += '"';

  // Nothing shipped yet: the built-in defaults.
  const model::FileLocations none{work.path(), prefix / "none"};
  EXPECT_EQ(RunIn(work.path(), tool + " sweep"), std::make_pair(0, ExpectedSweep(none)));

  testing::WriteText(prefix / "share/diruruzevuv" / files::kGlobalDefaultsName,
                     Defaults("75", "90"));
  const model::FileLocations shipped{work.path(), prefix / "share/diruruzevuv"};
  const std::string fromShipped = ExpectedSweep(shipped);
  ASSERT_NE(fromShipped, ExpectedSweep(none));
  EXPECT_EQ(RunIn(work.path(), tool + " sweep"), std::make_pair(0, fromShipped));
  // Started through a relative path and from another folder: the same.
  EXPECT_EQ(RunIn(prefix.path(), "bin/diruruzevuv-cli sweep"), std::make_pair(0, fromShipped));

  // A copy in the working folder still wins over the shipped one.
  testing::WriteText(work / files::kGlobalDefaultsName, Defaults("60", "150"));
  const std::string fromWork = ExpectedSweep(shipped);
  ASSERT_NE(fromWork, fromShipped);
  EXPECT_EQ(RunIn(work.path(), tool + " sweep"), std::make_pair(0, fromWork));
}

TEST(CliRelocationTest, HelpListsEveryCommandAndVersionNamesTheRelease) {
  TempDir work;
  const std::string tool = std::string("\"") + DIRU_CLI_PATH + "\"";
  const auto [status, help] = RunIn(work.path(), tool + " --help");
  EXPECT_EQ(status, 0);
  for (const char* command : {"\n  sweep ", "\n  wizard ", "\n  montecarlo ", "\n  spice ",
                              "\n  report ", "\n  compare ", "\n  fit ", "--version",
                              "Exit status"})
    EXPECT_NE(help.find(command), std::string::npos) << command << "\n" << help;
  EXPECT_EQ(RunIn(work.path(), tool + " --version"),
            std::make_pair(0, std::string("diruruzevuv-cli " DIRU_VERSION "\n")));
}

}  // namespace
}  // namespace diruruzevuv::cli
