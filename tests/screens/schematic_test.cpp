#include "screens/schematic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "model/design_state.h"
#include "notation/notation.h"
#include "platform/recording_canvas.h"

namespace diruruzevuv::screens {
namespace {

using platform::GridPoint;
using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

struct Segment {
  GridPoint from;
  GridPoint to;
  friend bool operator==(const Segment&, const Segment&) = default;
};

std::ostream& operator<<(std::ostream& out, const Segment& s) {
  return out << "(" << s.from.x << "," << s.from.y << ")-(" << s.to.x << "," << s.to.y << ")";
}

// Every straight segment drawn, whether by Line or by LineTo.
std::vector<Segment> Segments(const RecordingCanvas& canvas, model::Rgb colour) {
  std::vector<Segment> segments;
  for (const Op& op : canvas.Ops())
    if ((op.kind == Kind::Line || op.kind == Kind::LineTo) && op.colour == colour)
      segments.push_back({op.a, op.b});
  return segments;
}

struct PlacedText {
  std::string text;
  GridPoint at;
  friend bool operator==(const PlacedText&, const PlacedText&) = default;
};

std::ostream& operator<<(std::ostream& out, const PlacedText& t) {
  return out << "\"" << t.text << "\" at (" << t.at.x << "," << t.at.y << ")";
}

// Texts with their positions; each must be placed by a white point.
std::vector<PlacedText> Texts(const RecordingCanvas& canvas) {
  std::vector<PlacedText> texts;
  const auto& ops = canvas.Ops();
  for (std::size_t i = 0; i < ops.size(); ++i) {
    if (ops[i].kind != Kind::Text) continue;
    EXPECT_TRUE(i > 0 && ops[i - 1].kind == Kind::Point && ops[i - 1].colour == model::kWhite &&
                ops[i - 1].a == ops[i].a)
        << ops[i].text;
    texts.push_back({ops[i].text, ops[i].a});
  }
  return texts;
}

// ---------------------------------------------------------------- primitives

struct ArcShape {
  GridPoint centre;
  double radius;
  double start;
  double end;
};

struct PrimitiveRow {
  const char* name;
  std::function<void(platform::Canvas&, double, double)> draw;
  model::Rgb colour;              // with a yellow draw colour: yellow or blue
  std::vector<Segment> segments;  // relative to the anchor
  std::vector<ArcShape> arcs;
  std::vector<PlacedText> texts;
};

Segment S(double x1, double y1, double x2, double y2) {
  return {{x1, y1}, {x2, y2}};
}

// The resistors' zigzag as consecutive segments from the listed corners.
std::vector<Segment> Path(std::vector<GridPoint> points) {
  std::vector<Segment> segments;
  for (std::size_t i = 1; i < points.size(); ++i) segments.push_back({points[i - 1], points[i]});
  return segments;
}

const std::vector<PrimitiveRow>& PrimitiveRows() {
  static const std::vector<PrimitiveRow> rows = {
      {"Generator",
       [](platform::Canvas& c, double x, double y) { DrawGenerator(c, x, y, model::kYellow); },
       model::kYellow,
       {S(0, 1050, 0, 1700), S(0, 0, 0, 550), S(0, 0, 200, 0)},
       {{{0, 800}, 190, 0.0, 6.2}, {{-60, 800}, 60, 0.0, 3.2}, {{60, 800}, 60, 3.1, 6.2}},
       {}},
      {"ResistorH",
       [](platform::Canvas& c, double x, double y) { DrawResistorH(c, x, y, "Rin", "50 "); },
       model::kBlue,
       Path({{0, 0},
             {260, 0},
             {290, -60},
             {350, 60},
             {410, -60},
             {470, 60},
             {530, -60},
             {590, 60},
             {620, 0},
             {1000, 0}}),
       {},
       {{"Rin", {300, -350}}, {"50 ", {350, 150}}}},
      {"ResistorV",
       [](platform::Canvas& c, double x, double y) { DrawResistorV(c, x, y, "Rload", "50 "); },
       model::kBlue,
       Path({{0, 0},
             {0, 320},
             {60, 350},
             {-60, 410},
             {60, 470},
             {-60, 530},
             {60, 590},
             {-60, 650},
             {0, 680},
             {0, 1200}}),
       {},
       {{"Rload", {150, 200}}, {"50 ", {150, 450}}}},
      {"CapacitorH",
       [](platform::Canvas& c, double x, double y) {
         DrawCapacitorH(c, x, y, "C92", model::kYellow);
       },
       model::kYellow,
       {S(0, 0, 270, 0), S(270, -150, 270, 150), S(325, -150, 325, 150), S(325, 0, 600, 0)},
       {},
       {{"C92", {100, -400}}}},
      {"CapacitorV",
       [](platform::Canvas& c, double x, double y) {
         DrawCapacitorV(c, x, y, "C47", model::kYellow);
       },
       model::kYellow,
       {S(0, 0, 0, 700), S(-125, 700, 125, 700), S(-125, 760, 125, 760), S(0, 760, 0, 1700)},
       {},
       {{"C47", {50, 450}}}},
      {"Inductor",
       [](platform::Canvas& c, double x, double y) { DrawInductor(c, x, y, "L2", model::kYellow); },
       model::kYellow,
       {S(0, 0, 80, 0)},
       {{{160, 0}, 80, 0.0, model::kPi},
        {{320, 0}, 80, 0.0, model::kPi},
        {{480, 0}, 80, 0.0, model::kPi}},
       {{"L2", {200, -350}}}},
      {"Ground",
       [](platform::Canvas& c, double x, double y) { DrawGround(c, x, y); },
       model::kBlue,
       Path({{-150, 0}, {150, 0}, {0, 150}, {-150, 0}}),
       {},
       {}},
  };
  return rows;
}

class SchematicPrimitiveTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(SchematicPrimitiveTest, DrawsItsShapesAroundTheAnchor) {
  const PrimitiveRow& row = PrimitiveRows()[GetParam()];
  constexpr double kX = 1000.0;
  constexpr double kY = 2000.0;
  RecordingCanvas canvas;
  row.draw(canvas, kX, kY);

