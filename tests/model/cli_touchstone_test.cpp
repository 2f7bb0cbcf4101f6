// The command-line tool's touchstone command, run as a user runs it.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../files/cli_support.h"
#include "../files/test_support.h"
#include "files/design_file.h"
#include "measurement_support.h"

namespace diruruzevuv::model {
namespace {

using testing::CliRun, testing::RunCli;

// A 12.5 ohm design sweeping downwards.
struct Files {
  Files() {
    DesignState design = testing::WizardDesign12();
    std::swap(design.SweepStart, design.SweepStop);
    low = design.SweepStop;
    high = design.SweepStart;
    SilentNotifier quiet;
    files::WriteDesignFile(designFile, design, quiet);
  }
  testing::TempDir dir;
  std::string designFile = (dir / "W12.TXT").string();
  std::string out = (dir / "W12.s2p").string();
  std::string errors = (dir / "errors").string();
  double low = 0.0, high = 0.0;
};

// Compared with its own export, the design differs by 0.00 dB everywhere.
TEST(CliTouchstoneTest, CompareWithItsOwnExportFindsNoDifference) {
  const Files f;
  ASSERT_EQ(RunCli("touchstone \"" + f.designFile + "\" \"" + f.out + "\""), CliRun(0, ""));
  const CliRun csv = RunCli("compare \"" + f.designFile + "\" \"" + f.out + "\" --csv");
  ASSERT_EQ(csv.first, 0);
  std::istringstream rows(csv.second);
  int bands = 0;
  for (std::string row; std::getline(rows, row);) {
    if (row.find("passband,") != 0 && row.find("harmonic,") == std::string::npos) continue;
    // The transmission's differences, and the worst measured and computed
    // levels (the passband's are reflections).
    std::istringstream fields(row);
    std::vector<double> v;
    std::string field;
    for (int k = 0; k <= 8 && std::getline(fields, field, ','); ++k)
      if (k >= 5) v.push_back(std::stod(field));
    ASSERT_EQ(v.size(), 4u) << row;
    EXPECT_LT(std::fabs(v[0]), 0.005) << row;
    EXPECT_LT(std::fabs(v[1]), 0.005) << row;
    EXPECT_LT(std::fabs(v[2] - v[3]), 0.005) << row;
    ++bands;
  }
  EXPECT_EQ(bands, 3);
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
      {"x y --points", "2: --points needs a whole number from 2 to 100000"},
      {"x y --start 0", "2: --start needs a frequency in Hz above 0, got '0'"},
      {"x y --stop -7e6", "2: --stop needs a frequency in Hz above 0, got '-7e6'"},
      {"x y --start 3e7 --stop 3e7", "2: --start 30000000 Hz is not below --stop 30000000 Hz"},
      {"x y --step 5", "2: unknown option '--step' for touchstone"},
      {files + " --start 1e9", "2: --start 1000000000 Hz is not below the design's sweep end " +
                                   std::to_string(static_cast<long>(f.high)) + " Hz"},
      {files + " --stop 1e3", "2: --stop 1000 Hz is not above the design's sweep start " +
                                  std::to_string(static_cast<long>(f.low)) + " Hz"},
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
