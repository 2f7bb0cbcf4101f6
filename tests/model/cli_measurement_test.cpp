// The command-line tool's compare and fit commands, run as a user runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../files/cli_support.h"
#include "../files/test_support.h"
#include "files/design_file.h"
#include "measurement_support.h"

namespace diruruzevuv::model {
namespace {

using testing::CliRun, testing::RunCli;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1)
    lines.push_back(text.substr(start, at - start));
  return lines;
}

std::size_t Fields(const std::string& line) {
  return static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) + 1;
}

// A wizard design for 12.5 ohm with C49 5 % low, measured at 50 ohm.
struct Files {
  Files() {
    const DesignState design = testing::WizardDesign12();
    SilentNotifier quiet;
    files::WriteDesignFile(designFile, design, quiet);
    PartValues built = DesignParts(design);
    built[kPartC49] *= 0.95;
    testing::Synthesis synthesis;
    synthesis.noiseDb = -90.0;
    testing::WriteText(dir / "built.s2p", testing::MeasurementText(design, built, synthesis));
  }
  std::string Args(const std::string& options = "") const {
    return "\"" + designFile + "\" \"" + (dir / "built.s2p").string() + "\"" + options;
  }
  testing::TempDir dir;
  std::string designFile = (dir / "W12.TXT").string();
};

TEST(CliMeasurementTest, CompareTableAndCsv) {
  const Files f;
  const CliRun table = RunCli("compare " + f.Args());
  ASSERT_EQ(table.first, 0);
  const auto lines = Lines(table.second);
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[1],
            "Measured: built.s2p, two-port, 401 points, measured at 50 ohm, judged at 12.5 ohm");
  EXPECT_EQ(lines[2], "Points used: 401; left out below -70.0 dB: 0");
  EXPECT_EQ(lines[6].substr(0, 12), "2nd harmonic");

  const CliRun csv = RunCli("compare " + f.Args(" --csv --floor -40"));
  ASSERT_EQ(csv.first, 0);
  const auto rows = Lines(csv.second);
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0],
            "band,from_hz,to_hz,points,left_out,worst_difference_db,rms_difference_db,"
            "worst_measured_db,worst_computed_db,box_db,box_met");
  for (const std::string& row : rows) EXPECT_EQ(Fields(row), 11u) << row;
  EXPECT_EQ(rows[1].substr(0, 4), "all,");
  EXPECT_NE(rows[1], "all,,,401,0,,,,,,");  // the higher floor leaves points out
  EXPECT_EQ(rows[5].substr(0, 16), "lower_edge_loss,");
}

TEST(CliMeasurementTest, FitNamesThePartThatIsOff) {
  const Files f;
  const CliRun csv = RunCli("fit " + f.Args(" --csv"));
  ASSERT_EQ(csv.first, 0);
  const auto rows = Lines(csv.second);
  ASSERT_EQ(rows.size(), 11u);
  EXPECT_EQ(rows[0],
            "part,design,fitted,difference_percent,uncertainty_percent,off,turns,implied_al,"
            "turn_change");
  for (const std::string& row : rows) EXPECT_EQ(Fields(row), 9u) << row;
  EXPECT_EQ(rows[4].substr(0, 4), "C49,");
  EXPECT_NE(rows[4].find(",yes,"), std::string::npos);
  EXPECT_NE(rows[1].find(",no,"), std::string::npos);
  // C49's uncertainty: a fraction of a percent on this clean measurement,
  // beside its difference of about -5 %.
  std::vector<std::string> c49;
  for (std::size_t from = 0, at; from <= rows[4].size(); from = at + 1) {
    at = std::min(rows[4].find(',', from), rows[4].size());
    c49.push_back(rows[4].substr(from, at - from));
  }
  EXPECT_NEAR(std::stod(c49[3]), -5.0, 0.1);
  EXPECT_GT(std::stod(c49[4]), 0.0);
  EXPECT_LT(std::stod(c49[4]), 1.0);
  EXPECT_EQ(rows[9], "converged,,yes,,,,,,");
  EXPECT_EQ(rows[10], "poor_fit,,no,,,,,,");

  // --tolerance and --floor reach the fit: no part is off by 6 %, and
  // the points below -40 dB are left out.
  const CliRun loose = RunCli("fit " + f.Args(" --tolerance 6 --floor -40"));
  ASSERT_EQ(loose.first, 0);
  const auto lines = Lines(loose.second);
  EXPECT_EQ(lines[2], "Points used: 245; left out below -40.0 dB: 156");
  EXPECT_NE(loose.second.find("both 6 % and twice its uncertainty.\nNo part is off.\n"), std::string::npos);
  EXPECT_NE(loose.second.find("L2: 7 turns, implied AL 4.90 nH per turns squared: keep 7 turns"),
            std::string::npos);
}