  std::vector<Segment> expected;
  for (const Segment& s : row.segments)
    expected.push_back({{s.from.x + kX, s.from.y + kY}, {s.to.x + kX, s.to.y + kY}});
  EXPECT_EQ(Segments(canvas, row.colour), expected);

  const std::vector<Op> arcs = canvas.OfKind(Kind::Arc);
  ASSERT_EQ(arcs.size(), row.arcs.size());
  for (std::size_t i = 0; i < arcs.size(); ++i) {
    EXPECT_EQ(arcs[i].a, (GridPoint{row.arcs[i].centre.x + kX, row.arcs[i].centre.y + kY}));
    EXPECT_EQ(arcs[i].radius, row.arcs[i].radius);
    EXPECT_EQ(arcs[i].start, row.arcs[i].start);
    EXPECT_EQ(arcs[i].end, row.arcs[i].end);
    EXPECT_EQ(arcs[i].colour, row.colour);
  }

  std::vector<PlacedText> texts;
  for (const PlacedText& t : row.texts) texts.push_back({t.text, {t.at.x + kX, t.at.y + kY}});
  EXPECT_EQ(Texts(canvas), texts);

  // Nothing else: no stray lines in other colours.
  for (const Op& op : canvas.Ops()) {
    if (op.kind == Kind::Line || op.kind == Kind::LineTo || op.kind == Kind::Arc) {
      EXPECT_EQ(op.colour, row.colour);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Primitives, SchematicPrimitiveTest, ::testing::Range<std::size_t>(0, 7),
                         [](const auto& param) {
                           return std::string(PrimitiveRows()[param.param].name);
                         });

// ---------------------------------------------------------- whole schematic

// Records the fields and, like the design screen, reads typed boxes back.
class RecordingTarget final : public SchematicTarget {
 public:
  explicit RecordingTarget(model::Session& session) : m_session(session) {}
  void SetField(SchematicField field, const std::string& text) override {
    fields.emplace_back(field, text);
    if (onSet) onSet(field, text, m_session);
  }
  std::vector<std::pair<SchematicField, std::string>> fields;
  std::function<void(SchematicField, const std::string&, model::Session&)> onSet;

 private:
  model::Session& m_session;
};

class SchematicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model::ApplyDefaultDesign(session.design);
    session.design.InductorQ = 200.0f;
    session.design.CapacitorQ = 1000.0f;
  }
  model::Session session;
  RecordingCanvas canvas;
};

// The wires on the design screen.
const std::vector<Segment> kWires = {S(1950, 5500, 2200, 5500), S(2200, 5500, 2700, 5500),
                                     S(3260, 5500, 4200, 5500), S(4770, 5500, 5300, 5500),
                                     S(3900, 5500, 3900, 4200), S(3900, 4200, 4200, 4200),
                                     S(4800, 4200, 5100, 4200), S(5100, 4200, 5100, 5500),
                                     S(5200, 5500, 6600, 5500), S(6600, 5500, 6600, 6000)};

// Designators and resistor values on the design screen, in drawing order.
const std::vector<PlacedText> kCircuitTexts = {
    {"Rin", {1500, 5150}},   {"50 ", {1550, 5650}}, {"C47", {2250, 5950}}, {"L2", {2900, 5150}},
    {"C48", {3750, 5950}},   {"L1", {4400, 5150}},  {"C92", {4300, 3800}}, {"C49", {5350, 5950}},
    {"Rload", {6750, 6200}}, {"50 ", {6750, 6450}}};

struct ScreenRow {
  const char* name;
  bool design;
  double dx;
  double dy;
  double lineWidth;
};
void PrintTo(const ScreenRow& row, std::ostream* out) {
  *out << row.name;
}

class SchematicScreenTest : public SchematicTest, public ::testing::WithParamInterface<ScreenRow> {
 protected:
  void DrawScreen() {
    if (GetParam().design) {
      RecordingTarget target(session);
      DrawDesignSchematic(canvas, session, target);
    } else {
      DrawOpeningSchematic(canvas, session);
    }
  }
  Segment Moved(const Segment& s) const {
    const ScreenRow& row = GetParam();
    return {{s.from.x + row.dx, s.from.y + row.dy}, {s.to.x + row.dx, s.to.y + row.dy}};
  }
};

TEST_P(SchematicScreenTest, WiresAtTheirPlaces) {
  session.DrawColor = model::kYellow;  // every schematic starts over in blue
  DrawScreen();
  EXPECT_EQ(session.DrawColor, model::kBlue);
  const std::vector<Segment> drawn = Segments(canvas, model::kBlue);
  for (const Segment& wire : kWires)
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), Moved(wire)), drawn.end()) << Moved(wire);
  // The wires are the last thing the circuit draws, in this order.
  ASSERT_GE(drawn.size(), kWires.size());
  const std::vector<Segment> tail(drawn.end() - static_cast<std::ptrdiff_t>(kWires.size()),
                                  drawn.end());
  std::vector<Segment> expected;
  for (const Segment& wire : kWires) expected.push_back(Moved(wire));
  EXPECT_EQ(tail, expected);
}

