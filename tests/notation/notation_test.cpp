#include "notation/notation.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace diruruzevuv::notation {
namespace {

struct FormatRow {
  const char* name;
  float value;
  const char* expected;
};

std::string RowName(const testing::TestParamInfo<FormatRow>& info) {
  return info.param.name;
}

// ---------------------------------------------------------------------------
// The number form of files and of the analysis directive.

class ShortestFloatTextTest : public testing::TestWithParam<FormatRow> {};

TEST_P(ShortestFloatTextTest, Writes) {
  EXPECT_EQ(ShortestFloatText(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShortestFloatTextTest,
    testing::Values(
        FormatRow{"Three", 3.0f, "3"}, FormatRow{"Fifty", 50.0f, "50"},
        FormatRow{"FiveMillion", 5000000.0f, "5000000"},
        FormatRow{"FourteenMillion", 14000000.0f, "1.4E+07"},
        FormatRow{"FiftyMillion", 50000000.0f, "5E+07"},
        FormatRow{"TwoTenthsNano", 2e-10f, "2E-10"},
        FormatRow{"ThreePointSix", 3.6e-10f, "3.6E-10"}, FormatRow{"Half", 0.5f, "0.5"},
        FormatRow{"Negative", -3.0f, "-3"}, FormatRow{"Zero", 0.0f, "0"},
        FormatRow{"NegativeZero", -0.0f, "0"}, FormatRow{"TenThousandth", 1e-4f, "0.0001"},
        FormatRow{"HundredThousandth", 1e-5f, "1E-05"},
        FormatRow{"SevenNines", 9999999.0f, "9999999"},
        FormatRow{"TenMillion", 10000000.0f, "1E+07"}, FormatRow{"TenthIsShort", 0.1f, "0.1"},
        FormatRow{"NeedsEightDigits", 1234567.875f, "1234568"},
        FormatRow{"ShortDigitsKept", 0.3f, "0.3"}, FormatRow{"LimitOfParse", 1e10f, "1E+10"},
        FormatRow{"ThreeDigitExponent", 1e-38f, "1E-38"},
        FormatRow{"Largest", std::numeric_limits<float>::max(), "3.402823E+38"},
        FormatRow{"Smallest", std::numeric_limits<float>::denorm_min(), "1E-45"},
        FormatRow{"NegativeExponentForm", -2.5e-7f, "-2.5E-07"}),
    RowName);

class SignedFloatTextTest : public testing::TestWithParam<FormatRow> {};

TEST_P(SignedFloatTextTest, Writes) {
  EXPECT_EQ(SignedFloatText(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SignedFloatTextTest,
    testing::Values(FormatRow{"Twelve", 12.0f, " 12"}, FormatRow{"Half", 0.5f, " .5"},
                    FormatRow{"MinusFive", -5.0f, "-5"}, FormatRow{"MinusHalf", -0.5f, "-.5"},
                    FormatRow{"Zero", 0.0f, " 0"}, FormatRow{"Small", 0.0012f, " .0012"},
                    FormatRow{"ExponentForm", 14000000.0f, " 1.4E+07"}),
    RowName);

// ---------------------------------------------------------------------------
// Formatters.

class FormatFrequencyTest : public testing::TestWithParam<FormatRow> {};

TEST_P(FormatFrequencyTest, Writes) {
  EXPECT_EQ(FormatFrequency(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatFrequencyTest,
    testing::Values(FormatRow{"Twenty", 14200000.0f, " 14.2M"},
                    FormatRow{"FiveHundredKilo", 500000.0f, " 500k"},
                    FormatRow{"Seven", 7.0f, " 7 "}, FormatRow{"Half", 0.5f, " 500m"},
                    FormatRow{"Zero", 0.0f, "0.0 "}, FormatRow{"SevenMega", 7000000.0f, " 7M"},
                    FormatRow{"HundredMega", 100000000.0f, " 100M"},
                    FormatRow{"Giga", 2.5e9f, " 2.5G"},
                    // Signed argument: negative values fall into the milli row.
                    FormatRow{"MinusFive", -5.0f, "-5000m"},
                    // Places: > 100 two, > 10 three, > 1 four, else five.
                    FormatRow{"TwoPlaces", 123456789.0f, " 123.46M"},
                    FormatRow{"ThreePlaces", 12345678.0f, " 12.346M"},
                    FormatRow{"FourPlaces", 1234567.0f, " 1.2346M"},
                    FormatRow{"ExactlyOneTakesFive", 1000000.0f, " 1M"},
                    FormatRow{"FourPlacesKilo", 1234.5678f, " 1.2346k"},
                    FormatRow{"FivePlaces", 1.2345678e-4f, " .12346m"},
                    FormatRow{"RoundsUpToThousand", 999999.0f, " 1000k"},
                    FormatRow{"HalfAwayFromZero", 100125.0f, " 100.13k"},
                    FormatRow{"SmallFraction", 0.01f, " 10m"}),
    RowName);

class FormatCapacitanceTest : public testing::TestWithParam<FormatRow> {};

TEST_P(FormatCapacitanceTest, Writes) {
  EXPECT_EQ(FormatCapacitance(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatCapacitanceTest,
    testing::Values(FormatRow{"ThreeThirtyPico", 330e-12f, "330pF"},
                    FormatRow{"TwoNanoTwo", 2.2e-9f, "2200pF"},
                    FormatRow{"TwentyTwoNano", 2.2e-8f, "0.022uF"}, FormatRow{"Zero", 0.0f, ""},
                    FormatRow{"NegativeShowsNoSign", -1e-10f, "100pF"},
                    FormatRow{"JustBelowTenNano", 9.99e-9f, "9990pF"},
                    // The float nearest 1e-8 lies below it and stays in the pF row.
                    FormatRow{"NearestToTenNano", 1e-8f, "10000pF"},
                    FormatRow{"NextFloatAboveTenNano", std::nextafter(1e-8f, 1.0f), "0.01uF"},
                    FormatRow{"C47", 2e-10f, "200pF"}, FormatRow{"C48", 3.6e-10f, "360pF"},
                    FormatRow{"C92", 6.8e-11f, "68pF"}, FormatRow{"BelowSmallest", 1e-15f, ""},
                    FormatRow{"TenMilli", 0.01f, "10000uF"}, FormatRow{"Milli", 0.047f, "47mF"},
                    FormatRow{"Farad", 2.5f, "2.5F"}, FormatRow{"KiloFarad", 47.0f, "0.047KF"},
                    FormatRow{"Mega", 20000.0f, "0.02MEG"},
                    // Places from |s|: > 1000 two, > 100 three, > 10 four, > 1 five, else six.
                    FormatRow{"TwoPlaces", 1.234567e-9f, "1234.57pF"},
                    FormatRow{"ThreePlaces", 1.234567e-10f, "123.457pF"},
                    FormatRow{"FourPlaces", 1.234567e-11f, "12.3457pF"},
                    FormatRow{"FivePlaces", 1.234567e-12f, "1.23457pF"},
                    FormatRow{"SixPlaces", 1.2345678e-13f, "0.123457pF"},
                    FormatRow{"HalfAwayFromZero", 1.000125e-9f, "1000.13pF"}),
    RowName);

class FormatInductanceTest : public testing::TestWithParam<FormatRow> {};

TEST_P(FormatInductanceTest, Writes) {
  EXPECT_EQ(FormatInductance(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatInductanceTest,
    testing::Values(FormatRow{"OnePointTwoMicro", 1.2e-6f, "1.2uH"},
                    FormatRow{"L1", 4.32e-7f, "432nH"}, FormatRow{"L2", 5.88e-7f, "588nH"},
                    FormatRow{"Zero", 0.0f, ""}, FormatRow{"Smallest", 1e-10f, "0.1nH"},
                    FormatRow{"BelowSmallest", 9e-11f, ""},
                    // The float nearest 1e-6 lies below it and stays in the nH row.
                    FormatRow{"NearestToMicro", 1e-6f, "1000nH"},
                    FormatRow{"NextFloatAboveMicro", std::nextafter(1e-6f, 1.0f), "1uH"},
                    FormatRow{"Milli", 0.0025f, "2.5mH"}, FormatRow{"Henry", 3.0f, "3H"},
                    FormatRow{"Kilo", 1500.0f, "1.5KH"}, FormatRow{"Mega", 2e6f, "2MEG"},
                    FormatRow{"Negative", -4.7e-6f, "4.7uH"}),
    RowName);

class FormatValueTest : public testing::TestWithParam<FormatRow> {};

TEST_P(FormatValueTest, Writes) {
  EXPECT_EQ(FormatValue(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatValueTest,
    testing::Values(FormatRow{"Fifty", 50.0f, "50 "}, FormatRow{"Fraction", 0.1234f, "0.1234 "},
                    FormatRow{"Negative", -3.25f, "-3.25 "}, FormatRow{"Kilo", 4700.0f, "4.7k"},
                    FormatRow{"Mega", 14200000.0f, "14.2MEG"}, FormatRow{"Zero", 0.0f, "0 "},
                    FormatRow{"BelowMilli", 0.0005f, "0 "},
                    FormatRow{"OneMega", 1000000.0f, "1MEG"},
                    FormatRow{"HalfAwayFromZero", 100.125f, "100.13 "},
                    FormatRow{"NegativeHalfAwayFromZero", -100.125f, "-100.13 "},
                    FormatRow{"HalfAtThreePlaces", 10.0625f, "10.063 "},
                    FormatRow{"TwoPlaces", 123.456f, "123.46 "},
                    FormatRow{"ThreePlaces", 12.3456f, "12.346 "},
                    FormatRow{"FourPlaces", 1.23456f, "1.2346 "},
                    FormatRow{"FivePlaces", 0.0123456f, "0.01235 "},
                    FormatRow{"RoundsToThousand", 999.999f, "1000 "},
                    FormatRow{"KiloThreePlaces", 12345.0f, "12.345k"},
                    FormatRow{"NegativeKilo", -4700.0f, "-4.7k"},
                    FormatRow{"SeriesResistance", 0.2586267f, "0.25863 "}),
    RowName);

class FormatEngineeringTest : public testing::TestWithParam<FormatRow> {};

TEST_P(FormatEngineeringTest, Writes) {
  EXPECT_EQ(FormatEngineering(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatEngineeringTest,
    testing::Values(FormatRow{"Fifty", 50.0f, "50 "}, FormatRow{"Zero", 0.0f, ""},
                    FormatRow{"Kilo", 1500.0f, "1.5 k"}, FormatRow{"Micro", 2.2e-6f, "2.2 u"},
                    FormatRow{"NegativeMicro", -2.2e-6f, "-2.2 u"}, FormatRow{"Giga", 1e9f, "1 G"},
                    FormatRow{"Mega", 7.5e6f, "7.5 M"}, FormatRow{"Milli", 0.047f, "47 m"},
                    FormatRow{"Nano", 3.3e-9f, "3.3 n"}, FormatRow{"Pico", 4.7e-11f, "47 p"},
                    FormatRow{"BelowPico", 1e-15f, ""}, FormatRow{"HalfIsMilli", 0.5f, "500 m"},
                    FormatRow{"FractionOfUnit", 1.0000001f, "1 "}),
    RowName);

// ---------------------------------------------------------------------------
// Parsing.

struct ParseRow {
  const char* name;
  const char* text;
  // The result is the collected number times the letter's multiplier, both
  // as floats and multiplied in single precision.
  float number;
  float multiplier;
  // The decimal value the user meant, which the result must lie within one
  // float step of.
  double meant;
};

std::string ParseRowName(const testing::TestParamInfo<ParseRow>& info) {
  return info.param.name;
}

class ParseValueTest : public testing::TestWithParam<ParseRow> {};

TEST_P(ParseValueTest, Reads) {
  const ParseRow& row = GetParam();
  const float expected = row.number * row.multiplier;
  const float result = ParseValue(row.text);
  EXPECT_EQ(result, expected) << '"' << row.text << '"';
  const float meant = static_cast<float>(row.meant);
  EXPECT_LE(std::fabs(result - meant), std::fabs(std::nextafter(meant, 2.0f * meant) - meant))
      << '"' << row.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseValueTest,
    testing::Values(
        ParseRow{"Pico", "100p", 100.0f, 1e-12f, 1e-10},
        ParseRow{"PicoFarad", "100pF", 100.0f, 1e-12f, 1e-10},
        ParseRow{"Micro", "2.2u", 2.2f, 1e-6f, 2.2e-6},
        ParseRow{"NegativeMicro", "-2.2U", -2.2f, 1e-6f, -2.2e-6},
        ParseRow{"Exponent", "1.5e-3", 0.0015f, 1.0f, 0.0015},
        ParseRow{"ExponentBlocksLetter", "1E3k", 1000.0f, 1.0f, 1000.0},
        ParseRow{"MegaUpper", "10MEG", 10.0f, 1e6f, 1e7},
        ParseRow{"MilliLower", "10meg", 10.0f, 1e-3f, 0.01},
        ParseRow{"OhmIsMilli", "50 ohm", 50.0f, 1e-3f, 0.05},
        ParseRow{"DigitsAfterLetter", "4k7", 4.0f, 1e3f, 4000.0},
        ParseRow{"SecondPoint", "1.2.3", 1.23f, 1.0f, 1.23},
        ParseRow{"InnerMinus", "5-3", 53.0f, 1.0f, 53.0},
        ParseRow{"DoubleMinus", "--5", -5.0f, 1.0f, -5.0},
        ParseRow{"Spaces", "3 3 0", 330.0f, 1.0f, 330.0}, ParseRow{"Empty", "", 0.0f, 1.0f, 0.0},
        ParseRow{"Letters", "abc", 0.0f, 1.0f, 0.0},
        ParseRow{"FirstTwelve", "123456789012345", 1e10f, 1.0f, 1e10},
        ParseRow{"TwelveCutsLetter", "0.0000000001k", 1e-10f, 1.0f, 1e-10},
        ParseRow{"Trimmed", "   47p   ", 47.0f, 1e-12f, 4.7e-11},
        ParseRow{"NegativeLimit", "-1E12", -1e10f, 1.0f, -1e10},
        ParseRow{"OverflowIsPositive", "1E39", 1e10f, 1.0f, 1e10},
        ParseRow{"NegativeOverflowIsPositive", "-1E39", 1e10f, 1.0f, 1e10},
        ParseRow{"LargestFloatIsLimited", "-3.402823E38", -1e10f, 1.0f, -1e10},
        ParseRow{"PastLargestFloatOverflows", "-3.402824E38", 1e10f, 1.0f, 1e10},
        ParseRow{"BeyondDouble", "-1E999", 1e10f, 1.0f, 1e10},
        ParseRow{"Underflow", "1E-50", 0.0f, 1.0f, 0.0},
        ParseRow{"UnderflowBeyondDouble", "1E-999", 0.0f, 1.0f, 0.0},
        ParseRow{"SecondExponentDropped", "1e5e3", 1e10f, 1.0f, 1e10},
        ParseRow{"LeadingExponentDropped", "e5", 5.0f, 1.0f, 5.0},
        ParseRow{"IncompleteExponent", "7E", 7.0f, 1.0f, 7.0},
        ParseRow{"IncompleteSignedExponent", "7E+", 7.0f, 1.0f, 7.0},
        ParseRow{"SignAfterExponentOnlyOnce", "1E+-3", 1000.0f, 1.0f, 1000.0},
        ParseRow{"LoneSign", "-", 0.0f, 1.0f, 0.0}, ParseRow{"LeadingPoint", ".5", 0.5f, 1.0f, 0.5},
        ParseRow{"LeadingPlus", "+5", 5.0f, 1.0f, 5.0},
        ParseRow{"CommaDropped", "1,5", 15.0f, 1.0f, 15.0},
        ParseRow{"PointAfterLetter", "1k.5", 1.0f, 1e3f, 1000.0},
        ParseRow{"SecondLetterDropped", "1kM", 1.0f, 1e3f, 1000.0},
        ParseRow{"Mega", "2.2M", 2.2f, 1e6f, 2.2e6}, ParseRow{"Milli", "2.2m", 2.2f, 1e-3f, 2.2e-3},
        ParseRow{"Nano", "3n", 3.0f, 1e-9f, 3e-9}, ParseRow{"NanoUpper", "3N", 3.0f, 1e-9f, 3e-9},
        ParseRow{"PicoUpper", "3P", 3.0f, 1e-12f, 3e-12},
        ParseRow{"KiloUpper", "5K", 5.0f, 1e3f, 5000.0}, ParseRow{"Giga", "1G", 1.0f, 1e9f, 1e9},
        ParseRow{"GigaLower", "1g", 1.0f, 1e9f, 1e9},
        ParseRow{"GigaLimited", "20g", 1e10f, 1.0f, 1e10},
        ParseRow{"NoFemto", "1f", 1.0f, 1.0f, 1.0}, ParseRow{"NoTera", "1T", 1.0f, 1.0f, 1.0},
        ParseRow{"LetterBeforeDigits", "k5", 5.0f, 1.0f, 5.0},
        ParseRow{"SignThenLetter", "-k5", 0.0f, 1.0f, 0.0}),
    ParseRowName);

// Step 5 multiplies in single precision; the result may lie one step from
// the float nearest the decimal value, and that product is what counts.
TEST(ParseValueTest, MultipliesInSinglePrecision) {
  volatile float number = 2.2f;
  volatile float multiplier = 1e-6f;
  const float product = number * multiplier;
  EXPECT_EQ(ParseValue("2.2u"), product);
}

// ---------------------------------------------------------------------------
// Locale independence.

TEST(NotationLocaleTest, DecimalCommaLocaleStillWritesFullStops) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE",
                              "fr_FR.UTF-8", "fr_FR.utf8", "fr_FR"};
  const char* chosen = nullptr;
  for (const char* name : candidates) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no German or French locale installed";
  EXPECT_EQ(FormatValue(0.1234f), "0.1234 ");
  EXPECT_EQ(FormatFrequency(14200000.0f), " 14.2M");
  EXPECT_EQ(FormatCapacitance(2.2e-8f), "0.022uF");
  EXPECT_EQ(FormatEngineering(1500.0f), "1.5 k");
  EXPECT_EQ(ShortestFloatText(3.6e-10f), "3.6E-10");
  EXPECT_EQ(SignedFloatText(0.5f), " .5");
  EXPECT_EQ(ParseValue("2.5"), 2.5f);
  EXPECT_EQ(ParseValue("2,5"), 25.0f);
  std::setlocale(LC_ALL, saved.c_str());
}

// ---------------------------------------------------------------------------
// Round trip through typed text: what the schematic shows reads back as the
// same value after one more formatting.

TEST(NotationRoundTripTest, CapacitanceTextReadsBackStable) {
  for (const float value : {2e-10f, 3.6e-10f, 6.8e-11f, 1.5e-9f, 2.2e-8f, 4.7e-12f}) {
    const std::string text = FormatCapacitance(value);
    const float back = ParseValue(text);
    EXPECT_EQ(FormatCapacitance(back), text) << text;
  }
}

// Values the design never holds must not crash or produce garbage lengths.
TEST(NotationNonFiniteTest, FormattersStayDefined) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(FormatCapacitance(nan), "");
  EXPECT_EQ(FormatValue(nan), "0 ");
  EXPECT_EQ(ShortestFloatText(inf), "Inf");
  EXPECT_EQ(ShortestFloatText(-inf), "-Inf");
  EXPECT_FALSE(FormatFrequency(-inf).empty());
  EXPECT_FALSE(FormatEngineering(inf).empty());
}

}  // namespace
}  // namespace diruruzevuv::notation
