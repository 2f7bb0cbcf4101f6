#include "files/global_defaults_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "files/settings_file.h"
#include "test_support.h"

namespace diruruzevuv::files {
namespace {

using testing::RecordingNotifier;

const std::string kReset = " and so has been reset to that value.";
const std::string kMult = "Design-assisting bandwidth multiplier must not be ";
const std::string kMultLow = kMult + "less than 1.01" + kReset;
const std::string kMultHigh = kMult + "greater than 1.2" + kReset;
const std::string kTermLow = "Input termination must not be less than 1 ohm" + kReset;
const std::string kTermHigh = "Input termination must not be greater than 1000 ohms" + kReset;
const std::string kIndQ = "Inductor Q must not be less than 10" + kReset;
const std::string kCapQ = "Capacitor Q must not be less than 100" + kReset;

// Fields in read order: passband, 2nd and 3rd harmonic boxes, multiplier, AL,
// grid divisions, plot floor, termination (input, then load), inductor Q, capacitor Q.
const std::vector<float> kShipped{-20, -35, -35, 1.01f, 3, 6, -60, 50, 50, 200, 2000};
const std::vector<float> kMissing{-20, -28, -35, 1.05f, 3, 6, -60, 50, 50, 200, 2000};

// Each row: the values the file holds (a short list is a file that ends
// early), the fields afterwards and the messages in the order they come.
TEST(GlobalDefaultsTest, ReadsChecksAndTells) {
  // clang-format off
  const struct {
    const char* name;
    std::string values;
    std::vector<float> expected;
    std::vector<std::string> messages;
  } rows[] = {
      {"Shipped", "-20 -35 -35 1.01 3 6 -60 50 200 2000", kShipped, {}},
      {"Bounds pass, AL below 1, floor negated, grid to even",
       "-20 -35 -35 1.2 0.2 8.5 60 1000 10 100",
       {-20, -35, -35, 1.2f, 1, 8, -60, 1000, 1000, 10, 100}, {}},
      {"Low", "-20 -35 -35 1.005 3 6 -60 0.5 5 x",
       {-20, -35, -35, 1.01f, 3, 6, -60, 1, 1, 10, 100}, {kMultLow, kTermLow, kIndQ, kCapQ}},
      {"High", "-20 -35 -35 1.5 3 6 -60 2000 200 2000",
       {-20, -35, -35, 1.2f, 3, 6, -60, 1000, 1000, 200, 2000}, {kMultHigh, kTermHigh}},
      {"Ends after AL, still checked", "-20 -35 -35 1.005 3", kShipped, {kMultLow}},
      {"Ends after 2nd box", "-20 -35", {-20, -35, -35, 1.05f, 3, 6, -60, 50, 50, 200, 2000}, {}},
      {"Grid overflow: missing-file set, no checks", "-3 -35 -35 1.005 3 99999", kMissing, {}}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> lines{"title", "* note", "", "date"};
    std::istringstream values(row.values);
    for (std::string value; values >> value;) lines.insert(lines.end(), {"* x: 1", "v: " + value});
    model::DesignState d;
    model::GlobalDefaults g;
    RecordingNotifier n;
    ReadGlobalDefaultsText(testing::CrLf(lines), d, g, n);
    EXPECT_EQ((std::vector<float>{g.PassbandBoxDb, g.SecondHarmonicBoxDb, g.ThirdHarmonicBoxDb,
                                  g.BandwidthMultiplier, d.ToroidAL, float(g.GridDivisions),
                                  g.PlotFloorDb, d.InputTermination, d.LoadTermination, d.InductorQ,
                                  d.CapacitorQ}),
              row.expected);
    EXPECT_EQ(n.events, row.messages);
  }
}

TEST(GlobalDefaultsTest, WorkingFolderFirstThenShippedThenBuiltIn) {
  testing::TempDir work;
  model::DesignState d;
  model::GlobalDefaults g;
  RecordingNotifier n;
  const auto secondBox = [&](const std::filesystem::path& data) {
    ReadGlobalDefaults({work.path(), data}, d, g, n);
    return g.SecondHarmonicBoxDb;
  };
  EXPECT_EQ(secondBox(work / "none"), -28.0f);
  EXPECT_EQ(secondBox(DIRU_SOURCE_DATA_DIR), -35.0f);
  testing::WriteText(work / kGlobalDefaultsName, "t\r\nd\r\n-20\r\n-30\r\n");
  EXPECT_EQ(secondBox(DIRU_SOURCE_DATA_DIR), -30.0f);
  EXPECT_TRUE(n.events.empty());
}

// A value cannot break out of its line or fake another key.
TEST(SettingsFileTest, KeepsEachChoiceOnItsLine) {
  ProgramSettings s;
  s.Set("analyser.port", "/dev/ttyACM0\r\n\x7f" "buildsheet.core=T68-2");
  s.Set("buildsheet.core", "T50-2");
  const std::string text = SettingsText(s);
  EXPECT_EQ(text.substr(text.find("\r\n") + 2),
            "analyser.port=/dev/ttyACM0buildsheet.core=T68-2\r\nbuildsheet.core=T50-2\r\n");
  // A byte-order mark before the first choice, a line without "=" and an empty value.
  const ProgramSettings back =
      ParseSettings("\xEF\xBB\xBF" + text.substr(text.find("\r\n") + 2) + "junk\nx=\n");
  EXPECT_EQ(back.values.size(), 3u);
  EXPECT_EQ(back.Get("analyser.port"), "/dev/ttyACM0buildsheet.core=T68-2");
  EXPECT_EQ(back.Get("buildsheet.core"), "T50-2");
  EXPECT_EQ(back.Get("missing", "E12"), "E12");
}

}  // namespace
}  // namespace diruruzevuv::files