TEST_P(SchematicScreenTest, GroundsUnderEveryShuntBranch) {
  DrawScreen();
  const std::vector<Segment> drawn = Segments(canvas, model::kBlue);
  for (double x : {1000.0, 2200.0, 3700.0, 5300.0, 6600.0}) {
    const Segment top = Moved(S(x - 150, 7200, x + 150, 7200));
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), top), drawn.end()) << top;
  }
}

TEST_P(SchematicScreenTest, DesignatorsAndResistorValues) {
  DrawScreen();
  const ScreenRow& row = GetParam();
  std::vector<PlacedText> expected;
  for (const PlacedText& t : kCircuitTexts)
    expected.push_back({t.text, {t.at.x + row.dx, t.at.y + row.dy}});
  EXPECT_EQ(Texts(canvas), expected);
}

TEST_P(SchematicScreenTest, GeneratorAndInductorArcs) {
  DrawScreen();
  const ScreenRow& row = GetParam();
  const std::vector<Op> arcs = canvas.OfKind(Kind::Arc);
  ASSERT_EQ(arcs.size(), 9u);  // three in the generator, three per coil
  EXPECT_EQ(arcs[0].a, (GridPoint{1000 + row.dx, 6300 + row.dy}));
  EXPECT_EQ(arcs[0].radius, 190.0);
  EXPECT_EQ(arcs[3].a, (GridPoint{2860 + row.dx, 5500 + row.dy}));  // L2's first hump
  EXPECT_EQ(arcs[8].a, (GridPoint{4680 + row.dx, 5500 + row.dy}));  // L1's last hump
  EXPECT_EQ(arcs[8].end, static_cast<double>(model::kPi));
}

