#include "files/design_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cfloat>
#include <cmath>
#include <csignal>
#include <string>
#include <vector>

#include "test_support.h"

namespace diruruzevuv::files {
namespace {

using testing::CrLf;
using testing::ReadText;
using testing::RecordingNotifier;
using testing::TempDir;
using testing::WriteText;

const std::string kDesignFailed =
    "We did not successfully retrieve that file;\r\n"
    "20-meter band values are being used for defaults.";
const std::string kLastFailed =
    "We did not retrieve the Last Session file;\r\n"
    "the 20-meter band values are being used for defaults.";

// A 40-metre design, different from the built-in one in every field.
model::DesignState FortyMetres() {
  model::DesignState d;
  d.C47 = 3.9e-10f;
  d.TurnsL2 = 19;
  d.C48 = 8.2e-10f;
  d.TurnsL1 = 16;
  d.C92 = 1.5e-10f;
  d.C49 = 4.7e-10f;
  d.LowerEdge = 7.0e6f;
  d.UpperEdge = 7.3e6f;
  d.SweepStart = 2.4e6f;
  d.SweepStop = 2.6e7f;
  d.ToroidAL = 4.9f;
  d.InputTermination = 50.0f;
  d.LoadTermination = 50.0f;
  d.Band = 40;
  model::UpdateInductances(d);
  return d;
}

// The file text of FortyMetres as a design file, title line given.
std::vector<std::string> FortyLines(const std::string& title) {
  return {title,
          "2026-12-06",
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

void ExpectSameDesign(const model::DesignState& got, const model::DesignState& want) {
  // Files carry seven significant digits.
  auto near = [](float a, float b) { return std::fabs(a - b) <= 5e-7 * std::fabs(b); };
  EXPECT_TRUE(near(got.C47, want.C47)) << got.C47;
  EXPECT_TRUE(near(got.C48, want.C48)) << got.C48;
  EXPECT_TRUE(near(got.C92, want.C92)) << got.C92;
  EXPECT_TRUE(near(got.C49, want.C49)) << got.C49;
  EXPECT_TRUE(near(got.LowerEdge, want.LowerEdge)) << got.LowerEdge;
  EXPECT_TRUE(near(got.UpperEdge, want.UpperEdge)) << got.UpperEdge;
  EXPECT_TRUE(near(got.SweepStart, want.SweepStart)) << got.SweepStart;
  EXPECT_TRUE(near(got.SweepStop, want.SweepStop)) << got.SweepStop;
  EXPECT_TRUE(near(got.ToroidAL, want.ToroidAL)) << got.ToroidAL;
  EXPECT_TRUE(near(got.InputTermination, want.InputTermination));
  EXPECT_EQ(got.LoadTermination, got.InputTermination);
  EXPECT_EQ(got.TurnsL1, want.TurnsL1);
  EXPECT_EQ(got.TurnsL2, want.TurnsL2);
  EXPECT_EQ(got.Band, want.Band);
  EXPECT_TRUE(near(got.L1, want.L1)) << got.L1;
  EXPECT_TRUE(near(got.L2, want.L2)) << got.L2;
}

TEST(DesignTextTest, BuiltInDesignIsWrittenByteForByte) {
  model::DesignState d;
  model::ApplyDefaultDesign(d);
  EXPECT_EQ(
      DesignText(d, FileKind::kDesign, "C:\\Designs\\20m.TXT", "2026-12-06"),
      CrLf({"C:\\Designs\\20m.TXT", "2026-12-06", "", "C47: 2E-10", "L2 turns: 14", "C48: 3.6E-10",
            "L1 turns: 12", "C92: 6.8E-11", "C49: 2E-10", "Lower bandedge: 1.4E+07",
            "Upper bandedge: 1.435E+07", "Analysis start freq: 5000000",
            "Analysis stop freq: 5E+07", "Toroid AL: 3", "Input termination: 50", "Band: 20"}));
}

TEST(DesignTextTest, LastSessionKeepsItsOwnTitleAndLabel) {
  model::DesignState d;
  model::ApplyDefaultDesign(d);
  d.InputTermination = 0.5f;
  d.Band = -3;
  const std::string text =
      DesignText(d, FileKind::kLastSession, "DIRUruzevuv last-session file", "x");
  EXPECT_EQ(text.rfind("DIRUruzevuv last-session file\r\nx\r\n\r\nC47: 2E-10\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\nInput termnation: 0.5\r\nBand: -3\r\n"), std::string::npos);
}

TEST(DesignTextTest, LineEndInTitleCannotShiftTheValues) {
  model::DesignState d = FortyMetres();
  const std::string text = DesignText(d, FileKind::kDesign, "/tmp/odd\nname.TXT", "x");
  model::DesignState back;
  RecordingNotifier n;
  EXPECT_TRUE(ReadDesignText(text, back, n));
  ExpectSameDesign(back, d);
}

TEST(DesignFileTest, WriteThenReadGivesTheSameDesign) {
  TempDir dir;
  model::DesignState d = FortyMetres();
  d.C47 = 1.2345678e-10f;  // needs all seven digits
  d.UpperEdge = 29.7e6f;
  d.InputTermination = 75.25f;
  d.LoadTermination = 75.25f;
  d.TurnsL1 = -7;
  model::UpdateInductances(d);
  RecordingNotifier n;
  const std::string path = (dir / "design.TXT").string();
  ASSERT_TRUE(WriteDesignFile(path, d, n));
  const std::string text = ReadText(path);
  EXPECT_EQ(text.rfind(path + "\r\n", 0), 0u);
  model::DesignState back;
  back.InductorQ = 123.0f;
  back.CurrentFile = "keep.TXT";
  EXPECT_TRUE(ReadDesignFile(path, back, n));
  ExpectSameDesign(back, d);
  EXPECT_EQ(back.InductorQ, 123.0f);
  EXPECT_EQ(back.CurrentFile, "keep.TXT");
  EXPECT_TRUE(n.events.empty());
}

TEST(DesignFileTest, LastSessionRoundTripInWorkingFolder) {
  TempDir dir;
  const model::FileLocations where{dir.path(), dir.path() / "none"};
  RecordingNotifier n;
  EXPECT_FALSE(LastSessionExists(where));
  ASSERT_TRUE(WriteLastSession(where, FortyMetres(), n));
  EXPECT_TRUE(LastSessionExists(where));
  EXPECT_TRUE(std::filesystem::exists(dir / "DIRUruzevuvLastSession.TXT"));
  model::DesignState back;
  EXPECT_TRUE(ReadLastSession(where, back, n));
  ExpectSameDesign(back, FortyMetres());
  EXPECT_TRUE(n.events.empty());
  // Nothing but the file itself is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(DesignFileTest, ShortPathsWriteNothing) {
  RecordingNotifier n;
  EXPECT_TRUE(WriteDesignFile("", FortyMetres(), n));
  EXPECT_TRUE(WriteDesignFile("x", FortyMetres(), n));
  EXPECT_FALSE(std::filesystem::exists("x"));
  EXPECT_TRUE(n.events.empty());
}

// How a design text reads, starting from the built-in design with one
// field changed so that the fallback is visible.
struct ReadRow {
  const char* name;
  std::string text;
  bool lastSession;
  bool expectOk;
  std::vector<std::string> expectEvents;
};
void PrintTo(const ReadRow& row, std::ostream* os) {
  *os << row.name;
}

model::DesignState StartState() {
  model::DesignState d;
  model::ApplyDefaultDesign(d);
  d.C47 = 1e-12f;
  d.Band = 99;
  model::UpdateInductances(d);
  return d;
}

std::string Lines(std::vector<std::string> lines, bool lfOnly = false) {
  std::string text;
  for (const auto& line : lines) text += line + (lfOnly ? "\n" : "\r\n");
  return text;
}

std::vector<std::string> WithComments() {
  auto lines = FortyLines("C:\\Designs\\40m.TXT");
  std::vector<std::string> out{"* my 40 m filter", ""};
  for (const auto& line : lines) {
    out.push_back(line);
    out.push_back("* comment: 12345");
    out.push_back("");
  }
  return out;
}

class ReadDesignTest : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ReadDesignTest, ReadsOrFallsBack) {
  const auto& row = GetParam();
  model::DesignState d = StartState();
  RecordingNotifier n;
  const bool ok =
      row.lastSession ? ReadLastSessionText(row.text, d, n) : ReadDesignText(row.text, d, n);
  EXPECT_EQ(ok, row.expectOk);
  EXPECT_EQ(n.events, row.expectEvents);
  if (ok) {
    ExpectSameDesign(d, FortyMetres());
  } else {
    model::DesignState fallback = StartState();
    model::ApplyDefaultDesign(fallback);
    ExpectSameDesign(d, fallback);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadDesignTest,
    ::testing::Values(
        ReadRow{"Plain", Lines(FortyLines("C:\\Designs\\40m.TXT")), false, true, {}},
        ReadRow{"LfOnly", Lines(FortyLines("/home/ham/40m.TXT"), true), false, true, {}},
        ReadRow{"CommentsAndBlanksAnywhere", Lines(WithComments()), false, true, {}},
        ReadRow{
            "LowerCaseDefaultsIsRead", Lines(FortyLines("C:\\defaults\\40m.TXT")), false, true, {}},
        ReadRow{"DefaultsIsRefused",
                Lines(FortyLines("C:\\My Defaults\\40m.TXT")),
                false,
                false,
                {kDesignFailed}},
        ReadRow{"DefaultsOnlyBeforeColonIsRead",
                Lines(FortyLines("Defaults:40m.TXT")),
                false,
                true,
                {}},
        ReadRow{"LastSessionIgnoresDefaults", Lines(FortyLines("Defaults")), true, true, {}},
        ReadRow{"OverflowingTurnsFail",
                [] {
                  auto l = FortyLines("x");
                  l[4] = "L2 turns: 99999";
                  return Lines(l);
                }(),
                false,
                false,
                {kDesignFailed}},
        ReadRow{"OverflowingBandFailsLastSession",
                [] {
                  auto l = FortyLines("x");
                  l[15] = "Band: -32769";
                  return Lines(l);
                }(),
                true,
                false,
                {kLastFailed}},
        ReadRow{"HalfTurnsGoToEven",
                [] {
                  auto l = FortyLines("x");
                  l[4] = "L2 turns: 19.49";
                  l[6] = "L1 turns: 16.5";
                  return Lines(l);
                }(),
                false,
                true,
                {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ReadDesignEdgeTest, EarlyEndKeepsWhatWasReadWithoutMessage) {
  auto lines = FortyLines("DIRUruzevuv last-session file");
  lines.resize(9);  // ends after the C49 line
  model::DesignState d = StartState();
  const model::DesignState before = d;
  RecordingNotifier n;
  EXPECT_TRUE(ReadLastSessionText(Lines(lines), d, n));
  EXPECT_TRUE(n.events.empty());
  EXPECT_EQ(d.C47, 3.9e-10f);
  EXPECT_EQ(d.C49, 4.7e-10f);
  EXPECT_EQ(d.TurnsL2, 19);
  EXPECT_EQ(d.TurnsL1, 16);
  EXPECT_EQ(d.LowerEdge, before.LowerEdge);
  EXPECT_EQ(d.Band, before.Band);
  EXPECT_EQ(d.ToroidAL, before.ToroidAL);
  EXPECT_FLOAT_EQ(d.L2, 3e-9f * 19 * 19);
  EXPECT_FLOAT_EQ(d.L1, 3e-9f * 16 * 16);
}

TEST(ReadDesignEdgeTest, SmallAlIsRaisedAndTextWithoutNumberIsZero) {
  auto lines = FortyLines("x");
  lines[3] = "C47 200p";  // no colon: the whole line, no leading number
  lines[13] = "Toroid AL: 0.5";
  model::DesignState d = StartState();
  RecordingNotifier n;
  EXPECT_TRUE(ReadDesignText(Lines(lines), d, n));
  EXPECT_EQ(d.C47, 0.0f);
  EXPECT_EQ(d.ToroidAL, 1.0f);
  EXPECT_FLOAT_EQ(d.L1, 1e-9f * 16 * 16);
}

TEST(ReadDesignEdgeTest, HugeValuesStayFinite) {
  auto lines = FortyLines("x");
  lines[4] = "L2 turns: 32767";
  lines[3] = "C47: 1E+999";
  lines[13] = "Toroid AL: 9E+99";
  model::DesignState d = StartState();
  RecordingNotifier n;
  EXPECT_TRUE(ReadDesignText(Lines(lines), d, n));
  EXPECT_EQ(d.C47, FLT_MAX);
  EXPECT_EQ(d.ToroidAL, FLT_MAX);
  EXPECT_EQ(d.L2, FLT_MAX);
  EXPECT_EQ(d.TurnsL2, 32767);
}

TEST(ReadDesignEdgeTest, OverflowAfterEarlierValuesStillGivesTheWholeFallback) {
  auto lines = FortyLines("x");
  lines[6] = "L1 turns: 40000";
  model::DesignState d = StartState();
  RecordingNotifier n;
  EXPECT_FALSE(ReadDesignText(Lines(lines), d, n));
  EXPECT_EQ(d.C47, 2e-10f);  // read before the failure, then overwritten
  EXPECT_EQ(d.TurnsL2, 14);
  EXPECT_EQ(d.Band, 20);
}

TEST(ReadDesignEdgeTest, MissingFilesFallBackWithTheirMessages) {
  TempDir dir;
  const model::FileLocations where{dir.path(), dir.path()};
  model::DesignState d = StartState();
  RecordingNotifier n;
  EXPECT_FALSE(ReadLastSession(where, d, n));
  EXPECT_EQ(n.events, std::vector<std::string>{kLastFailed});
  EXPECT_EQ(d.Band, 20);
  EXPECT_EQ(d.C47, 2e-10f);

  d = StartState();
  n.events.clear();
  EXPECT_FALSE(ReadDesignFile("", d, n));                   // cancelled "Get old"
  EXPECT_FALSE(ReadDesignFile(dir.path().string(), d, n));  // a folder
  EXPECT_EQ(n.events, (std::vector<std::string>{kDesignFailed, kDesignFailed}));
  EXPECT_EQ(d.Band, 20);
}

TEST(ReadDesignEdgeTest, PathWithDefaultsIsReadWhenTheFirstLineHasNone) {
  TempDir dir;
  std::filesystem::create_directory(dir / "Defaults");
  const auto path = dir / "Defaults" / "40m.TXT";
  WriteText(path, Lines(FortyLines("C:\\Designs\\40m.TXT")));
  model::DesignState d = StartState();
  RecordingNotifier n;
  EXPECT_TRUE(ReadDesignFile(path.string(), d, n));
  ExpectSameDesign(d, FortyMetres());
}

// Writes that cannot succeed: the user is told (beep first), and whatever
// stood at the target before is untouched.
TEST(WriteFailureTest, ParentIsAFile) {
  TempDir dir;
  WriteText(dir / "plain", "x");
  RecordingNotifier n;
  EXPECT_FALSE(WriteDesignFile((dir / "plain" / "d.TXT").string(), FortyMetres(), n));
  EXPECT_EQ(n.events, (std::vector<std::string>{"<beep>", "The file was not written correctly."}));
  EXPECT_EQ(ReadText(dir / "plain"), "x");
}

TEST(WriteFailureTest, TargetIsAFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir / "DIRUruzevuvLastSession.TXT");
  WriteText(dir / "DIRUruzevuvLastSession.TXT" / "inside", "keep");
  RecordingNotifier n;
  EXPECT_FALSE(WriteLastSession({dir.path(), dir.path()}, FortyMetres(), n));
  EXPECT_EQ(n.events, (std::vector<std::string>{
                          "<beep>", "The last-session file was not written correctly."}));
  EXPECT_EQ(ReadText(dir / "DIRUruzevuvLastSession.TXT" / "inside"), "keep");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// A write that fails half way (the file size limit stands in for a full
// disk) leaves the previous file exactly as it was and no temporary file.
TEST(WriteFailureTest, FailedWriteKeepsThePreviousFile) {
  TempDir dir;
  const auto path = dir / "design.TXT";
  WriteText(path, "previous contents");
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  RecordingNotifier n;
  const bool ok = WriteDesignFile(path.string(), FortyMetres(), n);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  EXPECT_EQ(n.events, (std::vector<std::string>{"<beep>", "The file was not written correctly."}));
  EXPECT_EQ(ReadText(path), "previous contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ShortDateTest, IsNumericAndNonEmpty) {
  const std::string date = ShortDate();
  ASSERT_EQ(date.size(), 10u);
  EXPECT_EQ(date.find_first_not_of("0123456789-"), std::string::npos);
  EXPECT_NE(date.front(), '*');
}

}  // namespace
}  // namespace diruruzevuv::files