// The input reflection alone, measured at 50 ohm with the output on the
// analyser's 50 ohm: compare refuses it, fit models that load and says so.
TEST(CliMeasurementTest, OnePortAtAnotherImpedanceIsFittedAsMeasured) {
  const Files f;
  const DesignState design = testing::WizardDesign12();
  PartValues built = DesignParts(design);
  built[kPartC49] *= 0.95;
  testing::Synthesis one;
  one.twoPort = false;
  testing::WriteText(f.dir / "in.s1p", testing::MeasurementText(design, built, one));
  const std::string args = "\"" + f.designFile + "\" \"" + (f.dir / "in.s1p").string() + "\"";
  const std::string errors = (f.dir / "errors").string();
  EXPECT_EQ(RunCli("compare " + args, errors), CliRun(1, ""));
  EXPECT_NE(testing::ReadText(errors).find("measure both ports, or measure at 12.5 ohm"),
            std::string::npos);
  const CliRun fit = RunCli("fit " + args, errors);
  ASSERT_EQ(fit.first, 0) << testing::ReadText(errors);
  const auto lines = Lines(fit.second);
  EXPECT_EQ(lines[1],
            "Measured: in.s1p, one-port, 401 points, measured at 50 ohm, fitted with the filter's "
            "output loaded by 50 ohm as on the analyser");
  const auto c49 = std::find_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.starts_with("C49"); });
  ASSERT_NE(c49, lines.end());
  EXPECT_NE(c49->find("-5.0 %"), std::string::npos) << fit.second;
}

// A measurement that cannot decide is a verdict (exit 0); one that cannot
// be fitted at all is refused (exit 1).
TEST(CliMeasurementTest, PoorFitIsAVerdictAndTooFewPointsAFailure) {
  const Files f;
  const DesignState design = testing::WizardDesign12();
  testing::Synthesis stopBand;
  stopBand.start = 15e6, stopBand.stop = 25e6;
  testing::WriteText(f.dir / "stop.s2p",
                     testing::MeasurementText(design, DesignParts(design), stopBand));
  const std::string stop = "\"" + f.designFile + "\" \"" + (f.dir / "stop.s2p").string() + "\"";
  const CliRun poor = RunCli("fit " + stop);
  EXPECT_EQ(poor.first, 0);
  EXPECT_NE(poor.second.find("POOR FIT: the measurement does not reach the passband."),
            std::string::npos);
  testing::Synthesis two;
  two.points = 2;
  testing::WriteText(f.dir / "two.s2p", testing::MeasurementText(design, DesignParts(design), two));
  const std::string errors = (f.dir / "errors").string();
  const std::string few = "\"" + f.designFile + "\" \"" + (f.dir / "two.s2p").string() + "\"";
  EXPECT_EQ(RunCli("fit " + few, errors), CliRun(1, ""));
  EXPECT_EQ(testing::ReadText(errors),
            "diruruzevuv-cli: too few measured points above the floor to fit the parts\n");
}

TEST(CliMeasurementTest, FailuresExitWithOneAndWrongUsageWithTwo) {
  const Files f;
  const std::string errors = (f.dir / "errors").string();
  testing::WriteText(f.dir / "bad.s2p", "# Hz S RI R 50\n1 0 0 0 0 0 0 0\n");
  const std::string bad = "\"" + f.designFile + "\" \"" + (f.dir / "bad.s2p").string() + "\"";
  for (const char* command : {"compare ", "fit "}) {
    EXPECT_EQ(RunCli(command + bad, errors), CliRun(1, ""));
    EXPECT_EQ(testing::ReadText(errors),
              "diruruzevuv-cli: bad.s2p, line 2: wrong count of numbers: 9 are needed for each "
              "frequency\n");
    EXPECT_EQ(RunCli(command + f.Args().replace(f.Args().find("built"), 5, "gone"), errors).first,
              1);
  }
  // Without S12 and S22 a 50 ohm file cannot be judged at 12.5 ohm.
  testing::WriteText(f.dir / "half.s2p",
                     "# MHz S RI R 50\n7 0.1 0 0.9 0 0 0 0 0\n8 0.2 0 0.8 0 0 0 0 0\n");
  const std::string half = "\"" + f.designFile + "\" \"" + (f.dir / "half.s2p").string() + "\"";
  EXPECT_EQ(RunCli("fit " + half, errors), CliRun(1, ""));
  EXPECT_NE(testing::ReadText(errors).find("half.s2p: S12 and S22 are zero"), std::string::npos);
  // An open filter is no filter, whatever the harmonic boxes say.
  testing::WriteText(f.dir / "dead.s2p",
                     "# MHz S RI R 50\n7 1 0 0 0 0 0 0.9 0\n7.2 1 0 0 0 0 0 0.9 0\n");
  EXPECT_EQ(RunCli("compare \"" + f.designFile + "\" \"" + (f.dir / "dead.s2p").string() + "\"",
                   errors),
            CliRun(1, ""));
  EXPECT_EQ(testing::ReadText(errors),
            "diruruzevuv-cli: dead.s2p: S21 stays below the floor (-70.0 dB) in the passband: "
            "not a working filter\n");
}

}  // namespace
}  // namespace diruruzevuv::model
