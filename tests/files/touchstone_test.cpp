#include "files/touchstone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>

#include "model/measured_network.h"
#include "test_support.h"

namespace diruruzevuv::files {
namespace {

using Complex = std::complex<double>;
using testing::CrLf;

struct ReadCase {
  const char* label;
  const char* name;
  std::string text;
  int ports = 0;
  int count = 0;
  double frequency = 0.0;  // of the first point, Hz
  Complex s11{};           // first point
  Complex s21{};           // first point (two ports)
  Complex s12{};
  double reference = 50.0;
  std::vector<int> ignoredLines = {};  // named in the warnings
};

Complex Polar(double magnitude, double degrees) {
  return std::polar(magnitude, degrees * 3.14159265358979323846 / 180.0);
}

class TouchstoneReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TouchstoneReads, Values) {
  const ReadCase& c = GetParam();
  const TouchstoneRead read = ParseTouchstone(c.text, c.name);
  ASSERT_TRUE(read.network) << read.error.Text();
  const model::MeasuredNetwork& n = *read.network;
  EXPECT_EQ(n.ports, c.ports);
  ASSERT_EQ(static_cast<int>(n.frequency.size()), c.count);
  EXPECT_NEAR(n.frequency[0], c.frequency, c.frequency * 1e-15);
  EXPECT_NEAR(std::abs(n.s[0][0] - c.s11), 0.0, 1e-12);
  if (c.ports == 2) {
    EXPECT_NEAR(std::abs(n.s[0][1] - c.s21), 0.0, 1e-12);
    EXPECT_NEAR(std::abs(n.s[0][2] - c.s12), 0.0, 1e-12);
  }
  EXPECT_EQ(n.referenceOhms[0], c.reference);
  EXPECT_EQ(n.name, c.name);
  ASSERT_EQ(n.warnings.size(), c.ignoredLines.size());
  for (std::size_t i = 0; i < n.warnings.size(); ++i)
    EXPECT_TRUE(n.warnings[i].starts_with(std::string(c.name) + ", line " +
                                          std::to_string(c.ignoredLines[i]) + ": "))
        << n.warnings[i];
}

const std::string kTwoPortRow = "14000000 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8";

// clang-format off
const ReadCase kReads[] = {
    {"OnePortRealImaginaryHz", "a.s1p", CrLf({"# HZ S RI R 50", "1000 0.5 -0.25", "2000 0.4 0"}),
     1, 2, 1000, {0.5, -0.25}},
    {"MagnitudeAngleKilohertzLowerCase", "b.S1P", CrLf({"# khz s ma r 75", "1.5 0.5 90"}, "\n"),
     1, 1, 1500, Polar(0.5, 90), {}, {}, 75},
    {"DecibelMegahertz", "c.s1p", CrLf({"#MHz S DB R 50", "7 -6.020599913279624 180"}),
     1, 1, 7e6, Polar(0.5, 180)},
    {"DefaultsGigahertzMagnitudeAngle50", "d.s1p", CrLf({"#", "0.5 0.25 -45"}),
     1, 1, 5e8, Polar(0.25, -45)},
    {"CommentsAnywhereAndLaterOptionLinesIgnored", "f.s1p",
     CrLf({"! analyser export", "# Hz S RI R 25 ! units", "# GHz S MA R 50",
           "  100 0.1 0.2 ! first", "", "200 0.3 0.4", "# MHz"}),
     1, 2, 100, {0.1, 0.2}, {}, {}, 25, {3, 7}},
    // The fuzzer's shape: an option line inside the first record must not
    // rescale it (nor the rest) after its frequency was read in GHz.
    {"OptionLineInsideTheDataChangesNothing", "p.s2p",
     CrLf({"1 0.1 0.2 0.3 0.4", "#HZ", "0.5 0.6 0.7 0.8", "2 0 0 0 0 0 0 0 0"}),
     2, 2, 1e9, Polar(0.1, 0.2), Polar(0.3, 0.4), Polar(0.5, 0.6), 50, {2}},
    {"ByteOrderMarkAtTheStart", "q.s1p", CrLf({"\xEF\xBB\xBF# Hz S RI R 50", "1000 0.5 -0.25"}),
     1, 1, 1000, {0.5, -0.25}},
    {"TwoPortWrappedOverLines", "h.s2p", CrLf({"# Hz S RI R 50", "14000000 0.1 0.2", "0.3 0.4",
                                               "0.5 0.6 0.7 0.8", "15000000 1 2 3 4 5 6 7 8"}),
     2, 2, 14e6, {0.1, 0.2}, {0.3, 0.4}, {0.5, 0.6}},
    {"NoiseBlockEndsTheData", "i.s2p",
     CrLf({"# MHz S RI R 50", "14 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8", "15 0 0 0 0 0 0 0 0",
           "! noise parameters", "1 2.5 0.5 30 0.2", "2 2.6 0.5 31 0.2"}),
     2, 2, 14e6, {0.1, 0.2}, {0.3, 0.4}, {0.5, 0.6}},
    {"UnknownEndingGuessesPortsFromTheFirstLine", "j.txt", CrLf({"# Hz S RI R 50", "100 0.5 0.5"}),
     1, 1, 100, {0.5, 0.5}},
    {"VersionTwoOrder12_21", "k.ts",
     CrLf({"[Version] 2.0", "# Hz S RI R 50", "[Number of Ports] 2", "[Two-Port Data Order] 12_21",
           "[Number of Frequencies] 1", "[Network Data]", kTwoPortRow, "[End]"}),
     2, 1, 14e6, {0.1, 0.2}, {0.5, 0.6}, {0.3, 0.4}},
    {"VersionTwoOrder21_12WithReferenceOnNextLine", "l.ts",
     CrLf({"[version] 2.0", "# MHz S RI", "[Number of Ports] 2", "[Two-Port Data Order] 21_12",
           "[Reference]", "12.5 12.5", "[Network Data]", "14 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8",
           "[End]", "anything after the end"}),
     2, 1, 14e6, {0.1, 0.2}, {0.3, 0.4}, {0.5, 0.6}, 12.5},
    {"VersionTwoLowerMatrixAndNoiseData", "m.ts",
     CrLf({"[Version] 2.0", "# Hz S RI R 50", "[Number of Ports] 2", "[Two-Port Data Order] 21_12",
           "[Matrix Format] Lower", "[Begin Information]", "free text 1 2 3", "[End Information]",
           "[Network Data]", "100 0.1 0.2 0.3 0.4 0.7 0.8", "[Noise Data]", "50 1 2 3 4", "[End]"}),
     2, 1, 100, {0.1, 0.2}, {0.3, 0.4}, {0.3, 0.4}},
    {"VersionTwoOnePort", "n.ts",
     CrLf({"[Version] 2.0", "# GHz S DB R 50", "[Number of Ports] 1", "[Number of Frequencies] 2",
           "[Network Data]", "1 0 0", "+2 -20 +90", "[End]"}, "\n"),
     1, 2, 1e9, {1.0, 0.0}}};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Formats, TouchstoneReads, ::testing::ValuesIn(kReads),
                         [](const auto& row) { return std::string(row.param.label); });

