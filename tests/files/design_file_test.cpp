#include "files/design_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "files/spice_export.h"
#include "write_cases.h"

namespace diruruzevuv::files {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;

const std::string kFallback = "20-meter band values are being used for defaults.";
const std::string kDesignFailed = "We did not successfully retrieve that file;\r\n" + kFallback;
const std::string kLastFailed = "We did not retrieve the Last Session file;\r\nthe " + kFallback;

TEST(DesignFileTest, WritesByteForByte) {
  EXPECT_EQ(
      DesignText(Design(), FileKind::kDesign, "C:\\Designs\\20m.TXT", "2026-12-06"),
      CrLf({"C:\\Designs\\20m.TXT", "2026-12-06", "", "C47: 2E-10", "L2 turns: 14", "C48: 3.6E-10",
            "L1 turns: 12", "C92: 6.8E-11", "C49: 2E-10", "Lower bandedge: 1.4E+07",
            "Upper bandedge: 1.435E+07", "Analysis start freq: 5000000",
            "Analysis stop freq: 5E+07", "Toroid AL: 3", "Input termination: 50", "Band: 20"}));
  // A line end in the title would shift every value by a line.
  const std::string last = DesignText(Design([](auto& d) { d.InputTermination = 0.5f; }),
                                      FileKind::kLastSession, "last\nsession", "x");
  EXPECT_EQ(last.rfind("last session\r\nx\r\n\r\nC47: 2E-10\r\n", 0), 0u);
  EXPECT_NE(last.find("\r\nInput termnation: 0.5\r\nBand: 20\r\n"), std::string::npos);
}

TEST(DesignFileTest, MissingFilesAndRoundTrips) {
  TempDir dir;
  const model::FileLocations where{dir.path(), dir / "none"};
  RecordingNotifier n;
  model::DesignState back = Design(Forty);
  EXPECT_FALSE(LastSessionExists(where));
  EXPECT_FALSE(ReadLastSession(where, back, n));
  ExpectSameDesign(back, Design());
  back = Design(Forty);
  EXPECT_FALSE(ReadDesignFile("", back, n));                   // cancelled "Get old"
  EXPECT_FALSE(ReadDesignFile(dir.path().string(), back, n));  // a folder
  ExpectSameDesign(back, Design());

  const auto forty = Design([](auto& d) { Forty(d), d.C47 = 1.2345678e-10f, d.TurnsL1 = -7; });
  const std::string path = (dir / "design.TXT").string();
  testing::WriteText(path, CrLf(Lines(30, "an older design file, longer than the new one")));
  ASSERT_TRUE(WriteDesignFile(path, forty, n));
  // A path reader says why it failed; the Q values of the global defaults
  // are no part of the file and do not count against it.
  DesignReadFailure failure{true, "stale", false};
  back.InductorQ = back.CapacitorQ = 0.0f;
  EXPECT_TRUE(ReadDesignFile(path, back, n, &failure) && failure.reason.empty());
  ExpectSameDesign(back, forty);
  ASSERT_TRUE(WriteLastSession(where, forty, n) && LastSessionExists(where));
  back = Design();
  EXPECT_TRUE(ReadLastSession(where, back, n));
  ExpectSameDesign(back, forty);
  EXPECT_TRUE(WriteDesignFile("x", forty, n));  // a name this short writes nothing
  EXPECT_EQ(n.events, (Lines{kLastFailed, kDesignFailed, kDesignFailed}));  // the misses only
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// Each row is read by both readers into a design that differs from the
// file and from the built-in design. nullptr: the file gives no design, or
// one that cannot be analysed, and each reader falls back to the built-in
// design with its own message.
TEST(DesignFileTest, ReadsOrFallsBack) {
  Lines comments{"* my 40 m filter", ""};
  for (const auto& line : FortyLines("40m.TXT"))
    comments.insert(comments.end(), {line, "*: 1", ""});
  const std::string forty = CrLf(FortyLines("x")), early = forty.substr(0, forty.find("C48"));
  std::string random(4096, '\0');
  std::generate(random.begin(), random.end(), std::mt19937(13));
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    void (*expected)(model::DesignState&);
    bool designRefuses = false;  // a Defaults title: only the last session reads it
  } rows[] = {
      {"Plain, lower-case defaults", CrLf(FortyLines("C:\\defaults\\40m.TXT")), Forty},
      {"Comments and blanks anywhere, LF only", CrLf(comments, "\n"), Forty},
      // Else the comment would count as the title and shift every value.
      {"Byte-order mark before a comment", "\xEF\xBB\xBF* from an editor\r\n" + forty, Forty},
      {"Defaults title", CrLf(FortyLines("C:\\My Defaults\\40m.TXT")), Forty, true},
      {"16-bit overflow after values were read", CrLf(FortyLines("x", {{6, "L1: 32767.5"}})),
       nullptr},
      {"Ends early (after L2), no message", early,
       [](auto& d) { d.C47 = 3.9e-10f, d.TurnsL2 = 19, d.Band = 99; }},
      {"AL below 1", CrLf(FortyLines("x", {{13, "AL: 0.5"}})),
       [](auto& d) { Forty(d), d.ToroidAL = 1; }},
      {"Random bytes", random, nullptr},
      {"Empty", "", nullptr},
      {"L1 of 0 turns", CrLf(FortyLines("x", {{6, "L1 turns: 0"}})), nullptr},
      {"Sweep range empty", CrLf(FortyLines("x", {{12, "Analysis stop freq: 2400000"}})), nullptr},
      {"Termination 0", CrLf(FortyLines("x", {{14, "Input termination: 0"}})), nullptr}};
  // clang-format on
  for (const auto& row : rows) {
    for (const bool lastSession : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (lastSession ? ", last session" : ""));
      model::DesignState d = Design([](auto& start) { start.C47 = 1e-12f, start.Band = 99; });
      RecordingNotifier n;
      const bool fails = !row.expected || (row.designRefuses && !lastSession);
      EXPECT_EQ(lastSession ? ReadLastSessionText(row.text, d, n) : ReadDesignText(row.text, d, n),
                !fails);
      EXPECT_EQ(n.events, fails ? Lines{lastSession ? kLastFailed : kDesignFailed} : Lines{});
      ExpectSameDesign(d, fails ? Design() : Design(row.expected));
    }
  }
}

// Beeps too; an older file stays whole, with no temporary or partial file beside it.
TEST(DesignFileTest, FailedWritesTellAndLeaveTheFolderAsItWas) {
  TempDir dir;
  MakeEntries(dir.path(), {"d.TXT"});
  const auto before = FolderSnapshot(dir.path());
  const std::string design = dir / "d.TXT", spice = dir / "a.ASC";
  const model::DesignState d = Design([](auto& q) { q.InductorQ = 0.0f; });
  RecordingNotifier n;
  EXPECT_FALSE(UnderFileSizeLimit(64, [&] { return WriteDesignFile(design, d, n); }));
  EXPECT_FALSE(WriteSpiceSchematic(spice, d, n));
  EXPECT_EQ(
      n.events,
      (Lines{"<beep>",
             "The file was not written correctly.\r\nCannot write " + design + ": File too large",
             "<beep>",
             std::string(kSpiceWriteFailed) + "\r\nCannot write " + spice +
                 ": the inductors' loss cannot be computed with an inductor Q of 0"}));
  EXPECT_EQ(FolderSnapshot(dir.path()), before);
}

}  // namespace
}  // namespace diruruzevuv::files
