#include "model/wizard.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

#include "notation/notation.h"

namespace diruruzevuv::model {
namespace {

struct Synthesis {
  DesignState design;
  GlobalDefaults defaults;
  WizardOutcome outcome;
};

Synthesis Synthesise(const std::string& edge, const std::string& al, const std::string& input) {
  Synthesis s;
  s.outcome = WizardPreview(WizardEntries{edge, al, input}, s.design, s.defaults);
  return s;
}

TEST(WizardTest, InitialEntriesGiveTheEightyMetreDesign) {
  const Synthesis s = Synthesise("3500k", "3", "50");
  ASSERT_TRUE(s.outcome.accepted) << s.outcome.message;
  EXPECT_EQ(s.outcome.normalised.lowerEdge, " 3.5M");
  EXPECT_EQ(s.outcome.normalised.toroid, "3 ");
  EXPECT_EQ(s.outcome.normalised.input, "50 ");
  const std::array<std::string, 8> expected = {
      "956.829pF", "2.09uH target",    "26  (result: 2.028uH)",
      "1667.14pF", "1.53086uH target", "23  (result: 1.587uH)",
      "328pF",     "758.086pF"};
  EXPECT_EQ(s.outcome.results, expected);
  EXPECT_EQ(s.design.LowerEdge, 3.5e6f);
  EXPECT_EQ(s.design.UpperEdge, 3.85e6f);
  EXPECT_EQ(s.design.SweepStart, 1.75e6f);
  EXPECT_EQ(s.design.SweepStop, 1.75e7f);
  EXPECT_EQ(s.design.TurnsL2, 26);
  EXPECT_EQ(s.design.TurnsL1, 23);
  EXPECT_EQ(s.design.ToroidAL, 3.0f);
  EXPECT_EQ(s.design.InputTermination, 50.0f);
  EXPECT_EQ(s.design.LoadTermination, 50.0f);
  EXPECT_EQ(s.design.InductorQ, 200.0f);
  EXPECT_EQ(s.design.CapacitorQ, 2000.0f);
  EXPECT_EQ(s.defaults.BandwidthMultiplier, 1.01f);
  EXPECT_EQ(s.defaults.PassbandBoxDb, -20.0f);
  EXPECT_EQ(s.defaults.SecondHarmonicBoxDb, -35.0f);
  EXPECT_EQ(s.defaults.ThirdHarmonicBoxDb, -35.0f);
  EXPECT_EQ(s.defaults.GridDivisions, 6);
  EXPECT_EQ(s.defaults.PlotFloorDb, -60.0f);
  // The design holds the whole-turn inductances, never the targets.
  EXPECT_EQ(s.design.L2, static_cast<float>(3.0 * 1e-9 * 26 * 26));
  EXPECT_NE(s.design.L2, s.outcome.targetL2);
}

TEST(WizardTest, FortyMetreRows) {
  const Synthesis s = Synthesise("7M", "3", "50");
  ASSERT_TRUE(s.outcome.accepted);
  EXPECT_EQ(s.outcome.results[4], "765.429nH target");
  EXPECT_EQ(s.outcome.results[5], "16  (result: 768nH)");
  EXPECT_EQ(s.outcome.results[2], "19  (result: 1.083uH)");
}

TEST(WizardTest, LowTerminationScalesCapacitorsUpAndInductorsDown) {
  const Synthesis fifty = Synthesise("7M", "3", "50");
  const Synthesis low = Synthesise("7M", "3", "12.5");
  ASSERT_TRUE(low.outcome.accepted);
  EXPECT_EQ(low.design.C47, 4.0f * fifty.design.C47);
  EXPECT_EQ(low.design.C48, 4.0f * fifty.design.C48);
  EXPECT_EQ(low.design.C92, 4.0f * fifty.design.C92);
  EXPECT_EQ(low.design.C49, 4.0f * fifty.design.C49);
  EXPECT_EQ(low.outcome.targetL2, fifty.outcome.targetL2 / 4.0f);
  EXPECT_EQ(low.outcome.targetL1, fifty.outcome.targetL1 / 4.0f);
  EXPECT_EQ(low.design.InputTermination, 12.5f);
  EXPECT_EQ(low.design.LoadTermination, 12.5f);
}

TEST(WizardTest, HalfTurnRoundsUp) {
  // AL 1e9 makes AL x 1e-9 exactly 1, so the turns are the root of the target.
  EXPECT_EQ(WholeTurns(12.25f, 1e9f), 4.0);  // 3.5 turns
  EXPECT_EQ(WholeTurns(12.24f, 1e9f), 3.0);  // just below
  EXPECT_EQ(WholeTurns(0.2f, 1e9f), 0.0);    // under half a turn
}

TEST(WizardTest, LargeAlGivesZeroTurnsAndEmptyResult) {
  const Synthesis s = Synthesise("3500k", "1E10", "50");
  ASSERT_TRUE(s.outcome.accepted) << s.outcome.message;
  EXPECT_EQ(s.design.TurnsL2, 0);
  EXPECT_EQ(s.design.L2, 0.0f);
  EXPECT_EQ(s.outcome.results[2], "0  (result: )");
  EXPECT_EQ(s.outcome.results[5], "0  (result: )");
}

TEST(WizardTest, TypedEdgeIsReadBackFromItsNormalisedText) {
  const Synthesis s = Synthesise("3512345", "3", "50");
  ASSERT_TRUE(s.outcome.accepted);
  EXPECT_EQ(s.outcome.normalised.lowerEdge, " 3.5123M");
  EXPECT_EQ(s.design.LowerEdge, notation::ParseValue(" 3.5123M"));
  EXPECT_EQ(s.design.UpperEdge, static_cast<float>(1.1 * s.design.LowerEdge));
  EXPECT_EQ(s.design.C47, static_cast<float>(0.0033489 / (double{s.design.LowerEdge} * 1.0)));
}

TEST(WizardTest, AlBelowOneIsUsedAsEntered) {
  const Synthesis s = Synthesise("3500k", "0.5", "50");
  ASSERT_TRUE(s.outcome.accepted);
  EXPECT_EQ(s.design.ToroidAL, 0.5f);
  EXPECT_EQ(s.design.TurnsL2, 65);  // sqrt(2.09uH / 0.5nH) = 64.7
}

TEST(WizardTest, PreviewTwiceGivesTheSameResult) {
  Synthesis s = Synthesise("14M", "4", "50");
  const DesignState first = s.design;
  const WizardOutcome again = WizardPreview(WizardEntries{"14M", "4", "50"}, s.design, s.defaults);
  EXPECT_EQ(again.results, s.outcome.results);
  EXPECT_EQ(s.design.C47, first.C47);
  EXPECT_EQ(s.design.TurnsL1, first.TurnsL1);
}

TEST(WizardTest, LowerEdgeChangeMovesBothEdges) {
  DesignState design;
  LowerEdgeChanged("7M", design);
  EXPECT_EQ(design.LowerEdge, 7e6f);
  EXPECT_EQ(design.UpperEdge, 7.7e6f);
  LowerEdgeChanged("", design);
  EXPECT_EQ(design.LowerEdge, 0.0f);
  EXPECT_EQ(design.UpperEdge, 0.0f);
}

struct RefusalRow {
  const char* name;
  const char* edge;
  const char* al;
  const char* input;
  WizardEntry wrong;
};

void PrintTo(const RefusalRow& row, std::ostream* os) {
  *os << row.name;
}

class WizardRefusalTest : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(WizardRefusalTest, RefusesWithoutTouchingTheDesign) {
  const RefusalRow& row = GetParam();
  DesignState design;
  ApplyDefaultDesign(design);
  design.InductorQ = 123.0f;
  GlobalDefaults defaults;
  defaults.GridDivisions = 4;
  const DesignState before = design;
  const WizardOutcome outcome =
      WizardPreview(WizardEntries{row.edge, row.al, row.input}, design, defaults);
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.wrongEntry, row.wrong);
  EXPECT_FALSE(outcome.message.empty());
  EXPECT_EQ(design.C47, before.C47);
  EXPECT_EQ(design.LowerEdge, before.LowerEdge);
  EXPECT_EQ(design.UpperEdge, before.UpperEdge);
  EXPECT_EQ(design.TurnsL2, before.TurnsL2);
  EXPECT_EQ(design.ToroidAL, before.ToroidAL);
  EXPECT_EQ(design.InputTermination, before.InputTermination);
  EXPECT_EQ(design.InductorQ, 123.0f);
  EXPECT_EQ(defaults.GridDivisions, 4);
}

const RefusalRow kRefusals[] = {
    {"ZeroEdge", "0", "3", "50", WizardEntry::LowerEdge},
    {"EmptyEdge", "", "3", "50", WizardEntry::LowerEdge},
    {"WordEdge", "abc", "3", "50", WizardEntry::LowerEdge},
    {"NegativeEdge", "-7M", "3", "50", WizardEntry::LowerEdge},
    {"ZeroAl", "7M", "0", "50", WizardEntry::Toroid},
    {"NegativeAl", "7M", "-3", "50", WizardEntry::Toroid},
    {"EmptyAl", "7M", "", "50", WizardEntry::Toroid},
    {"TinyAlOverflowsTurns", "7M", "1E-9", "50", WizardEntry::Toroid},
    {"ZeroTermination", "7M", "3", "0", WizardEntry::Input},
    {"NegativeTermination", "7M", "3", "-50", WizardEntry::Input},
    {"WordTermination", "7M", "3", "ohms", WizardEntry::Input},
};

INSTANTIATE_TEST_SUITE_P(Rows, WizardRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const auto& row) { return std::string(row.param.name); });

