#include "model/circuit/harmonics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <tuple>

#include "../../files/cli_support.h"
#include "../../files/test_support.h"
#include "files/rules_file.h"

namespace diruruzevuv::model {
namespace {

// The shipped rules, worked by hand at powers where each one's cap, floor
// or relative figure decides.
TEST(HarmonicsRulesTest, ShippedRulesAllowWhatTheyShould) {
  std::string unreadable;
  const RuleBook book = files::ReadRules({"/nonexistent", DIRU_SOURCE_DATA_DIR}, unreadable);
  ASSERT_EQ(std::tuple(unreadable, book.problems.size()), std::tuple("", 0u));
  const std::tuple<const char*, double, double, double> rows[] = {
      {"itu-hf", 14e6, 100.0, 1e-3},        // 50 dB
      {"ITU-HF", 14e6, 1.0, 50e-6},         // the floor, not 10 uW
      {"ITU-VHF", 50e6, 1000.0, 1e-4},      // 70 dB
      {"ITU-VHF", 50e6, 100.0, 50e-6},      // the floor, not 10 uW
      {"US-HF", 28e6, 10.0, 5.0118723e-4},  // 43 dB, neither cap nor floor
      {"US-VHF", 50e6, 100.0, 1e-4},        // 60 dB above 25 W
      {"US-VHF", 50e6, 25.0, 25e-6},        // the cap, not 2.5 mW
      {"US-VHF", 50e6, 0.2, 20e-6},         // 40 dB between cap and floor
      {"US-VHF", 50e6, 0.05, 10e-6},        // the floor, not 5 uW
      {"AT", 7e6, 10.0, 1e-3},              // 40 dB
      {"AT", 7e6, 0.001, 0.25e-6},          // the floor, not 0.1 uW
  };
  for (const auto& [name, hz, watts, allowed] : rows) {
    const RuleAnswer answer = ApplyRule(book, RuleNamed(book, name), hz, hz, watts);
    EXPECT_NEAR(answer.allowedWatts / allowed, 1.0, 1e-7) << name << " " << watts;
  }
  EXPECT_EQ(FirstRuleFor(book, 50e6, 52e6, 10.0), "ITU-VHF");
}

TEST(HarmonicsRulesTest, BadRowsAreNamedAndAWorkingCopyReplacesARule) {
  const RuleBook read = files::ReadRuleRows(
      "* comment\r\nA, 0, 30, 0, -, 40, -, -, x, y\r\nB, 0, 30, 0, -, 40, -\r\n"
      "C, 3, 2, 0, -, 40, -, -, s\nD, 0, -, 0, -, -3, -, -, s\rE, 0, -, 0, -, 40, -, x, s\n",
      "r.TXT");
  ASSERT_EQ(std::tuple(read.rows.size(), read.rows[0].source), std::tuple(1u, "x, y"));
  EXPECT_EQ(read.problems,
            (std::vector<std::string>{
                "r.TXT line 3: 9 comma-separated fields expected, found 7",
                "r.TXT line 4: the fundamental's range is empty",
                "r.TXT line 5: the relative figure is not a number of 0 or more: '-3'",
                "r.TXT line 6: the floor is not a number of 0 or more or -: 'x'"}));
  testing::TempDir work;
  testing::WriteText(work / files::kRulesFileName, "us-hf, 0, 30, 0, -, 50, -, -, mine\r\n");
  std::string unreadable;
  const RuleBook both = files::ReadRules({work.path(), DIRU_SOURCE_DATA_DIR}, unreadable);
  EXPECT_EQ(RuleNamed(both, "US-HF"), "us-hf");
  EXPECT_NEAR(ApplyRule(both, "us-hf", 14e6, 14.35e6, 10.0).allowedWatts, 1e-4, 1e-12);
}

// One harmonic against the ladder's chain matrix written out by hand,
// with the losses the sweep gives its parts.
TEST(HarmonicsFiguresTest, RelativeTransmissionFollowsTheLadder) {
  DesignState d = testing::Design();
  d.InductorQ = 100.0f, d.CapacitorQ = 500.0f, d.InputTermination = 50.0f;
  UpdateInductances(d);
  using C = std::complex<double>;
  const auto s21Db = [&d](double f) {
    const double w = 2.0 * static_cast<double>(kPi) * f;
    const auto shunt = [&](double c) { return C(w * c / d.CapacitorQ, w * c); };
    const auto series = [&](double l) {
      return C(2.0 * static_cast<double>(kPi) * d.LowerEdge * l / d.InductorQ, w * l);
    };
    const C y92 = shunt(d.C92) + 1e-11, z1 = 1.0 / (1.0 / series(d.L1) + y92);
    C a = 1, b = 0, c = shunt(d.C47), dd = 1;  // shunt C47, then each section
    const auto then = [&](C a2, C b2, C c2, C d2) {
      std::tie(a, b, c, dd) =
          std::tuple(a * a2 + b * c2, a * b2 + b * d2, c * a2 + dd * c2, c * b2 + dd * d2);
    };
    then(1, series(d.L2), 0, 1), then(1, 0, shunt(d.C48), 1), then(1, z1, 0, 1);
    then(1, 0, shunt(d.C49), 1);
    const double r = d.InputTermination;
    return 20.0 * std::log10(std::abs(2.0 / (a + b / r + c * r + dd)));
  };
  double worst = -1e9;
  for (int i = 0; i <= 20; ++i) {
    const double f = d.LowerEdge + (d.UpperEdge - d.LowerEdge) * i / 20.0;
    worst = std::max(worst, s21Db(3.0 * f) - s21Db(f));
  }
  const HarmonicFigure got = WorstRelative(DesignTransmission(d), d.LowerEdge, d.UpperEdge, 3);
  EXPECT_NEAR(got.relativeDb.value_or(0.0), worst, 1e-6);
}

// A measurement interpolated in log-frequency, bounded near its floor,
// and not reaching the 3rd harmonic; a bound that does not meet fails.
TEST(HarmonicsFiguresTest, FloorLimitedAndNotMeasured) {
  MeasuredNetwork m;
  m.ports = 2;
  m.frequency = {13e6, 15e6, 27e6, 30e6, 40e6};
  for (const double db : {0.0, 0.0, -50.0, -80.0, -90.0})
    m.s.push_back({0.0, std::pow(10.0, db / 20.0), std::pow(10.0, db / 20.0), 0.0});
  const HarmonicFigure exact = WorstRelative(MeasuredTransmission(m, -70.0), 14e6, 14.35e6, 2);
  EXPECT_NEAR(*exact.relativeDb, -50.0 - 30.0 * std::log(28.0 / 27.0) / std::log(30.0 / 27.0),
              1e-9);
  EXPECT_FALSE(exact.floorLimited);
  // Within 3 dB of the floor the same figure is a bound.
  EXPECT_TRUE(WorstRelative(MeasuredTransmission(m, -62.0), 14e6, 14.35e6, 2).floorLimited);
  DesignState d = testing::Design();
  const RuleBook book{{{.name = "R", .relativeDb = 60.0}}};
  std::string problem;
  const HarmonicsReport report =
      JudgeHarmonics(d, {{"measured", MeasuredTransmission(m, -55.0)}}, book,
                     {.rule = "R", .watts = 10.0, .paDbc = {{2, 0.0}}, .highest = 3}, problem);
  ASSERT_EQ(report.rows.size(), 2u);
  EXPECT_EQ(std::tuple(*report.rows[0].figure.relativeDb, report.rows[0].figure.floorLimited,
                       report.rows[1].Measured(), report.AllMeet()),
            std::tuple(-55.0, true, false, false));
  const auto lines = HarmonicsLines(report);
  EXPECT_EQ(lines.back(),
            "measured, 2nd harmonic: at most -55.0 dBc at the antenna, rule allows -60.0 dBc: "
            "not shown to meet (5.0 dB short)");
}

TEST(HarmonicsCommandTest, ExitStatusesAndCsv) {
  const std::string preset = std::string("\"") + DIRU_SOURCE_DATA_DIR + "/20.TXT\" ";
  const std::tuple<std::string, int> rows[] = {
      {preset + "--pa 2=-30,3=-15", 0}, {preset + "--pa 2=-5", 3},  {preset + "--rule itu-vhf", 1},
      {"/nonexistent.TXT", 1},          {preset + "--pa 1=-10", 2},
  };
  for (const auto& [arguments, status] : rows)
    EXPECT_EQ(testing::RunCli("harmonics " + arguments).first, status) << arguments;
  testing::TempDir work;  // a working copy of the rules that cannot be read
  std::filesystem::create_directory(work / files::kRulesFileName);
  EXPECT_EQ(testing::RunShell("cd " + work.path().string() + " && \"" + DIRU_CLI_PATH +
                              "\" harmonics " + preset)
                .first,
            1);
  const auto csv = testing::RunCli("harmonics " + preset + "--csv --pa 2=-30");
  EXPECT_EQ(csv.second.substr(0, csv.second.find('\n', csv.second.find('\n') + 1) + 1),
            "harmonic,low_hz,high_hz,filter,relative_db,pa_dbc,spur_dbc,spur_watts,allowed_dbc,"
            "allowed_watts,highest_pa_dbc,margin_db,meets,floor_limited\n"
            "2,2.8e+07,2.87e+07,design,-42.7374,-30,-72.7374,5.32423e-07,-50,0.0001,-7.26256,"
            "22.7374,yes,no\n");
}

}  // namespace
}  // namespace diruruzevuv::model