struct RefusalCase {
  const char* label;
  const char* name;
  std::string text;
  std::string message;
};

class TouchstoneRefuses : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(TouchstoneRefuses, WithFileLineAndReason) {
  const RefusalCase& c = GetParam();
  const TouchstoneRead read = ParseTouchstone(c.text, c.name);
  EXPECT_FALSE(read.network);
  EXPECT_EQ(read.error.Text(), c.message);
}

// clang-format off
const RefusalCase kRefusals[] = {
    {"CommentsOnly", "a.s2p", CrLf({"! nothing", "# Hz S RI R 50"}),
     "a.s2p: the file holds no network data"},
    {"OtherParameterKind", "y.s2p", CrLf({"! x", "# MHz Y RI R 50", "1 0 0"}),
     "y.s2p, line 2: holds Y-parameters; only S-parameters can be read"},
    {"ThreePortsByName", "t.s3p", CrLf({"# Hz S RI R 50", "1 0 0 0 0 0 0"}),
     "t.s3p, line 2: the file has 3 ports; only one- and two-port files can be read"},
    {"FourPortsByKeyword", "t.ts", CrLf({"[Version] 2.0", "[Number of Ports] 4"}),
     "t.ts, line 2: the file has 4 ports; only one- and two-port files can be read"},
    {"SameFrequencyTwice", "r.s1p", CrLf({"# Hz S RI", "5 0 0", "5 0 0"}),
     "r.s1p, line 3: the frequencies do not increase"},
    {"TooManyNumbers", "w.s1p", CrLf({"# Hz S RI", "5 0 0 0"}),
     "w.s1p, line 2: wrong count of numbers: 3 are needed for each frequency"},
    {"TooFewNumbersAtTheEnd", "w.s2p", CrLf({"# Hz S RI", "5 0 0 0 0", "! end"}),
     "w.s2p, line 2: wrong count of numbers: 9 are needed for each frequency"},
    {"NotFinite", "n.s1p", CrLf({"# Hz S RI", "5 inf 0"}), "n.s1p, line 2: a number is not finite"},
    {"NotANumber", "n.s1p", CrLf({"# Hz S RI", "5 0,5 0"}),
     "n.s1p, line 2: \"0,5\" is not a number"},
    {"DecibelsBeyondRange", "n.s1p", CrLf({"# Hz S DB", "5 9000 0"}),
     "n.s1p, line 2: a value is not finite"},
    {"UnknownOption", "o.s1p", CrLf({"# Hz S XY R 50", "5 0 0"}),
     "o.s1p, line 1: unknown option \"XY\""},
    {"SortedHighToLow", "h.s2p", CrLf({"# MHz S RI R 50", kTwoPortRow, "13 0 0 0 0 0 0 0 0"}),
     "h.s2p, line 3: the frequencies do not increase"},
    {"NoiseRowOfTheWrongShape", "h.s2p",
     CrLf({"# MHz S RI R 50", "14 0 0 0 0 0 0 0 0", "1 2.5 0.5 30 0.2", "2 2.6 0.5 31"}),
     "h.s2p, line 4: the frequencies do not increase"},
    {"ComplexReference", "z.s1p", CrLf({"# Hz S RI R (50+50j)", "5 0 0"}),
     "z.s1p, line 1: complex reference impedances are not supported"},
    {"ControlBytesEscaped", "e.s1p", CrLf({"# Hz S RI", std::string("5 \x1b[2J\0x 0", 9)}),
     "e.s1p, line 2: \"\\x1B[2J\\x00x\" is not a number"},
    {"LongWordCut", "e.s1p", CrLf({"# Hz S RI", "5 " + std::string(200, 'w') + " 0"}),
     "e.s1p, line 2: \"" + std::string(77, 'w') + "...\" is not a number"},
    {"LineTooLong", "e.s1p", CrLf({"# Hz S RI", "5 0 0" + std::string(5000, ' ')}),
     "e.s1p, line 2: the line is longer than 4096 bytes"},
    {"CountDisagrees", "c.ts",
     CrLf({"[Version] 2.0", "# Hz S RI R 50", "[Number of Ports] 1", "[Number of Frequencies] 3",
           "[Network Data]", "1 0 0", "2 0 0", "[End]"}),
     "c.ts, line 4: [Number of Frequencies] says 3 but the file holds 2"},
    {"TwoPortWithoutDataOrder", "c.ts",
     CrLf({"[Version] 2.0", "# Hz S RI R 50", "[Number of Ports] 2", "[Network Data]"}),
     "c.ts, line 4: a two-port file needs [Two-Port Data Order]"},
    {"KeywordWithoutVersion", "k.s2p", CrLf({"[Number of Ports] 2"}),
     "k.s2p, line 1: the keyword [Number of Ports] belongs to version 2 files but "
     "[Version] is missing"}};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Refusals, TouchstoneRefuses, ::testing::ValuesIn(kRefusals),
                         [](const auto& row) { return std::string(row.param.label); });

