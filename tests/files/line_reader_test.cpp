#include "files/line_reader.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace diruruzevuv::files {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct NumberRow {
  const char* name;
  std::string text;
  double expected;
};
void PrintTo(const NumberRow& row, std::ostream* os) {
  *os << row.name;
}

class LeadingNumberTest : public ::testing::TestWithParam<NumberRow> {};

TEST_P(LeadingNumberTest, Reads) {
  const auto& row = GetParam();
  const double got = LeadingNumber(row.text);
  if (std::isinf(row.expected))
    EXPECT_EQ(got, row.expected);
  else
    EXPECT_DOUBLE_EQ(got, row.expected);
  EXPECT_FALSE(std::signbit(got) && got == 0.0) << "negative zero";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LeadingNumberTest,
    ::testing::Values(
        NumberRow{"Empty", "", 0.0}, NumberRow{"Integer", "50", 50.0},
        NumberRow{"LeadingBlank", " 50", 50.0}, NumberRow{"BlanksInside", " 1 4 0 0 ", 1400.0},
        NumberRow{"Tabs", "\t-12.5\t", -12.5}, NumberRow{"PlusSign", "+3", 3.0},
        NumberRow{"Exponent", "2E-10", 2e-10}, NumberRow{"LowerExponent", "3.6e-10", 3.6e-10},
        NumberRow{"DExponent", "1.4D+07", 1.4e7}, NumberRow{"LowerD", "1.4d7", 1.4e7},
        NumberRow{"SpacedEverything", "- 1 2 . 5 E 1", -125.0}, NumberRow{"PointFirst", ".5", 0.5},
        NumberRow{"PointLast", "5.", 5.0}, NumberRow{"NegativePointFirst", "-.25", -0.25},
        NumberRow{"Suffix", "200p", 200.0}, NumberRow{"NoNumber", "abc", 0.0},
        NumberRow{"LabelBeforeNumber", "C47 200p", 0.0},
        NumberRow{"CommaIsNoSeparator", "1,5", 1.0}, NumberRow{"SecondPoint", "1.2.3", 1.2},
        NumberRow{"BareExponent", "7E", 7.0}, NumberRow{"ExponentSignOnly", "7E+", 7.0},
        NumberRow{"ExponentLetterAfter", "7Ex", 7.0}, NumberRow{"DoubleSign", "--5", 0.0},
        NumberRow{"SignOnly", "-", 0.0}, NumberRow{"PointOnly", ".", 0.0},
        NumberRow{"NegativeZero", "-0", 0.0}, NumberRow{"Hex", "&H1F", 31.0},
        NumberRow{"HexLower", "&hff", 255.0}, NumberRow{"HexStopsAtG", "&H1G", 1.0},
        NumberRow{"Octal", "&O17", 15.0}, NumberRow{"OctalStopsAt8", "&o78", 7.0},
        NumberRow{"HexNoDigits", "&H", 0.0}, NumberRow{"AmpersandOther", "&X12", 0.0},
        NumberRow{"HexWithBlanks", " & H 1 0", 16.0}, NumberRow{"Overflow", "1E400", kInf},
        NumberRow{"NegativeOverflow", "-9.9e308", -kInf}, NumberRow{"Underflow", "1E-400", 0.0},
        NumberRow{"HugeExponentOfZero", "0E999999999999999999999", 0.0},
        NumberRow{"HugeNegativeExponent", "5E-999999999999999999999", 0.0},
        NumberRow{"Subnormal", "4.9406564584124654E-324", 4.9406564584124654E-324},
        NumberRow{"ManyLeadingZeros", std::string(500, '0') + "12", 12.0},
        NumberRow{"LongFraction", "0." + std::string(400, '0') + "1E402", 10.0},
        NumberRow{"LongHexOverflows", "&H" + std::string(300, 'F'), kInf},
        NumberRow{"LargestDouble", "1.7976931348623157E308", 1.7976931348623157E308}),
    [](const auto& p) { return std::string(p.param.name); });

