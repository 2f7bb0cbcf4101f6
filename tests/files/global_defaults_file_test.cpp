#include "files/global_defaults_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace diruruzevuv::files {
namespace {

using testing::RecordingNotifier;
using testing::TempDir;
using testing::WriteText;

const std::string kMultLow =
    "Design-assisting bandwidth multiplier must not be less than 1.01 and so has been reset to "
    "that value.";
const std::string kMultHigh =
    "Design-assisting bandwidth multiplier must not be greater than 1.2 and so has been reset to "
    "that value.";
const std::string kTermLow =
    "Input termination must not be less than 1 ohm and so has been reset to that value.";
const std::string kTermHigh =
    "Input termination must not be greater than 1000 ohms and so has been reset to that value.";
const std::string kIndQ =
    "Inductor Q must not be less than 10 and so has been reset to that value.";
const std::string kCapQ =
    "Capacitor Q must not be less than 100 and so has been reset to that value.";

// The ten values after the two header lines, as text.
struct Values {
  std::string passband = "-20", second = "-35", third = "-35", mult = "1.01", al = "3", grid = "6",
              floor = "-60", term = "50", indQ = "200", capQ = "2000";
};

std::string Text(const Values& v, int keep = 10) {
  std::vector<std::string> labelled{"Passband box: " + v.passband,  "2nd harmonic box: " + v.second,
                                    "3rd harmonic box: " + v.third, "Multiplier: " + v.mult,
                                    "Toroid AL: " + v.al,           "Grid divisions: " + v.grid,
                                    "Plot floor: " + v.floor,       "Termination: " + v.term,
                                    "Inductor Q: " + v.indQ,        "Capacitor Q: " + v.capQ};
  labelled.resize(static_cast<std::size_t>(keep));
  std::string text = "DIRUruzevuv global defaults\r\nhand edited\r\n";
  for (const auto& line : labelled) text += line + "\r\n";
  return text;
}

// The fields after a read, for comparison in one go.
struct Outcome {
  float passband, second, third, mult, al;
  int grid;
  float floor, term, load, indQ, capQ;
  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
  return os << o.passband << ' ' << o.second << ' ' << o.third << ' ' << o.mult << ' ' << o.al
            << ' ' << o.grid << ' ' << o.floor << ' ' << o.term << ' ' << o.load << ' ' << o.indQ
            << ' ' << o.capQ;
}

Outcome Capture(const model::DesignState& d, const model::GlobalDefaults& g) {
  return {g.PassbandBoxDb,   g.SecondHarmonicBoxDb, g.ThirdHarmonicBoxDb, g.BandwidthMultiplier,
          d.ToroidAL,        g.GridDivisions,       g.PlotFloorDb,        d.InputTermination,
          d.LoadTermination, d.InductorQ,           d.CapacitorQ};
}

const Outcome kShipped{-20, -35, -35, 1.01f, 3, 6, -60, 50, 50, 200, 2000};
const Outcome kMissing{-20, -28, -35, 1.05f, 3, 6, -60, 50, 50, 200, 2000};

struct Row {
  const char* name;
  std::string text;
  Outcome expected;
  std::vector<std::string> messages;
};
void PrintTo(const Row& row, std::ostream* os) {
  *os << row.name;
}

Values With(void (*change)(Values&)) {
  Values v;
  change(v);
  return v;
}

Outcome Changed(Outcome o, void (*change)(Outcome&)) {
  change(o);
  return o;
}

class GlobalDefaultsTest : public ::testing::TestWithParam<Row> {};

TEST_P(GlobalDefaultsTest, ReadsChecksAndTells) {
  const auto& row = GetParam();
  model::DesignState d;
  d.LoadTermination = -1.0f;
  model::GlobalDefaults g;
  RecordingNotifier n;
  ReadGlobalDefaultsText(row.text, d, g, n);
  EXPECT_EQ(Capture(d, g), row.expected);
  EXPECT_EQ(n.events, row.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GlobalDefaultsTest,
    ::testing::Values(
        Row{"Shipped", Text({}), kShipped, {}},
        Row{"LfOnlyWithComments",
            "* header\ntitle\n\n* "
            "more\ndate\n-20\n*x\n-35\n\n-35\n1.01\n3\n6\n-60\n50\n200\n2000\n",
            kShipped,
            {}},
        Row{"MultiplierTooLow",
            Text(With([](Values& v) { v.mult = "1.005"; })),
            Changed(kShipped, [](Outcome& o) { o.mult = 1.01f; }),
            {kMultLow}},
        Row{"MultiplierTooHigh",
            Text(With([](Values& v) { v.mult = "1.5"; })),
            Changed(kShipped, [](Outcome& o) { o.mult = 1.2f; }),
            {kMultHigh}},
        Row{"BoundsPass",
            Text(With([](Values& v) {
              v.mult = "1.2";
              v.term = "1000";
              v.indQ = "10";
              v.capQ = "100";
            })),
            Changed(kShipped,
                    [](Outcome& o) {
                      o.mult = 1.2f;
                      o.term = o.load = 1000;
                      o.indQ = 10;
                      o.capQ = 100;
                    }),
            {}},
        Row{"ThreeLowValues",
            Text(With([](Values& v) {
              v.term = "0.5";
              v.indQ = "5";
              v.capQ = "50";
            })),
            Changed(kShipped,
                    [](Outcome& o) {
                      o.term = o.load = 1;
                      o.indQ = 10;
                      o.capQ = 100;
                    }),
            {kTermLow, kIndQ, kCapQ}},
        Row{"NoNumbersAllFire",
            Text(With([](Values& v) { v.mult = v.term = v.indQ = v.capQ = v.al = "none"; })),
            Changed(kShipped,
                    [](Outcome& o) {
                      o.mult = 1.01f;
                      o.al = 1;
                      o.term = o.load = 1;
                      o.indQ = 10;
                      o.capQ = 100;
                    }),
            {kMultLow, kTermLow, kIndQ, kCapQ}},
        Row{"HighTermination",
            Text(With([](Values& v) { v.term = "2000"; })),
            Changed(kShipped, [](Outcome& o) { o.term = o.load = 1000; }),
            {kTermHigh}},
        Row{"PositiveFloorIsNegated", Text(With([](Values& v) { v.floor = "60"; })), kShipped, {}},
        Row{"SmallAlRaisedSilently",
            Text(With([](Values& v) { v.al = "0.2"; })),
            Changed(kShipped, [](Outcome& o) { o.al = 1; }),
            {}},
        Row{"GridHalvesToEven",
            Text(With([](Values& v) { v.grid = "8.5"; })),
            Changed(kShipped, [](Outcome& o) { o.grid = 8; }),
            {}},
        // A short file: what it supplies is used and checked, the rest
        // takes the missing-file set, and the load follows the input.
        Row{"EndsAfterAl",
            Text(With([](Values& v) { v.mult = "1.005"; }), 5),
            Changed(kShipped, [](Outcome& o) { o.mult = 1.01f; }),
            {kMultLow}},
        Row{"EndsAfterSecondBox",
            Text({}, 2),
            Changed(kMissing, [](Outcome& o) { o.second = -35; }),
            {}},
        Row{"Empty", "", kMissing, {}},
        // An unreadable grid value: the missing-file set everywhere, even
        // over what was read, and no checks.
        Row{"GridOverflow",
            Text(
                With([](Values& v) {
                  v.passband = "-3";
                  v.mult = "1.005";
                  v.grid = "99999";
                })),
            kMissing,
            {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(GlobalDefaultsLookupTest, WorkingFolderFirstThenShippedThenBuiltIn) {
  TempDir work;
  TempDir data;
  const model::FileLocations where{work.path(), data.path()};
  model::DesignState d;
  model::GlobalDefaults g;
  RecordingNotifier n;

  ReadGlobalDefaults(where, d, g, n);
  EXPECT_EQ(Capture(d, g), kMissing);

  WriteText(data / "DIRUruzevuvGlobalDefaults.TXT", Text(With([](Values& v) { v.grid = "4"; })));
  ReadGlobalDefaults(where, d, g, n);
  EXPECT_EQ(g.GridDivisions, 4);

  WriteText(work / "DIRUruzevuvGlobalDefaults.TXT", Text(With([](Values& v) { v.grid = "8"; })));
  ReadGlobalDefaults(where, d, g, n);
  EXPECT_EQ(g.GridDivisions, 8);
  EXPECT_TRUE(n.events.empty());
}

TEST(GlobalDefaultsLookupTest, ShippedFileGivesTheDocumentedSet) {
  TempDir work;
  model::DesignState d;
  model::GlobalDefaults g;
  RecordingNotifier n;
  ReadGlobalDefaults({work.path(), DIRU_SOURCE_DATA_DIR}, d, g, n);
  EXPECT_EQ(Capture(d, g), kShipped);
  EXPECT_TRUE(n.events.empty());
}

}  // namespace
}  // namespace diruruzevuv::files
