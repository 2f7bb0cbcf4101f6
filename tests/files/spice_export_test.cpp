#include "files/spice_export.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace diruruzevuv::files {
namespace {

using namespace testing;

model::DesignState Twenty() {
  return testing::Design([](model::DesignState& d) { d.InductorQ = 200.0f; });
}

// Each source line is one element of the schematic.
// clang-format off
const std::string kTwenty =
    "Version 4\r\nSHEET 1 880 680\r\n"
    "WIRE 432 -48 400 -48\r\nWIRE 544 -48 496 -48\r\nWIRE 48 64 -48 64\r\nWIRE 176 64 128 64\r\n"
    "WIRE 224 64 176 64\r\nWIRE 352 64 304 64\r\nWIRE 400 64 400 -48\r\nWIRE 400 64 352 64\r\n"
    "WIRE 432 64 400 64\r\nWIRE 544 64 544 -48\r\nWIRE 544 64 512 64\r\nWIRE 592 64 544 64\r\n"
    "WIRE 704 64 592 64\r\nWIRE 704 96 704 64\r\nWIRE -48 112 -48 64\r\nWIRE 176 112 176 64\r\n"
    "WIRE 352 112 352 64\r\nWIRE 592 112 592 64\r\nWIRE -48 240 -48 192\r\nWIRE 176 240 176 176\r\n"
    "WIRE 352 240 352 176\r\nWIRE 592 240 592 176\r\nWIRE 704 240 704 176\r\n"
    "FLAG -48 240 0\r\nFLAG 176 240 0\r\nFLAG 352 240 0\r\nFLAG 592 240 0\r\nFLAG 704 240 0\r\n"
    "SYMBOL voltage -48 96 R0\r\nWINDOW 123 25 89 Left 0\r\nWINDOW 39 0 0 Left 0\r\n"
    "WINDOW 0 25 25 Left 0\r\nWINDOW 3 24 104 Invisible 0\r\n"
    "SYMATTR Value2 AC 2\r\nSYMATTR InstName V1\r\nSYMATTR Value 0\r\n"
    "SYMBOL cap 160 112 R0\r\nSYMATTR InstName C47\r\nSYMATTR Value 200pF\r\n"
    "SYMBOL cap 336 112 R0\r\nSYMATTR InstName C48\r\nSYMATTR Value 360pF\r\n"
    "SYMBOL ind 208 80 R270\r\nWINDOW 0 32 56 VTop 0\r\nWINDOW 3 5 56 VBottom 0\r\n"
    "SYMATTR InstName L2\r\nSYMATTR Value 588nH\r\nSYMATTR SpiceLine Rser=0.25862\r\n"
    "SYMBOL res 32 80 R270\r\nWINDOW 0 32 56 VTop 0\r\nWINDOW 3 0 56 VBottom 0\r\n"
    "SYMATTR InstName Ramp\r\nSYMATTR Value 50 \r\n"
    "SYMBOL ind 416 80 R270\r\nWINDOW 0 32 56 VTop 0\r\nWINDOW 3 5 56 VBottom 0\r\n"
    "SYMATTR InstName L1\r\nSYMATTR Value 432nH\r\nSYMATTR SpiceLine Rser=0.19\r\n"
    "SYMBOL cap 432 -32 R270\r\nWINDOW 0 32 32 VTop 0\r\nWINDOW 3 0 32 VBottom 0\r\n"
    "SYMATTR InstName C92\r\nSYMATTR Value 68pF\r\n"
    "SYMBOL cap 576 112 R0\r\nSYMATTR InstName C49\r\nSYMATTR Value 200pF\r\n"
    "SYMBOL res 688 80 R0\r\nSYMATTR InstName Rload\r\nSYMATTR Value 50\r\n"
    "TEXT -48 -56 Left 0 !.AC DEC 1000  5000000  5E+07 \r\n";
// clang-format on

TEST(SpiceExportTest, TwentyMetreDesignLineByLine) {
  model::DesignState d = Twenty();
  const auto text = SpiceSchematicText(d);
  ASSERT_TRUE(text);
  EXPECT_EQ(SplitCrLf(*text), SplitCrLf(kTwenty));
  EXPECT_EQ(*text, kTwenty);  // shown as a diff; also no LF on its own
  d.C92 = 0.0f;               // no trap capacitor: an empty value
  EXPECT_NE(SpiceSchematicText(d)->find("C92\r\nSYMATTR Value \r\n"), std::string::npos);
  EXPECT_FALSE(SpiceNameAccepted("a.AS"));
  EXPECT_TRUE(SpiceNameAccepted("a.ASC"));
}

// Every pin lies on a wire end or a ground flag, and the nets the wires
// make are those of the filter.
void ExpectConnectedFilter(const model::DesignState& design) {
  using Point = std::pair<int, int>;
  std::map<Point, Point> up;  // union-find over points; ground is {-1, -1}, off the grid
  std::function<Point(Point)> net = [&](Point p) {
    auto it = up.try_emplace(p, p).first;
    return it->second == p ? p : it->second = net(it->second);
  };
  std::set<Point> ends;
  std::map<std::string, std::array<Point, 2>> parts;
  std::array<Point, 2> pins{};
  for (const std::string& line : SplitCrLf(SpiceSchematicText(design).value_or(""))) {
    std::istringstream in(line);
    std::string word, kind, rotation;
    Point a, b;
    in >> word;
    if (word == "WIRE" && in >> a.first >> a.second >> b.first >> b.second) {
      ends.insert({a, b});
      up[net(a)] = net(b);
    } else if (word == "FLAG" && in >> a.first >> a.second) {
      ends.insert(a);
      up[net(a)] = net({-1, -1});
    } else if (word == "SYMBOL" && in >> kind >> a.first >> a.second >> rotation) {
      // The pins of the standard symbols in R0; R270 turns them.
      const int top = kind == "cap" ? 0 : 16, bottom = kind == "cap" ? 64 : 96;
      const int side = kind == "voltage" ? 0 : 16;
      pins = rotation == "R270" ? std::array<Point, 2>{{{top, -side}, {bottom, -side}}}
                                : std::array<Point, 2>{{{side, top}, {side, bottom}}};
      for (Point& pin : pins) pin = {a.first + pin.first, a.second + pin.second};
    } else if (line.rfind("SYMATTR InstName ", 0) == 0) {
      parts[line.substr(17)] = pins;
    }
  }
  // The net at the other end of a part whose one end is on `known`.
  const auto other = [&](const char* part, Point known) {
    const std::array<Point, 2>& p = parts[part];
    EXPECT_TRUE(ends.count(p[0]) && ends.count(p[1])) << part << " has an open pin";
    const Point a = net(p[0]), b = net(p[1]);
    EXPECT_TRUE(a != b && (a == known || b == known)) << part << " is misplaced";
    return a == known ? b : a;
  };
  const Point ground = net({-1, -1}), drive = net(parts["V1"][0]);
  EXPECT_EQ(other("V1", ground), drive);
  const Point a = other("Ramp", drive), b = other("L2", a), c = other("L1", b);
  EXPECT_EQ(other("C92", b), c) << "trap not across L1";
  for (auto [part, node] : {std::pair{"C47", a}, {"C48", b}, {"C49", c}, {"Rload", c}})
    EXPECT_EQ(other(part, node), ground) << part;
  EXPECT_EQ((std::set<Point>{ground, drive, a, b, c}).size(), 5u);
  EXPECT_EQ(parts.size(), 9u);
}

TEST(SpiceExportTest, BuiltInDesignAndEveryShippedPresetAreConnected) {
  ExpectConnectedFilter(Twenty());
  for (const char* band : {"160", "80", "60", "40", "30", "20", "17", "15", "12", "10"}) {
    SCOPED_TRACE(band);
    model::DesignState design = Twenty();
    RecordingNotifier n;
    ASSERT_TRUE(ReadDesignFile(DIRU_SOURCE_DATA_DIR "/" + std::string(band) + ".TXT", design, n));
    ExpectConnectedFilter(design);
  }
}

}  // namespace
}  // namespace diruruzevuv::files