struct IntRow {
  const char* name;
  double value;
  std::optional<std::int16_t> expected;
};
void PrintTo(const IntRow& row, std::ostream* os) {
  *os << row.name;
}

class ToStoredInt16Test : public ::testing::TestWithParam<IntRow> {};

TEST_P(ToStoredInt16Test, RoundsHalvesToEven) {
  EXPECT_EQ(ToStoredInt16(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToStoredInt16Test,
    ::testing::Values(IntRow{"TwelveAndHalf", 12.5, 12}, IntRow{"ThirteenAndHalf", 13.5, 14},
                      IntRow{"BelowHalf", 12.49, 12}, IntRow{"AboveHalf", 12.51, 13},
                      IntRow{"NegativeHalfEven", -12.5, -12}, IntRow{"NegativeHalfOdd", -13.5, -14},
                      IntRow{"Top", 32767.0, 32767}, IntRow{"TopRoundsOver", 32767.5, std::nullopt},
                      IntRow{"BottomHalf", -32768.5, -32768},
                      IntRow{"BelowBottom", -32768.6, std::nullopt},
                      IntRow{"Overflow", 99999.0, std::nullopt},
                      IntRow{"Infinity", kInf, std::nullopt},
                      IntRow{"NaN", std::numeric_limits<double>::quiet_NaN(), std::nullopt}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ToStoredFloatTest, RoundsToNearestAndKeepsFinite) {
  EXPECT_EQ(ToStoredFloat(0.1), 0.1f);
  EXPECT_EQ(ToStoredFloat(2e-10), 2e-10f);
  EXPECT_EQ(ToStoredFloat(1e39), FLT_MAX);
  EXPECT_EQ(ToStoredFloat(-kInf), -FLT_MAX);
  EXPECT_EQ(ToStoredFloat(kInf), FLT_MAX);
  EXPECT_EQ(ToStoredFloat(std::numeric_limits<double>::quiet_NaN()), 0.0f);
  EXPECT_EQ(ToStoredFloat(1e-50), 0.0f);
}

std::vector<std::string> AllValues(std::string_view text) {
  LineReader reader(text);
  std::vector<std::string> values;
  while (const auto value = reader.NextValueLine()) values.emplace_back(*value);
  return values;
}

struct LinesRow {
  const char* name;
  std::string text;
  std::vector<std::string> expected;
};
void PrintTo(const LinesRow& row, std::ostream* os) {
  *os << row.name;
}

class LineReaderTest : public ::testing::TestWithParam<LinesRow> {};

TEST_P(LineReaderTest, YieldsValueTexts) {
  EXPECT_EQ(AllValues(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LineReaderTest,
    ::testing::Values(
        LinesRow{"CrLf", "a: 1\r\nb: 2\r\n", {" 1", " 2"}},
        LinesRow{"LfOnly", "a: 1\nb: 2\n", {" 1", " 2"}},
        LinesRow{"LoneCr", "a: 1\rb: 2", {" 1", " 2"}},
        LinesRow{"NoFinalLineEnd", "a: 1\r\nb: 2", {" 1", " 2"}},
        LinesRow{"CommentsAndBlanks", "\r\n* note: 9\r\na: 1\r\n\r\n\n*\r\nb: 2\r\n", {" 1", " 2"}},
        LinesRow{"NoColonGivesWholeLine", "C47 200p\r\n", {"C47 200p"}},
        LinesRow{"FirstColonOnly", "C:\\Designs\\40m.TXT\r\n", {"\\Designs\\40m.TXT"}},
        LinesRow{"BlankLineIsAValueLine", " \r\n", {" "}},
        LinesRow{"IndentedStarIsNoComment", " * x\r\n", {" * x"}},
        LinesRow{"ColonOnly", ":\r\n", {""}}, LinesRow{"Empty", "", {}},
        LinesRow{"OnlyComments", "*a\r\n*b", {}}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace diruruzevuv::files
