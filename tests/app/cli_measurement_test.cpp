// The command-line tool's compare and fit commands, run as a user runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "../files/cli_support.h"
#include "../files/test_support.h"
#include "files/design_file.h"
#include "model/measurement_support.h"

namespace diruruzevuv::model {
namespace {

using testing::CliRun, testing::RunCli;

// The lines of a text, or the fields of a line when split at commas.
std::vector<std::string> Split(const std::string& text, char at = '\n') {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(at, start)) != std::string::npos; start = end + 1)
    parts.push_back(text.substr(start, end - start));
  if (at != '\n') parts.push_back(text.substr(start));
  return parts;
}

// A wizard design for 12.5 ohm, and measurements of it at 50 ohm with C49 5 % low.
struct Files {
  Files() {
    SilentNotifier quiet;
    files::WriteDesignFile(designFile, design, quiet);
  }
  // Writes the measurement and gives the two files, quoted for the shell.
  std::string Args(const std::string& name, const testing::Synthesis& synthesis) const {
    Ladder built = LadderFromDesign(design);
    built.value[kC49] *= 0.95;
    testing::WriteText(dir / name, testing::MeasurementText(design, built, synthesis));
    return "\"" + designFile + "\" \"" + (dir / name).string() + "\"";
  }
  const DesignState design = testing::WizardDesign12();
  testing::TempDir dir;
  std::string designFile = (dir / "W12.TXT").string();
  std::string clean = Args("built.s2p", testing::Synthesis{.noiseDb = -90.0});
};

TEST(CliMeasurementTest, CompareTableAndCsv) {
  const Files f;
  const CliRun table = RunCli("compare " + f.clean);
  ASSERT_EQ(table.first, 0);
  const auto lines = Split(table.second);
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[1],
            "Measured: built.s2p, two-port, 401 points, measured at 50 ohm, judged at 12.5 ohm");
  EXPECT_EQ(lines[2], "Points used: 401; left out below -70.0 dB: 0");
  EXPECT_EQ(lines[6].substr(0, 12), "2nd harmonic");

  const CliRun csv = RunCli("compare " + f.clean + " --csv --floor -40");
  ASSERT_EQ(csv.first, 0);
  const auto rows = Split(csv.second);
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0],
            "band,from_hz,to_hz,points,left_out,worst_difference_db,rms_difference_db,"
            "worst_measured_db,worst_computed_db,box_db,box_met");
  for (const std::string& row : rows) EXPECT_EQ(Split(row, ',').size(), 11u) << row;
  EXPECT_EQ(std::tuple(rows[1].substr(0, 4), rows[5].substr(0, 16)),
            std::tuple("all,", "lower_edge_loss,"));
  EXPECT_NE(rows[1], "all,,,401,0,,,,,,");  // the higher floor leaves points out
}

// Several files in turn: each CSV row as one file's, the file first; an
// unreadable file is said and the others are still compared (exit 1).
TEST(CliMeasurementTest, CompareSeveralFilesInTurn) {
  const Files f;
  const std::string noisy = f.Args("noisy.s2p", testing::Synthesis{.noiseDb = -50.0});
  const std::string errors = (f.dir / "errors").string();
  const CliRun both = RunCli(
      "compare " + f.clean + " missing.s2p " + noisy.substr(noisy.rfind(" \"")) + " --csv", errors);
  EXPECT_EQ(both.first, 1);
  EXPECT_EQ(testing::ReadText(errors),
            "diruruzevuv-cli: cannot read missing.s2p: No such file or directory\n");
  std::string expected;
  for (const std::string name : {"built.s2p", "noisy.s2p"}) {
    const std::string path = (f.dir / name).string();
    const auto rows =
        Split(RunCli("compare \"" + f.designFile + "\" \"" + path + "\" --csv").second);
    if (expected.empty()) expected = "measurement," + rows[0] + "\n";
    for (std::size_t i = 1; i < rows.size(); ++i) expected += path + "," + rows[i] + "\n";
  }
  EXPECT_EQ(both.second, expected);
}

TEST(CliMeasurementTest, FitNamesThePartThatIsOff) {
  const Files f;
  const CliRun csv = RunCli("fit " + f.clean + " --csv");
  ASSERT_EQ(csv.first, 0);
  const auto rows = Split(csv.second);
  ASSERT_EQ(rows.size(), 11u);
  EXPECT_EQ(rows[0],
            "part,design,fitted,difference_percent,uncertainty_percent,off,turns,implied_al,"
            "turn_change");
  for (const std::string& row : rows) EXPECT_EQ(Split(row, ',').size(), 9u) << row;
  EXPECT_NE(rows[1].find(",no,"), std::string::npos);
  // C49 off by about -5 %, with an uncertainty of a fraction of a percent
  // on this clean measurement.
  const auto c49 = Split(rows[4], ',');
  EXPECT_EQ(std::tie(c49[0], c49[5]), std::tuple("C49", "yes"));
  EXPECT_NEAR(std::stod(c49[3]), -5.0, 0.1);
  EXPECT_TRUE(std::stod(c49[4]) > 0.0 && std::stod(c49[4]) < 1.0) << c49[4];
  EXPECT_EQ(std::tie(rows[9], rows[10]), std::tuple("converged,,yes,,,,,,", "poor_fit,,no,,,,,,"));

  // --tolerance and --floor reach the fit: no part is off by 6 %, and
  // the points below -40 dB are left out.
  const CliRun loose = RunCli("fit " + f.clean + " --tolerance 6 --floor -40");
  ASSERT_EQ(loose.first, 0);
  EXPECT_EQ(Split(loose.second)[2], "Points used: 245; left out below -40.0 dB: 156");
  EXPECT_NE(loose.second.find("both 6 % and twice its uncertainty.\nNo part is off.\n"),
            std::string::npos);
  EXPECT_NE(loose.second.find("L2: 7 turns, implied AL 4.90 nH per turns squared: keep 7 turns"),
            std::string::npos);
}

// The input reflection alone, measured at 50 ohm with the output on the
// analyser's 50 ohm: compare refuses it, fit models that load and says so.
TEST(CliMeasurementTest, OnePortAtAnotherImpedanceAndPoorFitAreVerdicts) {
  const Files f;
  const std::string args = f.Args("in.s1p", testing::Synthesis{.twoPort = false});
  const std::string errors = (f.dir / "errors").string();
  EXPECT_EQ(RunCli("compare " + args, errors), CliRun(1, ""));
  EXPECT_NE(testing::ReadText(errors).find("measure both ports, or measure at 12.5 ohm"),
            std::string::npos);
  const CliRun fit = RunCli("fit " + args, errors);
  ASSERT_EQ(fit.first, 0) << testing::ReadText(errors);
  const auto lines = Split(fit.second);
  EXPECT_EQ(lines[1],
            "Measured: in.s1p, one-port, 401 points, measured at 50 ohm, fitted with the filter's "
            "output loaded by 50 ohm as on the analyser");
  const auto c49 = std::find_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.starts_with("C49"); });
  ASSERT_NE(c49, lines.end());
  EXPECT_NE(c49->find("-5.0 %"), std::string::npos) << fit.second;

  // A measurement that cannot decide is a verdict (exit 0); one that cannot
  // be fitted at all is refused (exit 1, in the tool's message table).
  const CliRun poor = RunCli("fit " + f.Args("stop.s2p", {.start = 15e6, .stop = 25e6}));
  EXPECT_EQ(poor.first, 0);
  EXPECT_NE(poor.second.find("POOR FIT: the measurement does not reach the passband."),
            std::string::npos);
}

}  // namespace
}  // namespace diruruzevuv::model