// The file is read in pieces: lines that straddle them read whole, a
// line too long is refused without holding it, and so is a missing file.
TEST(TouchstoneTest, ReadsAFileFromDiskPieceByPiece) {
  testing::TempDir dir;
  std::string text = "\xEF\xBB\xBF# Hz S RI R 50\r\n";
  for (int i = 1; i <= 20000; ++i) text += std::to_string(i * 1000) + " 0.125 0.25\r\n";
  testing::WriteText(dir / "built.s1p", text + "# MHz");
  const TouchstoneRead read = ReadTouchstoneFile(dir / "built.s1p");
  ASSERT_TRUE(read.network) << read.error.Text();
  EXPECT_EQ(read.network->frequency.size(), 20000u);
  EXPECT_EQ(read.network->frequency.back(), 2e7);
  EXPECT_EQ(read.network->s.back()[0], Complex(0.125, 0.25));
  EXPECT_EQ(read.network->warnings,
            std::vector<std::string>{"built.s1p, line 20002: an option line after the data is ignored"});
  testing::WriteText(dir / "long.s1p", "# Hz\n1 0 0\n" + std::string(10 << 20, '7'));
  EXPECT_EQ(ReadTouchstoneFile(dir / "long.s1p").error.Text(),
            "long.s1p, line 3: the line is longer than 4096 bytes");
  EXPECT_EQ(ReadTouchstoneFile(dir / "gone.s2p").error.Text(), "gone.s2p: cannot be opened");
}

