#include "model/band_preset.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../files/test_support.h"

namespace diruruzevuv::model {
namespace {

using testing::CrLf;
using testing::RecordingNotifier;
using testing::TempDir;
using testing::WriteText;

std::vector<std::string> PresetLines() {
  return {"40.TXT",
          "shipped",
          "",
          "C47: 3.9E-10",
          "L2 turns: 19",
          "C48: 8.2E-10",
          "L1 turns: 16",
          "C92: 1.5E-10",
          "C49: 4.7E-10",
          "Lower bandedge: 7000000",
          "Upper bandedge: 7300000",
          "Analysis start freq: 2400000",
          "Analysis stop freq: 2.6E+07",
          "Toroid AL: 4.9",
          "Input termination: 50",
          "Band: 40"};
}

class BandPresetTest : public ::testing::Test {
 protected:
  BandPresetTest() {
    ApplyDefaultDesign(design);
    design.InductorQ = 200.0f;
  }
  void Select(std::int16_t band) { SelectBand(band, design, {work.path(), data.path()}, notifier); }

  TempDir work;
  TempDir data;
  DesignState design;
  RecordingNotifier notifier;
};

TEST_F(BandPresetTest, ReadsTheShippedFileWhenTheWorkingFolderHasNone) {
  WriteText(data / "40.TXT", CrLf(PresetLines()));
  Select(40);
  EXPECT_EQ(design.CurrentFile, "40.TXT");
  EXPECT_EQ(design.Band, 40);
  EXPECT_EQ(design.C47, 3.9e-10f);
  EXPECT_EQ(design.TurnsL2, 19);
  EXPECT_EQ(design.ToroidAL, 4.9f);
  EXPECT_EQ(design.LoadTermination, 50.0f);
  EXPECT_FLOAT_EQ(design.L2, 4.9e-9f * 19 * 19);
  EXPECT_EQ(design.InductorQ, 200.0f);
  EXPECT_TRUE(notifier.events.empty());
}

TEST_F(BandPresetTest, WorkingFolderCopyWins) {
  WriteText(data / "40.TXT", CrLf(PresetLines()));
  auto mine = PresetLines();
  mine[3] = "C47: 4.7E-10";
  WriteText(work / "40.TXT", CrLf(mine));
  Select(40);
  EXPECT_EQ(design.C47, 4.7e-10f);
}

TEST_F(BandPresetTest, MissingFileChangesNothingButBandAndName) {
  Select(40);
  EXPECT_EQ(notifier.events, std::vector<std::string>{"The file '40.TXT' was not found."});
  EXPECT_EQ(design.CurrentFile, "40.TXT");
  EXPECT_EQ(design.Band, 40);
  EXPECT_EQ(design.C47, 2e-10f);  // no fallback design
  EXPECT_EQ(design.TurnsL2, 14);
  EXPECT_FLOAT_EQ(design.L2, 5.88e-7f);
}

TEST_F(BandPresetTest, OverflowKeepsWhatWasReadAndTellsTheUser) {
  auto lines = PresetLines();
  lines[6] = "L1 turns: 99999";
  WriteText(data / "40.TXT", CrLf(lines));
  Select(40);
  EXPECT_EQ(notifier.events, std::vector<std::string>{"The file '40.TXT' was not found."});
  EXPECT_EQ(design.C47, 3.9e-10f);
  EXPECT_EQ(design.TurnsL2, 19);
  EXPECT_EQ(design.TurnsL1, 12);
  EXPECT_FLOAT_EQ(design.L2, 3e-9f * 19 * 19);  // AL not reached: still 3
}

TEST_F(BandPresetTest, BandLineReplacesTheButtonsBand) {
  WriteText(data / "20.TXT", CrLf(PresetLines()));
  Select(20);
  EXPECT_EQ(design.Band, 40);
  EXPECT_EQ(design.CurrentFile, "20.TXT");
}

TEST_F(BandPresetTest, EndsAfterC49) {
  auto lines = PresetLines();
  lines.resize(9);
  WriteText(data / "40.TXT", CrLf(lines));
  Select(40);
  EXPECT_TRUE(notifier.events.empty());
  EXPECT_EQ(design.C49, 4.7e-10f);
  EXPECT_EQ(design.TurnsL1, 16);
  EXPECT_EQ(design.LowerEdge, 14000000.0f);
  EXPECT_EQ(design.ToroidAL, 3.0f);
  EXPECT_FLOAT_EQ(design.L1, 3e-9f * 16 * 16);
}

struct ValueRow {
  const char* name;
  std::size_t line;
  std::string text;
  float al;
  std::int16_t turnsL2;
};
void PrintTo(const ValueRow& row, std::ostream* os) {
  *os << row.name;
}

class BandPresetValueTest : public ::testing::TestWithParam<ValueRow> {};

TEST_P(BandPresetValueTest, ConvertsLikeTheDesignFile) {
  TempDir data;
  auto lines = PresetLines();
  lines[GetParam().line] = GetParam().text;
  WriteText(data / "40.TXT", CrLf(lines));
  DesignState design;
  RecordingNotifier notifier;
  LoadBandPreset(40, design, {data.path() / "none", data.path()}, notifier);
  EXPECT_EQ(design.ToroidAL, GetParam().al);
  EXPECT_EQ(design.TurnsL2, GetParam().turnsL2);
  EXPECT_FLOAT_EQ(design.L2, GetParam().al * 1e-9f * GetParam().turnsL2 * GetParam().turnsL2);
  EXPECT_TRUE(notifier.events.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BandPresetValueTest,
    ::testing::Values(ValueRow{"SmallAl", 13, "Toroid AL: 0.5", 1.0f, 19},
                      ValueRow{"AlWithoutNumber", 13, "Toroid AL: n/a", 1.0f, 19},
                      ValueRow{"HalfTurnsDown", 4, "L2 turns: 12.5", 4.9f, 12},
                      ValueRow{"HalfTurnsUp", 4, "L2 turns: 13.5", 4.9f, 14},
                      ValueRow{"DefaultsTitleIsNotRefused", 0, "Defaults", 4.9f, 19}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(BandPresetCommentsTest, CommentsAndBlankLinesReadTheSame) {
  TempDir data;
  std::vector<std::string> lines{"* comment first", ""};
  for (const auto& line : PresetLines()) {
    lines.push_back(line);
    lines.push_back("*: 77");
    lines.push_back("");
  }
  WriteText(data / "40.TXT", CrLf(lines));
  DesignState plain;
  DesignState commented;
  RecordingNotifier notifier;
  WriteText(data / "41.TXT", CrLf(PresetLines()));
  LoadBandPreset(40, commented, {data.path(), data.path()}, notifier);
  LoadBandPreset(41, plain, {data.path(), data.path()}, notifier);
  plain.CurrentFile = commented.CurrentFile;
  EXPECT_EQ(commented.C47, plain.C47);
  EXPECT_EQ(commented.TurnsL1, plain.TurnsL1);
  EXPECT_EQ(commented.Band, plain.Band);
  EXPECT_EQ(commented.InputTermination, plain.InputTermination);
  EXPECT_EQ(commented.L1, plain.L1);
  EXPECT_TRUE(notifier.events.empty());
}

}  // namespace
}  // namespace diruruzevuv::model