TEST_P(SchematicScreenTest, LineWidthOfTheCircuit) {
  DrawScreen();
  for (const Op& op : canvas.Ops()) {
    if (op.kind != Kind::Arc && op.kind != Kind::LineTo) continue;
    EXPECT_EQ(op.lineWidth, GetParam().lineWidth);
  }
}

INSTANTIATE_TEST_SUITE_P(Screens, SchematicScreenTest,
                         ::testing::Values(ScreenRow{"Design", true, 0, 0, 1},
                                           ScreenRow{"Opening", false, 4300, 500, 2}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(SchematicTest, DesignScreenClearsFirstAndDrawsTheLegendKeys) {
  RecordingTarget target(session);
  DrawDesignSchematic(canvas, session, target);
  ASSERT_FALSE(canvas.Ops().empty());
  EXPECT_EQ(canvas.Ops().front().kind, Kind::Clear);
  const std::vector<Op> lines = canvas.OfKind(Kind::Line);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].a, (GridPoint{7500, 4750}));
  EXPECT_EQ(lines[0].b, (GridPoint{8200, 4750}));
  EXPECT_EQ(lines[0].lineWidth, 2.0);
  EXPECT_EQ(lines[1].a, (GridPoint{8500, 4750}));
  EXPECT_EQ(lines[1].b, (GridPoint{9200, 4750}));
  EXPECT_EQ(lines[1].lineWidth, 1.0);
  EXPECT_EQ(lines[1].colour, model::kBlue);
}

TEST_F(SchematicTest, OpeningScreenDrawsOverWhatIsThere) {
  DrawOpeningSchematic(canvas, session);
  EXPECT_TRUE(canvas.OfKind(Kind::Clear).empty());
  // No legend keys on the opening screen.
  for (const Op& op : canvas.OfKind(Kind::Line)) EXPECT_NE(op.a.y, 4750.0);
  const std::size_t once = canvas.Ops().size();
  DrawOpeningSchematic(canvas, session);
  EXPECT_EQ(canvas.Ops().size(), 2 * once);
}

TEST_F(SchematicTest, FieldsInOrder) {
  RecordingTarget target(session);
  DrawDesignSchematic(canvas, session, target);
  using F = SchematicField;
  const std::vector<std::pair<SchematicField, std::string>> expected = {
      {F::txtAL, "  3"},
      {F::lblTerminations, "Terminations: 50 ohms"},
      {F::txtTurnsL2, " 14"},
      {F::txtTurnsL1, " 12"},
      {F::lblinductorQ, "Inductor Q values: 200"},
      {F::lblcapacitorQ, "Capacitor Q values: 1000"},
      {F::Text1, "200pF"},
      {F::Label2, notation::FormatInductance(session.design.L2)},
      {F::Text3, "360pF"},
      {F::Label4, notation::FormatInductance(session.design.L1)},
      {F::Text5, "68pF"},
      {F::Text6, "200pF"},
  };
  EXPECT_EQ(target.fields, expected);
  EXPECT_EQ(notation::FormatInductance(session.design.L1), "432nH");
}

TEST_F(SchematicTest, EachFieldIsFormattedAfterThePreviousOneWasApplied) {
  RecordingTarget target(session);
  // Typing into txtAL changes the inductances; the screen recomputes them
  // before the coil labels are formatted.
  target.onSet = [](SchematicField field, const std::string& text, model::Session& s) {
    if (field == SchematicField::txtAL) {
      s.design.ToroidAL = 4.0f;
      model::UpdateInductances(s.design);
    }
    if (field == SchematicField::Text1) s.design.C48 = notation::ParseValue(text) * 2.0f;
  };
  DrawDesignSchematic(canvas, session, target);
  ASSERT_EQ(target.fields.size(), 12u);
  EXPECT_EQ(target.fields[7].second, notation::FormatInductance(4e-9f * 14 * 14));
  EXPECT_EQ(target.fields[8].second, "400pF");
}

TEST_F(SchematicTest, BoxesLaidOutAsTheScreenPlacesThem) {
  // Text3 sits at 3759, not 3750.
  EXPECT_EQ(kValueBoxes[2].field, SchematicField::Text3);
  EXPECT_EQ(kValueBoxes[2].left, 3759.0);
  EXPECT_EQ(kValueBoxes[4].top, 4400.0);
}

}  // namespace
}  // namespace diruruzevuv::screens
