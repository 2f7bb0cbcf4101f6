#include "files/design_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "files/replace_file.h"
#include "files/spice_export.h"
#include "files/band_preset.h"
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
  EXPECT_EQ(n.events, (Lines{kLastFailed, kDesignFailed, kDesignFailed}));

  n.events.clear();
  const auto forty = Design([](auto& d) { Forty(d), d.C47 = 1.2345678e-10f, d.TurnsL1 = -7; });
  const std::string path = (dir / "design.TXT").string();
  testing::WriteText(path, CrLf(Lines(30, "an older design file, longer than the new one")));
  ASSERT_TRUE(WriteDesignFile(path, forty, n));
  EXPECT_TRUE(ReadDesignFile(path, back, n));
  ExpectSameDesign(back, forty);
  ASSERT_TRUE(WriteLastSession(where, forty, n));
  EXPECT_TRUE(LastSessionExists(where));
  back = Design();
  EXPECT_TRUE(ReadLastSession(where, back, n));
  ExpectSameDesign(back, forty);
  EXPECT_TRUE(WriteDesignFile("x", forty, n));  // a name this short writes nothing
  EXPECT_TRUE(n.events.empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// Each row reads a text into a design that differs from both the file and
// the built-in design; a failed read falls back to the built-in one.
TEST(DesignFileTest, ReadsOrFallsBack) {
  Lines comments{"* my 40 m filter", ""};
  for (const auto& line : FortyLines("40m.TXT"))
    comments.insert(comments.end(), {line, "*: 1", ""});
  const std::string forty = CrLf(FortyLines("x")), early = forty.substr(0, forty.find("C48"));
  // clang-format off
  const struct {
    const char* name;
    std::string text;
    bool lastSession;
    void (*expected)(model::DesignState&);
    Lines events;
  } rows[] = {
      {"Plain, lower-case defaults", CrLf(FortyLines("C:\\defaults\\40m.TXT")), false, Forty, {}},
      {"Comments and blanks anywhere, LF only", CrLf(comments, "\n"), false, Forty, {}},
      // Else the comment would count as the title and shift every value.
      {"Byte-order mark before a comment", "\xEF\xBB\xBF* from an editor\r\n" + forty, false,
       Forty, {}},
      {"Defaults refused", CrLf(FortyLines("C:\\My Defaults\\40m.TXT")), false, nullptr,
       {kDesignFailed}},
      {"Last session ignores Defaults", CrLf(FortyLines("Defaults")), true, Forty, {}},
      {"16-bit overflow after values were read", CrLf(FortyLines("x", {{6, "L1: 32767.5"}})), false,
       nullptr, {kDesignFailed}},
      {"Ends early (after L2), no message", early, true,
       [](auto& d) { d.C47 = 3.9e-10f, d.TurnsL2 = 19, d.Band = 99; }, {}},
      {"AL below 1", CrLf(FortyLines("x", {{13, "AL: 0.5"}})), false,
       [](auto& d) { Forty(d), d.ToroidAL = 1; }, {}}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    model::DesignState d = Design([](auto& start) { start.C47 = 1e-12f, start.Band = 99; });
    RecordingNotifier n;
    const bool ok =
        row.lastSession ? ReadLastSessionText(row.text, d, n) : ReadDesignText(row.text, d, n);
    EXPECT_EQ(ok, row.events.empty());
    EXPECT_EQ(n.events, row.events);
    ExpectSameDesign(d, row.expected ? Design(row.expected) : Design());
  }
}

// Files that give no design, or one that cannot be analysed, are not
// retrieved: both readers fall back with their own message. The start is
// a sound design, so an empty file cannot pass by leaving it in place.
TEST(DesignFileTest, UnanalysableAndEmptyFilesFallBack) {
  std::string random(4096, '\0');
  std::mt19937 bytes(13);
  for (char& c : random) c = static_cast<char>(bytes());
  const std::pair<const char*, std::string> rows[] = {
      {"Random bytes", random},
      {"Empty", ""},
      {"L1 of 0 turns", CrLf(FortyLines("x", {{6, "L1 turns: 0"}}))},
      {"Sweep range empty", CrLf(FortyLines("x", {{12, "Analysis stop freq: 2400000"}}))},
      {"Termination 0", CrLf(FortyLines("x", {{14, "Input termination: 0"}}))}};
  for (const auto& [name, text] : rows) {
    SCOPED_TRACE(name);
    for (const bool lastSession : {false, true}) {
      model::DesignState d = Design(Forty);
      RecordingNotifier n;
      EXPECT_FALSE(lastSession ? ReadLastSessionText(text, d, n) : ReadDesignText(text, d, n));
      EXPECT_EQ(n.events, Lines{lastSession ? kLastFailed : kDesignFailed});
      ExpectSameDesign(d, Design());
    }
  }
  // A path reader can say why; the Q values of the global defaults are no
  // part of the file and do not count against it.
  TempDir dir;
  WriteText(dir / "turns.TXT", std::get<1>(rows[2]));
  model::DesignState d = Design(Forty);
  RecordingNotifier n;
  DesignReadFailure failure{true, "stale", false};
  EXPECT_FALSE(ReadDesignFile((dir / "turns.TXT").string(), d, n, &failure));
  EXPECT_EQ(failure.reason, "L1 has 0 turns");
  EXPECT_TRUE(failure.unanalysable);
  WriteText(dir / "forty.TXT", CrLf(FortyLines("x")));
  d.InductorQ = d.CapacitorQ = 0.0f;
  EXPECT_TRUE(ReadDesignFile((dir / "forty.TXT").string(), d, n, &failure));
  EXPECT_EQ(failure.reason, "");
}

// The shipped presets read through "Get old" and "Last
// session" exactly as the band buttons have them.
TEST(DesignFileTest, PresetsAndSavedDesignsReadAsBefore) {
  const model::FileLocations shipped{"/nonexistent-folder", DIRU_SOURCE_DATA_DIR};
  for (const std::int16_t band : {160, 80, 60, 40, 30, 20, 17, 15, 12, 10}) {
    SCOPED_TRACE(band);
    RecordingNotifier n;
    model::DesignState preset = Design(Forty);
    files::LoadBandPreset(band, preset, shipped, n);
    const std::string text = ReadText(shipped.dataDir / (std::to_string(band) + ".TXT"));
    for (const bool lastSession : {false, true}) {
      model::DesignState d = Design(Forty);
      EXPECT_TRUE(lastSession ? ReadLastSessionText(text, d, n) : ReadDesignText(text, d, n));
      ExpectSameDesign(d, preset);
    }
    EXPECT_TRUE(n.events.empty());
  }
}

// A write that cannot succeed beeps, tells the user, and leaves the folder
// exactly as it was: an older file intact, no temporary or partial file.
TEST(DesignFileTest, FailedWritesTellAndLeaveTheFolderAsItWas) {
  const std::string kDesignWrite = "The file was not written correctly.", kLast = kLastSessionName;
  // clang-format off
  const struct {
    const char* name;
    std::string target;
    Lines before;         // made first, see MakeEntries
    std::string message;  // also tells which writer
    std::string reason;   // on the second line, after the file
    bool diskFull = false;
    float inductorQ = 200;
  } rows[] = {
      {"Disk full", "d.TXT", {"d.TXT"}, kDesignWrite, "File too large", true},
      {"Last session is a folder", kLast, {kLast + "/", kLast + "/x"},
       "The last-session file was not written correctly.", "Is a directory"},
      {"Spice, InductorQ 0", "a.ASC", {}, kSpiceWriteFailed,
       "the inductors' loss cannot be computed with an inductor Q of 0", false, 0}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    MakeEntries(dir.path(), row.before);
    const auto before = FolderSnapshot(dir.path());
    model::DesignState design = Design();
    design.InductorQ = row.inductorQ;
    const std::string path = (dir / row.target).string();
    RecordingNotifier n;
    EXPECT_FALSE(UnderFileSizeLimit(row.diskFull ? 64 : RLIM_INFINITY, [&] {
      return row.message == kSpiceWriteFailed ? WriteSpiceSchematic(path, design, n)
             : row.message == kDesignWrite    ? WriteDesignFile(path, design, n)
                                              : WriteLastSession({dir.path(), {}}, design, n);
    }));
    EXPECT_EQ(n.events,
              (Lines{"<beep>", row.message + "\r\nCannot write " + path + ": " + row.reason}));
    EXPECT_EQ(FolderSnapshot(dir.path()), before);
  }
}

}  // namespace
}  // namespace diruruzevuv::files
