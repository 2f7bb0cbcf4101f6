#include "files/touchstone.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <string>
#include <tuple>

#include "files/measurement_file.h"
#include "files/touchstone_writer.h"
#include "model/measurement/measured_network.h"
#include "test_support.h"

namespace diruruzevuv::files {
namespace {

using Complex = std::complex<double>;
using testing::CrLf;

struct ReadCase {
  const char* label;
  const char* name;
  std::string text;
  std::string error = {};  // the refusal; empty: the file is read
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

TEST_P(TouchstoneReads, ValuesOrRefusalWithFileLineAndReason) {
  const ReadCase& c = GetParam();
  const TouchstoneRead read = ParseTouchstone(c.text, c.name);
  EXPECT_EQ(read.network ? "" : read.error.Text(), c.error);
  if (!read.network || !c.error.empty()) return;
  const model::MeasuredNetwork& n = *read.network;
  EXPECT_EQ(std::tuple(n.ports, n.referenceOhms[0], n.name),
            std::tuple(c.ports, c.reference, c.name));
  ASSERT_EQ(static_cast<int>(n.frequency.size()), c.count);
  EXPECT_NEAR(n.frequency[0], c.frequency, c.frequency * 1e-15);
  const Complex first[] = {c.s11, c.s21, c.s12};
  for (int k = 0; k < (c.ports == 2 ? 3 : 1); ++k)
    EXPECT_NEAR(std::abs(n.s[0][k] - first[k]), 0.0, 1e-12) << k;
  ASSERT_EQ(n.warnings.size(), c.ignoredLines.size());
  for (std::size_t i = 0; i < n.warnings.size(); ++i)
    EXPECT_TRUE(n.warnings[i].starts_with(std::string(c.name) + ", line " +
                                          std::to_string(c.ignoredLines[i]) + ": "))
        << n.warnings[i];
}

const std::string kTwoPortRow = "14000000 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8";

// clang-format off
const ReadCase kReads[] = {
    {"MagnitudeAngleKilohertzLowerCase", "b.S1P", CrLf({"# khz s ma r 75", "1.5 0.5 90"}, "\n"),
     "", 1, 1, 1500, Polar(0.5, 90), {}, {}, 75},
    {"DecibelMegahertz", "c.s1p", CrLf({"#MHz S DB R 50", "7 -6.020599913279624 180"}),
     "", 1, 1, 7e6, Polar(0.5, 180)},
    {"CommentsAnywhereAndLaterOptionLinesIgnored", "f.s1p",
     CrLf({"! analyser export", "# Hz S RI R 25 ! units", "# GHz S MA R 50",
           "  100 0.1 0.2 ! first", "", "200 0.3 0.4", "# MHz"}),
     "", 1, 2, 100, {0.1, 0.2}, {}, {}, 25, {3, 7}},
    // The fuzzer's shape: an option line inside the first record must not
    // rescale it (nor the rest) after its frequency was read in the
    // default GHz, magnitude and angle.
    {"OptionLineInsideTheDataChangesNothing", "p.s2p",
     CrLf({"1 0.1 0.2 0.3 0.4", "#HZ", "0.5 0.6 0.7 0.8", "2 0 0 0 0 0 0 0 0"}),
     "", 2, 2, 1e9, Polar(0.1, 0.2), Polar(0.3, 0.4), Polar(0.5, 0.6), 50, {2}},
    {"TwoPortWrappedOverLinesThenNoise", "h.s2p",
     CrLf({"# MHz S RI R 50", "14 0.1 0.2", "0.3 0.4", "0.5 0.6 0.7 0.8", "15 1 2 3 4 5 6 7 8",
           "! noise parameters", "1 2.5 0.5 30 0.2", "2 2.6 0.5 31 0.2"}),
     "", 2, 2, 14e6, {0.1, 0.2}, {0.3, 0.4}, {0.5, 0.6}},
    {"UnknownEndingAndLoneCarriageReturns", "j.txt", CrLf({"# Hz S RI R 50", "100 0.5 0.5"}, "\r"),
     "", 1, 1, 100, {0.5, 0.5}},
    {"VersionTwoOrder12_21", "k.ts",
     CrLf({"[Version] 2.0", "# Hz S RI R 50", "[Number of Ports] 2", "[Two-Port Data Order] 12_21",
           "[Number of Frequencies] 1", "[Network Data]", kTwoPortRow, "[End]"}),
     "", 2, 1, 14e6, {0.1, 0.2}, {0.5, 0.6}, {0.3, 0.4}},
    {"VersionTwoOrder21_12WithReferenceOnNextLine", "l.ts",
     CrLf({"[version] 2.0", "# MHz S RI", "[Number of Ports] 2", "[Two-Port Data Order] 21_12",
           "[Reference]", "12.5 12.5", "[Network Data]", "14 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8",
           "[End]", "anything after the end"}),
     "", 2, 1, 14e6, {0.1, 0.2}, {0.3, 0.4}, {0.5, 0.6}, 12.5},
    {"VersionTwoLowerMatrixAndNoiseData", "m.ts",
     CrLf({"[Version] 2.0", "# Hz S RI R 50", "[Number of Ports] 2", "[Two-Port Data Order] 21_12",
           "[Matrix Format] Lower", "[Begin Information]", "free text 1 2 3", "[End Information]",
           "[Network Data]", "100 0.1 0.2 0.3 0.4 0.7 0.8", "[Noise Data]", "50 1 2 3 4", "[End]"}),
     "", 2, 1, 100, {0.1, 0.2}, {0.3, 0.4}, {0.3, 0.4}},
    {"VersionTwoOnePort", "n.ts",
     CrLf({"[Version] 2.0", "# GHz S DB R 50", "[Number of Ports] 1", "[Number of Frequencies] 2",
           "[Network Data]", "1 0 0", "+2 -20 +90", "[End]"}, "\n"),
     "", 1, 2, 1e9, {1.0, 0.0}},
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
    {"NoiseRowOfTheWrongShape", "h.s2p",
     CrLf({"# MHz S RI R 50", "14 0 0 0 0 0 0 0 0", "1 2.5 0.5 30 0.2", "2 2.6 0.5 31"}),
     "h.s2p, line 4: the frequencies do not increase"},
    {"ComplexReference", "z.s1p", CrLf({"# Hz S RI R (50+50j)", "5 0 0"}),
     "z.s1p, line 1: complex reference impedances are not supported"},
    {"ControlBytesEscaped", "e.s1p", CrLf({"# Hz S RI", std::string("5 \x1b[2J\0x\x7f 0", 10)}),
     "e.s1p, line 2: \"\\x1B[2J\\x00x\\x7F\" is not a number"},
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

INSTANTIATE_TEST_SUITE_P(Files, TouchstoneReads, ::testing::ValuesIn(kReads),
                         [](const auto& row) { return std::string(row.param.label); });

// The file is read in pieces: lines that straddle them read whole, up to
// the most points an analyser measures. One point more is refused as the
// count passes the limit, a line too long without holding it, and so is a
// missing file.
TEST(TouchstoneTest, ReadsAFileFromDiskPieceByPiece) {
  testing::TempDir dir;
  std::string text = "\xEF\xBB\xBF# Hz S RI R 50\r\n";
  for (std::size_t i = 1; i <= kMaxMeasuredPoints; ++i)
    text += std::to_string(i * 1000) + " 0.125 0.25\r\n";
  testing::WriteText(dir / "built.s1p", text + "# MHz");
  const TouchstoneRead read = ReadTouchstoneFile(dir / "built.s1p");
  ASSERT_TRUE(read.network) << read.error.Text();
  EXPECT_EQ(read.network->frequency.size(), kMaxMeasuredPoints);
  EXPECT_EQ(read.network->frequency.back(), 2e8);
  EXPECT_EQ(read.network->s.back()[0], Complex(0.125, 0.25));
  EXPECT_EQ(read.network->warnings,
            std::vector<std::string>{"built.s1p, line 200002: an option line after the data is ignored"});
  testing::WriteText(dir / "more.s1p", text + "1e12 0 0");
  EXPECT_EQ(ReadTouchstoneFile(dir / "more.s1p").error.Text(),
            "more.s1p, line 200002: more than 200000 points; no analyser measures so many");
  testing::WriteText(dir / "long.s1p", "# Hz\n1 0 0\n" + std::string(10 << 20, '7'));
  EXPECT_EQ(ReadTouchstoneFile(dir / "long.s1p").error.Text(),
            "long.s1p, line 3: the line is longer than 4096 bytes");
  EXPECT_EQ(ReadTouchstoneFile(dir / "gone.s2p").error.Text(),
            "cannot read " + (dir / "gone.s2p").string() + ": No such file or directory");
  // A design file is named as one; with a measurement's option line it is not.
  const std::string design = DIRU_SOURCE_DATA_DIR "/20.TXT";
  EXPECT_EQ(LoadMeasurementFile(design, 50.0).refusal, "20.TXT: is a design file, not a measurement");
  testing::WriteText(dir / "d.s2p", testing::ReadText(design) + "# Hz S RI R 50\r\n");
  EXPECT_EQ(LoadMeasurementFile(dir / "d.s2p", 50.0).refusal, "d.s2p, line 1: \"*\" is not a number");
}

model::MeasuredNetwork TwoPort() {
  model::MeasuredNetwork n;
  n.ports = 2, n.referenceOhms = {12.5, 12.5}, n.frequency = {1e6, 14.123456789e6, 3.3e7};
  n.s = {{{{0.1, -0.2}, {0.9, 0.1}, {0.9, 0.1}, {0.3, 1.0 / 3.0}}},
         {{{-1e-300, 0.0}, {0.5, 5e-17}, {0.25, 0.0}, {0.0, -0.0}}},
         {{{0.7071067811865476, 0.1}, {1e-9, 2e-9}, {1e-9, 2e-9}, {0.0, 0.0}}}};
  return n;
}

// What the writer writes, the program's own reader reads back as the very
// same doubles, comments and all; what no reader could trust it refuses.
TEST(TouchstoneWriterTest, ReadsBackBitForBitOrRefuses) {
  const model::MeasuredNetwork n = TwoPort();
  const std::string text = TouchstoneText(n, {"S12 = S21 and S22 = 0", "a\r\nb"});
  const std::string head = "! S12 = S21 and S22 = 0\r\n! a  b\r\n# Hz S RI R 12.5\r\n1000000 ";
  EXPECT_EQ(text.substr(0, head.size()), head);
  const TouchstoneRead read = ParseTouchstone(text, "x.s2p");
  ASSERT_TRUE(read.network) << read.error.Text();
  const model::MeasuredNetwork& r = *read.network;
  EXPECT_EQ(std::tie(r.frequency, r.referenceOhms, r.s),
            std::tie(n.frequency, n.referenceOhms, n.s));

  // The port-2 match comes back from its comment lines, when they all fit.
  model::MeasuredNetwork matched = n;
  matched.portTwoMatch = {{0.1, -0.2}, {1e-3, 0.0}, {-0.05, 1.0 / 3.0}};
  std::string matchText = TouchstoneText(matched);
  EXPECT_EQ(ParseTouchstone(matchText, "m.s2p").network->portTwoMatch, matched.portTwoMatch);
  matchText.replace(matchText.find("match 3"), 1, "x");
  EXPECT_EQ(ParseTouchstone(matchText, "m.s2p").network->warnings,
            std::vector<std::string>{
                "m.s2p, line 1: the port 2 match lines do not fit the data: ignored"});

  model::MeasuredNetwork falling = n, nan = n, mixed = n, shortMatch = n;
  falling.frequency[2] = falling.frequency[1];
  nan.s[0][3] = {0.0, std::nan("")};
  mixed.referenceOhms[1] = 50.0;
  shortMatch.portTwoMatch = {0.1};
  for (const auto& bad : {falling, nan, mixed, shortMatch, model::MeasuredNetwork{}}) {
    EXPECT_EQ(TouchstoneText(bad), "");
    EXPECT_FALSE(WriteTouchstoneFile("/nonexistent-dir/x.s2p", bad, {}, nullptr));
  }
  std::string why;
  EXPECT_FALSE(WriteTouchstoneFile("/nonexistent-dir/x.s2p", n, {}, &why) || why.empty());
}

// A series impedance z between references r1 and r2 (power waves),
// worked by hand: S11 = (z + r2 - r1) / d, S21 = S12 = 2 sqrt(r1 r2) / d
// and S22 = (z + r1 - r2) / d, with d = z + r1 + r2.
model::MeasuredNetwork::Matrix Series(Complex z, double r1, double r2) {
  const Complex d = z + r1 + r2, s21 = 2.0 * std::sqrt(r1 * r2) / d;
  return {(z + r2 - r1) / d, s21, s21, (z + r1 - r2) / d};
}

TEST(RenormaliseTest, HandWorkedNetworksReferredToTwelveAndAHalfOhm) {
  const Complex resistor = 10.0, withCapacitor = {3.0, -40.0};
  for (const std::array<double, 2> from : {std::array{50.0, 50.0}, std::array{50.0, 25.0}}) {
    SCOPED_TRACE(from[1]);
    model::MeasuredNetwork in, out;
    in.ports = 2, in.referenceOhms = from, in.frequency = {1e6, 2e6};
    in.s = {Series(resistor, from[0], from[1]), Series(withCapacitor, from[0], from[1])};
    ASSERT_TRUE(model::Renormalise(in, 12.5, out));
    EXPECT_EQ(out.referenceOhms, (std::array<double, 2>{12.5, 12.5}));
    for (std::size_t i = 0; i < 2; ++i) {
      const auto want = Series(i == 0 ? resistor : withCapacitor, 12.5, 12.5);
      for (int k = 0; k < 4; ++k) EXPECT_NEAR(std::abs(out.s[i][k] - want[k]), 0.0, 1e-14) << k;
    }
  }
}

// A two-port file without real S12 and S22 cannot be referred elsewhere:
// the result would look plausible and be wrong.
TEST(RenormaliseTest, ZeroOrCopiedPortTwoCannotBeReferred) {
  model::MeasuredNetwork n;
  n.ports = 2, n.frequency = {1e6, 2e6};
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
