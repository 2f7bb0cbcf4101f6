// The command-line tool finds the shipped data from its own location, so a
// copy in any prefix works without the source or build tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "../files/cli_support.h"
#include "../files/test_support.h"

namespace diruruzevuv::cli {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Exit status and standard output of a command run by the shell in a folder.
testing::CliRun RunIn(const fs::path& folder, const std::string& command) {
  return testing::RunShell("cd \"" + folder.string() + "\" && " + command);
}

using testing::ExpectedSweep;

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