// The command-line tool runs the same synthesis.
std::string RunCli(const std::string& arguments, int& status) {
  const std::string command = std::string(DIRU_CLI_PATH) + " " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  status = WEXITSTATUS(pclose(pipe));
  return out;
}

TEST(WizardCliTest, PrintsRowsAndWritesTheDesign) {
  const auto path = std::filesystem::temp_directory_path() / "diru_wizard_cli_test.TXT";
  std::filesystem::remove(path);
  int status = -1;
  const std::string out = RunCli("wizard 3500k 3 50 " + path.string(), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out,
            "C47: 956.829pF\nL2: 2.09uH target\nL2 turns: 26  (result: 2.028uH)\n"
            "C48: 1667.14pF\nL1: 1.53086uH target\nL1 turns: 23  (result: 1.587uH)\n"
            "C92: 328pF\nC49: 758.086pF\n");
  EXPECT_TRUE(std::filesystem::exists(path));
  std::filesystem::remove(path);
}

TEST(WizardCliTest, RefusalWritesNoFile) {
  const auto path = std::filesystem::temp_directory_path() / "diru_wizard_cli_refused.TXT";
  std::filesystem::remove(path);
  int status = -1;
  const std::string out = RunCli("wizard 3500k 0 50 " + path.string(), status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, "");
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace diruruzevuv::model
