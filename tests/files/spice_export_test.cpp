#include "files/spice_export.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/replace_file.h"
#include "model/design_state.h"
#include "model/global_defaults.h"
#include "model/notifier.h"

namespace diruruzevuv::files {
namespace {

class RecordingNotifier final : public model::Notifier {
 public:
  void Message(const std::string& text) override { messages.push_back(text); }
  void Beep() override { ++beeps; }
  std::vector<std::string> messages;
  int beeps = 0;
};

model::DesignState TwentyMetreDesign() {
  model::DesignState design;
  model::ApplyDefaultDesign(design);
  design.InductorQ = 200.0f;
  design.CapacitorQ = 2000.0f;
  return design;
}

// Splits on CR LF and fails on any bare line feed or a missing final line end.
std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text does not end in CR LF";
      lines.push_back(text.substr(start));
      break;
    }
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TempDir {
 public:
  TempDir() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    m_path = std::filesystem::temp_directory_path() /
             (std::string("diru_spice_") + info->name() + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  const std::filesystem::path& path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

const std::vector<std::string> kTwentyMetreLines = {
    "Version 4",
    "SHEET 1 880 680",
    "WIRE 432 -48 400 -48",
    "WIRE 544 -48 496 -48",
    "WIRE 48 64 -48 64",
    "WIRE 176 64 128 64",
    "WIRE 224 64 176 64",
    "WIRE 352 64 304 64",
    "WIRE 400 64 400 -48",
    "WIRE 400 64 352 64",
    "WIRE 432 64 400 64",
    "WIRE 544 64 544 -48",
    "WIRE 544 64 512 64",
    "WIRE 592 64 544 64",
    "WIRE 704 64 592 64",
    "WIRE 704 96 704 64",
    "WIRE -48 112 -48 64",
    "WIRE 176 112 176 64",
    "WIRE 352 112 352 64",
    "WIRE 592 112 592 64",
    "WIRE -48 240 -48 192",
    "WIRE 176 240 176 176",
    "WIRE 352 240 352 176",
    "WIRE 592 240 592 176",
    "WIRE 704 240 704 176",
    "FLAG -48 240 0",
    "FLAG 176 240 0",
    "FLAG 352 240 0",
    "FLAG 592 240 0",
    "FLAG 704 240 0",
    "SYMBOL voltage -48 96 R0",
    "WINDOW 123 25 89 Left 0",
    "WINDOW 39 0 0 Left 0",
    "WINDOW 0 25 25 Left 0",
    "WINDOW 3 24 104 Invisible 0",
    "SYMATTR Value2 AC 2",
    "SYMATTR InstName V1",
    "SYMATTR Value 0",
    "SYMBOL cap 160 112 R0",
    "SYMATTR InstName C47",
    "SYMATTR Value 200pF",
    "SYMBOL cap 336 112 R0",
    "SYMATTR InstName C48",
    "SYMATTR Value 360pF",
    "SYMBOL ind 208 80 R270",
    "WINDOW 0 32 56 VTop 0",
    "WINDOW 3 5 56 VBottom 0",
    "SYMATTR InstName L2",
    "SYMATTR Value 588nH",
    "SYMATTR SpiceLine Rser=0.25862",
    "SYMBOL res 32 80 R270",
    "WINDOW 0 32 56 VTop 0",
    "WINDOW 3 0 56 VBottom 0",
    "SYMATTR InstName Ramp",
    "SYMATTR Value 50 ",
    "SYMBOL ind 416 80 R270",
    "WINDOW 0 32 56 VTop 0",
    "WINDOW 3 5 56 VBottom 0",
    "SYMATTR InstName L1",
    "SYMATTR Value 432nH",
    "SYMATTR SpiceLine Rser=0.19",
    "SYMBOL cap 432 -32 R270",
    "WINDOW 0 32 32 VTop 0",
    "WINDOW 3 0 32 VBottom 0",
    "SYMATTR InstName C92",
    "SYMATTR Value 68pF",
    "SYMBOL cap 576 112 R0",
    "SYMATTR InstName C49",
    "SYMATTR Value 200pF",
    "SYMBOL res 688 80 R0",
    "SYMATTR InstName Rload",
    "SYMATTR Value 50",
    "TEXT -48 -56 Left 0 !.AC DEC 1000  5000000  5E+07 ",
};

// Index of the line after "SYMATTR InstName <name>" whose text starts with
// the given prefix.
std::string AttributeOf(const std::vector<std::string>& lines, const std::string& name,
                        const std::string& prefix) {
  bool inSymbol = false;
  for (const std::string& line : lines) {
    if (line.rfind("SYMBOL ", 0) == 0) inSymbol = false;
    if (line == "SYMATTR InstName " + name) inSymbol = true;
    if (inSymbol && line.rfind(prefix, 0) == 0) return line;
  }
  return {};
}

TEST(SpiceExportTest, TwentyMetreDesignLineByLine) {
  const std::optional<std::string> text = SpiceSchematicText(TwentyMetreDesign());
  ASSERT_TRUE(text.has_value());
  const std::vector<std::string> lines = SplitCrLf(*text);
  ASSERT_EQ(lines.size(), kTwentyMetreLines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], kTwentyMetreLines[i]) << "line " << i + 1;
  }
}

TEST(SpiceExportTest, SeriesResistanceFromLowerEdgeAndQ) {
  const model::DesignState design = TwentyMetreDesign();
  const std::optional<float> l2 = SeriesResistance(design, design.L2);
  const std::optional<float> l1 = SeriesResistance(design, design.L1);
  ASSERT_TRUE(l2 && l1);
  EXPECT_NEAR(*l2, 0.2586, 1e-4);
  EXPECT_NEAR(*l1, 0.19, 1e-4);
  // Single-precision pi, double arithmetic, stored as float.
  EXPECT_EQ(*l2, static_cast<float>(2.0 * static_cast<double>(model::kPi) * 14e6 *
                                    static_cast<double>(5.88e-7f) / 200.0));
}

struct ValueRow {
  const char* name;
  void (*change)(model::DesignState&);
  const char* symbol;
  const char* expected;
};

class SpiceValueTextTest : public testing::TestWithParam<ValueRow> {};

TEST_P(SpiceValueTextTest, Writes) {
  model::DesignState design = TwentyMetreDesign();
  GetParam().change(design);
  const std::optional<std::string> text = SpiceSchematicText(design);
  ASSERT_TRUE(text.has_value());
  const std::vector<std::string> lines = SplitCrLf(*text);
  const std::string symbol = GetParam().symbol;
  const std::string line = symbol == "directive" ? lines.back()
                           : symbol.rfind("Rser", 0) == 0
                               ? AttributeOf(lines, symbol.substr(4), "SYMATTR SpiceLine ")
                               : AttributeOf(lines, symbol, "SYMATTR Value ");
  EXPECT_EQ(line, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpiceValueTextTest,
    testing::Values(
        ValueRow{"TrapNotFitted", [](model::DesignState& d) { d.C92 = 0.0f; }, "C92",
                 "SYMATTR Value "},
        ValueRow{"NanoFaradsAsPico", [](model::DesignState& d) { d.C47 = 2.2e-9f; }, "C47",
                 "SYMATTR Value 2200pF"},
        ValueRow{"MicroFarads", [](model::DesignState& d) { d.C49 = 2.2e-8f; }, "C49",
                 "SYMATTR Value 0.022uF"},
        ValueRow{"MicroHenries",
                 [](model::DesignState& d) {
                   d.TurnsL2 = 40;
                   model::UpdateInductances(d);
                 },
                 "L2", "SYMATTR Value 4.8uH"},
        ValueRow{"SourceKeepsBlank",
                 [](model::DesignState& d) { d.InputTermination = d.LoadTermination = 75.0f; },
                 "Ramp", "SYMATTR Value 75 "},
        ValueRow{"LoadTrimmed",
                 [](model::DesignState& d) { d.InputTermination = d.LoadTermination = 75.0f; },
                 "Rload", "SYMATTR Value 75"},
        ValueRow{"KiloTermination",
                 [](model::DesignState& d) { d.InputTermination = d.LoadTermination = 1500.0f; },
                 "Rload", "SYMATTR Value 1.5k"},
        ValueRow{"LowQ", [](model::DesignState& d) { d.InductorQ = 20.0f; }, "RserL2",
                 "SYMATTR SpiceLine Rser=2.5862"},
        ValueRow{"NegativeSweepStart", [](model::DesignState& d) { d.SweepStart = -5.0f; },
                 "directive", "TEXT -48 -56 Left 0 !.AC DEC 1000 -5  5E+07 "},
        ValueRow{"FractionalSweep",
                 [](model::DesignState& d) {
                   d.SweepStart = 0.5f;
                   d.SweepStop = 14000000.0f;
                 },
                 "directive", "TEXT -48 -56 Left 0 !.AC DEC 1000  0.5  1.4E+07 "}),
    [](const testing::TestParamInfo<ValueRow>& row) { return std::string(row.param.name); });

TEST(SpiceExportTest, NameMustBeLongerThanFourCharacters) {
  EXPECT_FALSE(SpiceNameAccepted(""));
  EXPECT_FALSE(SpiceNameAccepted("a.AS"));
  EXPECT_TRUE(SpiceNameAccepted("a.ASC"));
  EXPECT_STREQ(kSpiceFilter, "Spice schematic files (*.ASC)|*.ASC");
  EXPECT_STREQ(kSpiceDialogTitle, "Write Spice schematic");
}

TEST(SpiceExportTest, WritesExactBytes) {
  TempDir dir;
  const std::filesystem::path target = dir.path() / "twenty.ASC";
  RecordingNotifier notifier;
  ASSERT_TRUE(WriteSpiceSchematic(target.string(), TwentyMetreDesign(), notifier));
  EXPECT_TRUE(notifier.messages.empty());
  EXPECT_EQ(ReadWhole(target), *SpiceSchematicText(TwentyMetreDesign()));
  // Nothing left behind beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

struct UnwritableRow {
  const char* name;
  void (*change)(model::DesignState&);
};

class SpiceUnwritableTest : public testing::TestWithParam<UnwritableRow> {};

// A value that cannot be computed gives the message and leaves an older
// schematic as it was (no half-written file).
TEST_P(SpiceUnwritableTest, MessageAndOldFileIntact) {
  TempDir dir;
  const std::filesystem::path target = dir.path() / "old.ASC";
  { std::ofstream(target, std::ios::binary) << "older schematic\r\n"; }
  model::DesignState design = TwentyMetreDesign();
  GetParam().change(design);
  EXPECT_FALSE(SpiceSchematicText(design).has_value());
  RecordingNotifier notifier;
  EXPECT_FALSE(WriteSpiceSchematic(target.string(), design, notifier));
  ASSERT_EQ(notifier.messages.size(), 1u);
  EXPECT_EQ(notifier.messages[0], "We were not able to write the DIRUruzevuv LTspice file");
  EXPECT_EQ(notifier.beeps, 1);
  EXPECT_EQ(ReadWhole(target), "older schematic\r\n");
  EXPECT_FALSE(std::filesystem::exists(TemporaryPathFor(target.string())));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpiceUnwritableTest,
    testing::Values(UnwritableRow{"InductorQZero",
                                  [](model::DesignState& d) { d.InductorQ = 0.0f; }},
                    UnwritableRow{"InductorQZeroWithoutInductance",
                                  [](model::DesignState& d) {
                                    d.InductorQ = 0.0f;
                                    d.TurnsL1 = 0;
                                    model::UpdateInductances(d);
                                  }},
                    UnwritableRow{"TinyQOverflows",
                                  [](model::DesignState& d) {
                                    d.InductorQ = std::numeric_limits<float>::denorm_min();
                                  }},
                    UnwritableRow{"NaNCapacitor",
                                  [](model::DesignState& d) {
                                    d.C48 = std::numeric_limits<float>::quiet_NaN();
                                  }},
                    UnwritableRow{"InfiniteSweepStop",
                                  [](model::DesignState& d) {
                                    d.SweepStop = std::numeric_limits<float>::infinity();
                                  }}),
    [](const testing::TestParamInfo<UnwritableRow>& row) { return std::string(row.param.name); });

TEST(SpiceExportTest, FailedWriteKeepsOldFile) {
  TempDir dir;
  const std::filesystem::path target = dir.path() / "old.ASC";
  { std::ofstream(target, std::ios::binary) << "older schematic\r\n"; }
  // Something that is not a file stands where the new text would be staged.
  std::filesystem::create_directory(TemporaryPathFor(target.string()));
  RecordingNotifier notifier;
  EXPECT_FALSE(WriteSpiceSchematic(target.string(), TwentyMetreDesign(), notifier));
  EXPECT_EQ(notifier.messages.size(), 1u);
  EXPECT_EQ(ReadWhole(target), "older schematic\r\n");
}

TEST(SpiceExportTest, MissingFolderFails) {
  TempDir dir;
  const std::filesystem::path target = dir.path() / "no such folder" / "x.ASC";
  RecordingNotifier notifier;
  EXPECT_FALSE(WriteSpiceSchematic(target.string(), TwentyMetreDesign(), notifier));
  EXPECT_EQ(notifier.messages.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST(SpiceExportTest, ReplacesExistingFile) {
  TempDir dir;
  const std::filesystem::path target = dir.path() / "old.ASC";
  { std::ofstream(target, std::ios::binary) << "a much longer older schematic than before"; }
  RecordingNotifier notifier;
  ASSERT_TRUE(WriteSpiceSchematic(target.string(), TwentyMetreDesign(), notifier));
  EXPECT_EQ(ReadWhole(target), *SpiceSchematicText(TwentyMetreDesign()));
}

// ---------------------------------------------------------------------------
// Connectivity: the file must describe the intended circuit, with every pin
// on a wire or flag and every wire end on something.

using Point = std::pair<int, int>;

struct Symbol {
  std::string kind;
  std::string name;
  std::array<Point, 2> pins;
};

struct Circuit {
  std::vector<std::pair<Point, Point>> wires;
  std::vector<Point> grounds;
  std::vector<Symbol> symbols;
};

// Pin offsets of the standard symbols in R0.
std::array<Point, 2> PinOffsets(const std::string& kind) {
  if (kind == "voltage") return {{{0, 16}, {0, 96}}};
  if (kind == "cap") return {{{16, 0}, {16, 64}}};
  if (kind == "res" || kind == "ind") return {{{16, 16}, {16, 96}}};
  ADD_FAILURE() << "unknown symbol " << kind;
  return {};
}

Point Rotate(Point offset, const std::string& rotation) {
  if (rotation == "R0") return offset;
  if (rotation == "R270") return {offset.second, -offset.first};
  ADD_FAILURE() << "unknown rotation " << rotation;
  return offset;
}

Circuit ParseCircuit(const std::string& text) {
  Circuit circuit;
  for (const std::string& line : SplitCrLf(text)) {
    std::istringstream in(line);
    std::string word;
    in >> word;
    if (word == "WIRE") {
      Point a;
      Point b;
      in >> a.first >> a.second >> b.first >> b.second;
      circuit.wires.push_back({a, b});
    } else if (word == "FLAG") {
      Point p;
      std::string net;
      in >> p.first >> p.second >> net;
      EXPECT_EQ(net, "0");
      circuit.grounds.push_back(p);
    } else if (word == "SYMBOL") {
      Symbol symbol;
      Point origin;
      std::string rotation;
      in >> symbol.kind >> origin.first >> origin.second >> rotation;
      const auto offsets = PinOffsets(symbol.kind);
      for (std::size_t i = 0; i < 2; ++i) {
        const Point r = Rotate(offsets[i], rotation);
        symbol.pins[i] = {origin.first + r.first, origin.second + r.second};
      }
      circuit.symbols.push_back(symbol);
    } else if (word == "SYMATTR") {
      std::string key;
      in >> key;
      if (key == "InstName") {
        EXPECT_FALSE(circuit.symbols.empty());
        if (!circuit.symbols.empty()) in >> circuit.symbols.back().name;
      }
    }
  }
  return circuit;
}

class Nets {
 public:
  void Join(Point a, Point b) { m_parent[Find(a)] = Find(b); }
  Point Find(Point p) {
    auto it = m_parent.find(p);
    if (it == m_parent.end()) {
      m_parent[p] = p;
      return p;
    }
    if (it->second == p) return p;
    const Point root = Find(it->second);
    m_parent[p] = root;
    return root;
  }

 private:
  std::map<Point, Point> m_parent;
};

void ExpectConnectedFilter(const model::DesignState& design) {
  const std::optional<std::string> text = SpiceSchematicText(design);
  ASSERT_TRUE(text.has_value());
  const Circuit circuit = ParseCircuit(*text);

  std::multiset<Point> wireEnds;
  std::set<Point> pins;
  for (const auto& [a, b] : circuit.wires) {
    wireEnds.insert(a);
    wireEnds.insert(b);
  }
  for (const Symbol& s : circuit.symbols) pins.insert(s.pins.begin(), s.pins.end());
  const std::set<Point> grounds(circuit.grounds.begin(), circuit.grounds.end());

  for (const Symbol& s : circuit.symbols) {
    for (const Point& p : s.pins) {
      EXPECT_TRUE(wireEnds.count(p) > 0 || grounds.count(p) > 0)
          << s.name << " pin at " << p.first << "," << p.second << " is open";
    }
  }
  for (const auto& [a, b] : circuit.wires) {
    for (const Point& p : {a, b}) {
      EXPECT_TRUE(pins.count(p) > 0 || grounds.count(p) > 0 || wireEnds.count(p) > 1)
          << "wire end at " << p.first << "," << p.second << " touches nothing";
    }
  }
  for (const Point& g : grounds) {
    EXPECT_TRUE(wireEnds.count(g) > 0 || pins.count(g) > 0) << "flag on nothing";
  }

  Nets nets;
  for (const auto& [a, b] : circuit.wires) nets.Join(a, b);
  for (const Point& g : circuit.grounds) nets.Join(g, circuit.grounds.front());
  const Point ground = nets.Find(circuit.grounds.front());

  std::map<std::string, std::set<Point>> ends;
  for (const Symbol& s : circuit.symbols) {
    ends[s.name] = {nets.Find(s.pins[0]), nets.Find(s.pins[1])};
    EXPECT_EQ(ends[s.name].size(), 2u) << s.name << " is shorted";
  }
  ASSERT_EQ(ends.size(), 9u);

  // Source: positive pin (the upper one) drives, negative to ground.
  const Symbol& source = circuit.symbols.front();
  ASSERT_EQ(source.name, "V1");
  EXPECT_EQ(nets.Find(source.pins[1]), ground);
  const Point drive = nets.Find(source.pins[0]);

  auto other = [&](const std::string& name, Point known) {
    const std::set<Point>& e = ends[name];
    EXPECT_EQ(e.count(known), 1u) << name << " does not touch the expected net";
    for (const Point& p : e) {
      if (p != known) return p;
    }
    return known;
  };
  const Point afterRamp = other("Ramp", drive);
  EXPECT_EQ(other("C47", afterRamp), ground);
  const Point afterL2 = other("L2", afterRamp);
  EXPECT_EQ(other("C48", afterL2), ground);
  const Point afterL1 = other("L1", afterL2);
  EXPECT_EQ(other("C92", afterL2), afterL1) << "trap not across L1";
  EXPECT_EQ(other("C49", afterL1), ground);
  EXPECT_EQ(other("Rload", afterL1), ground);
  const std::set<Point> distinct = {ground, drive, afterRamp, afterL2, afterL1};
  EXPECT_EQ(distinct.size(), 5u);
}

TEST(SpiceConnectivityTest, BuiltInDesign) {
  ExpectConnectedFilter(TwentyMetreDesign());
}

TEST(SpiceConnectivityTest, ShippedPresets) {
  const std::filesystem::path data(DIRU_SOURCE_DATA_DIR);
  for (const char* band : {"160", "80", "60", "40", "30", "20", "17", "15", "12", "10"}) {
    const std::filesystem::path preset = data / (std::string(band) + ".TXT");
    model::DesignState design = TwentyMetreDesign();
    RecordingNotifier notifier;
    ASSERT_TRUE(ReadDesignFile(preset.string(), design, notifier)) << preset;
    SCOPED_TRACE(preset.string());
    ExpectConnectedFilter(design);
  }
}

// ---------------------------------------------------------------------------
// The command-line tool.

int RunCli(const std::string& arguments, const std::filesystem::path& errors) {
  const std::string command =
      std::string("\"") + DIRU_CLI_PATH + "\" " + arguments + " 2>\"" + errors.string() + "\"";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SpiceCliTest, WrongUsage) {
  TempDir dir;
  const std::filesystem::path errors = dir.path() / "stderr.txt";
  EXPECT_EQ(RunCli("spice", errors), 2);
  EXPECT_NE(ReadWhole(errors).find("spice DESIGN_FILE OUT_FILE"), std::string::npos);
  EXPECT_EQ(RunCli("spice a b c", errors), 2);
}

TEST(SpiceCliTest, UnreadableDesignFails) {
  TempDir dir;
  const std::filesystem::path errors = dir.path() / "stderr.txt";
  const std::filesystem::path out = dir.path() / "out.ASC";
  EXPECT_EQ(
      RunCli("spice \"" + (dir.path() / "missing.TXT").string() + "\" \"" + out.string() + "\"",
             errors),
      1);
  EXPECT_FALSE(ReadWhole(errors).empty());
}

// The command reads the defaults and the design the way the program does
// and writes the same bytes the export gives in-process.
TEST(SpiceCliTest, WritesSchematicOfDesignFile) {
  TempDir dir;
  const std::filesystem::path designPath = dir.path() / "design.TXT";
  const std::filesystem::path out = dir.path() / "out.ASC";
  const std::filesystem::path errors = dir.path() / "stderr.txt";
  model::DesignState saved = TwentyMetreDesign();
  saved.C48 = 3.9e-10f;
  RecordingNotifier notifier;
  ASSERT_TRUE(WriteDesignFile(designPath.string(), saved, notifier));

  model::DesignState expected;
  model::GlobalDefaults defaults;
  ReadGlobalDefaults(model::FileLocations{}, expected, defaults, notifier);
  ASSERT_TRUE(ReadDesignFile(designPath.string(), expected, notifier));
  ASSERT_TRUE(notifier.messages.empty());

  EXPECT_EQ(RunCli("spice \"" + designPath.string() + "\" \"" + out.string() + "\"", errors), 0)
      << ReadWhole(errors);
  EXPECT_EQ(ReadWhole(out), *SpiceSchematicText(expected));
  EXPECT_NE(ReadWhole(out).find("SYMATTR Value 390pF\r\n"), std::string::npos);
}

}  // namespace
}  // namespace diruruzevuv::files