// Far beyond any analyser: refused when the count passes the limit.
TEST(TouchstoneTest, RefusesMoreThanTheMostPointsAnAnalyserMeasures) {
  std::string text = "# Hz S RI R 50\n";
  for (std::size_t i = 1; i <= kMaxMeasuredPoints; ++i) text += std::to_string(i) + " 0 0\n";
  const TouchstoneRead read = ParseTouchstone(text, "long.s1p");
  ASSERT_TRUE(read.network);
  EXPECT_EQ(read.network->frequency.size(), kMaxMeasuredPoints);
  EXPECT_EQ(ParseTouchstone(text + "1e9 0 0\n", "long.s1p").error.Text(),
            "long.s1p, line 200002: more than 200000 points; no analyser measures so many");
}

// Networks worked by hand: a series resistor R and a shunt capacitor C
// between two references z have S11 = R / (R + 2z), S21 = 2z / (R + 2z)
// and S11 = -jwCz / (2 + jwCz), S21 = 2 / (2 + jwCz).
model::MeasuredNetwork::Matrix SeriesResistor(double r, double z) {
  return {r / (r + 2 * z), 2 * z / (r + 2 * z), 2 * z / (r + 2 * z), r / (r + 2 * z)};
}
model::MeasuredNetwork::Matrix ShuntCapacitor(double wc, double z) {
  const Complex y(0.0, wc * z);
  return {-y / (2.0 + y), 2.0 / (2.0 + y), 2.0 / (2.0 + y), -y / (2.0 + y)};
}

void ExpectMatrix(const model::MeasuredNetwork::Matrix& got,
                  const model::MeasuredNetwork::Matrix& want) {
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(std::abs(got[k] - want[k]), 0.0, 1e-14) << "entry " << k;
}

TEST(RenormaliseTest, HandWorkedNetworksFromFiftyToTwelveAndAHalfOhm) {
  model::MeasuredNetwork at50;
  at50.ports = 2;
  at50.frequency = {1e6, 2e6};
  at50.s = {SeriesResistor(10.0, 50.0), ShuntCapacitor(0.02, 50.0)};
  model::MeasuredNetwork at12;
  ASSERT_TRUE(model::Renormalise(at50, 12.5, at12));
  ExpectMatrix(at12.s[0], SeriesResistor(10.0, 12.5));
  ExpectMatrix(at12.s[1], ShuntCapacitor(0.02, 12.5));
  EXPECT_EQ(at12.referenceOhms, (std::array<double, 2>{12.5, 12.5}));
}

TEST(RenormaliseTest, UnequalPortReferences) {
  // A series resistor measured with 50 ohm on port 1 and 25 ohm on port 2
  // (power waves): S11 = (R + 25 - 50) / (R + 75), S21 = 2 sqrt(50 x 25) / (R + 75).
  const double r = 10.0;
  model::MeasuredNetwork mixed;
  mixed.ports = 2;
  mixed.referenceOhms = {50.0, 25.0};
  mixed.frequency = {1e6};
  const double s21 = 2.0 * std::sqrt(50.0 * 25.0) / (r + 75.0);
  mixed.s = {{(r - 25.0) / (r + 75.0), s21, s21, (r + 25.0) / (r + 75.0)}};
  model::MeasuredNetwork out;
  ASSERT_TRUE(model::Renormalise(mixed, 12.5, out));
  ExpectMatrix(out.s[0], SeriesResistor(r, 12.5));
}

// A two-port file without real S12 and S22 cannot be referred elsewhere:
// the result would look plausible and be wrong.
TEST(RenormaliseTest, ZeroOrCopiedPortTwoCannotBeReferred) {
  model::MeasuredNetwork n;
  n.ports = 2;
  n.frequency = {1e6, 2e6};
  n.s = {{Complex(0.1, 0.2), Complex(0.9, 0.1), 0.0, 0.0}, {Complex(0.2), Complex(0.8), 0.0, 0.0}};
  EXPECT_EQ(model::ReferralProblem(n, 50.0), "");  // judged where it was measured
  // Zero, and a copy of S21 and zero, are refused in the measurement and analyser tests.
  for (auto& m : n.s) m[2] = m[1], m[3] = m[0];
  EXPECT_NE(model::ReferralProblem(n, 12.5).find("are copies of S21 and S11"), std::string::npos);
  n.s[1][3] = Complex(0.3);
  EXPECT_EQ(model::ReferralProblem(n, 12.5), "");
}

}  // namespace
}  // namespace diruruzevuv::files
