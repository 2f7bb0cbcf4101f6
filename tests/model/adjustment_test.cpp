#include "model/adjustment.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "notation/notation.h"

namespace diruruzevuv::model {
namespace {

struct TurnsRow {
  const char* name;
  const char* text;
  int turns;
  bool reset;
};

void PrintTo(const TurnsRow& row, std::ostream* os) {
  *os << row.name;
}

class TurnsBoxTest : public ::testing::TestWithParam<TurnsRow> {};

TEST_P(TurnsBoxTest, Reads) {
  const TurnsRow& row = GetParam();
  const TurnsBoxReading reading = ReadTurnsBox(row.text);
  EXPECT_EQ(reading.turns, row.turns);
  EXPECT_EQ(reading.resetBoxToOne, row.reset);
}

const TurnsRow kTurnsRows[] = {
    {"Plain", "12", 12, false},
    {"SignedForm", " 12", 12, false},
    {"HalfGoesToEvenDown", "14.5", 14, false},
    {"HalfGoesToEvenUp", "15.5", 16, false},
    {"AboveHalf", "14.51", 15, false},
    {"TrailingText", "12 turns", 12, false},
    {"BlanksInsideIgnored", "1 2", 12, false},
    {"Exponent", "1E1", 10, false},
    {"DExponent", "1d1", 10, false},
    {"LoneExponentLetter", "3E", 3, false},
    {"Hexadecimal", "&H10", 16, false},
    {"Empty", "", 1, true},
    {"Word", "abc", 1, true},
    {"Zero", "0", 1, true},
    {"HalfRoundsToZero", "0.5", 1, true},
    {"OneAndAHalf", "1.5", 2, false},
    {"Negative", "-5", 1, true},
    {"HugeNegative", "-99999", 1, true},
    {"BeyondSixteenBits", "40000", 32767, false},
    {"Enormous", "1E300", 32767, false},
    {"LargestCount", "32767", 32767, false},
};

INSTANTIATE_TEST_SUITE_P(Rows, TurnsBoxTest, ::testing::ValuesIn(kTurnsRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(AdjustmentTest, StepUpThenDownReturnsToTheDisplayedValue) {
  DesignState design;
  design.C48 = 330e-12f;
  ValueBoxes boxes;
  WriteValueBoxes(boxes, design);
  EXPECT_EQ(boxes.c48, "330pF");
  design.C48 = StepCapacitorUp(design.C48);
  WriteValueBoxes(boxes, design);
  EXPECT_EQ(boxes.c48, "333.3pF");
  EXPECT_EQ(design.C48, notation::ParseValue("333.3pF"));
  design.C48 = StepCapacitorDown(design.C48);
  WriteValueBoxes(boxes, design);
  EXPECT_EQ(boxes.c48, "330pF");
  EXPECT_EQ(design.C48, notation::ParseValue("330pF"));
}

TEST(AdjustmentTest, StepDownDividesRatherThanMultiplies) {
  EXPECT_EQ(StepCapacitorDown(1e-9f), static_cast<float>(1e-9f / 1.01));
  EXPECT_NE(StepCapacitorDown(1e-9f), static_cast<float>(1e-9f * 0.99));
  EXPECT_EQ(StepCapacitorUp(1e-9f), static_cast<float>(1e-9f * 1.01));
}

TEST(AdjustmentTest, WordInCapacitorBoxGivesZero) {
  float c = 200e-12f;
  CapacitorTextChanged("abc", c);
  EXPECT_EQ(c, 0.0f);
  CapacitorTextChanged("-5p", c);
  EXPECT_EQ(c, -5e-12f);  // taken as typed
}

TEST(AdjustmentTest, AlBelowOneIsRaisedToOne) {
  DesignState design;
  design.TurnsL1 = 12;
  design.TurnsL2 = 14;
  AlTextChanged("0.5", design);
  EXPECT_EQ(design.ToroidAL, 1.0f);
  EXPECT_EQ(design.L1, static_cast<float>(1e-9 * 144));
  const AlBoxReading reading = ReadAlBox("0.5");
  EXPECT_EQ(reading.al, 1.0f);
  EXPECT_TRUE(reading.resetBoxToOne);
  EXPECT_FALSE(ReadAlBox("  3").resetBoxToOne);
  EXPECT_EQ(ReadAlBox("  3").al, 3.0f);
  AlTextChanged("", design);
  EXPECT_EQ(design.ToroidAL, 1.0f);
}

TEST(AdjustmentTest, ValueBoxesReadBackOnlyChangedTexts) {
  DesignState design;
  ApplyDefaultDesign(design);
  ValueBoxes boxes;
  EXPECT_TRUE(WriteValueBoxes(boxes, design));
  EXPECT_EQ(boxes.al, "  3");
  EXPECT_EQ(boxes.c47, "200pF");
  EXPECT_FALSE(WriteValueBoxes(boxes, design));  // a second redraw changes nothing
  design.C92 = 5e-15f;                           // below what the box can show
  EXPECT_TRUE(WriteValueBoxes(boxes, design));
  EXPECT_EQ(boxes.c92, "");
  EXPECT_EQ(design.C92, 0.0f);
  design.ToroidAL = 0.5f;
  WriteValueBoxes(boxes, design);
  EXPECT_EQ(design.ToroidAL, 1.0f);  // read back through the AL rule
}

}  // namespace
}  // namespace diruruzevuv::model
