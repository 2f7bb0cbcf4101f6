#include "drawing/schematic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../platform/canvas_checks.h"
#include "model/circuit/design_state.h"
#include "notation/notation.h"
#include "platform/recording_canvas.h"

namespace diruruzevuv::screens {
namespace {

using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

// The circuit relative to the design screen's origin, as Describe gives
// it, one symbol a line: generator, Rin, C47, L2, C48, L1, C92, C49, Rload,
// five grounds, wires.
constexpr const char* kCircuit =
    R"(A 1000,6300 190 0 6.2 A 940,6300 60 0 3.2 A 1060,6300 60 3.1 6.2 1000,6550-1000,7200 1000,5500-1000,6050 1000,5500-1200,5500
1200,5500-1460,5500 >1490,5440 >1550,5560 >1610,5440 >1670,5560 >1730,5440 >1790,5560 >1820,5500 >2200,5500 W 1500,5150 "Rin" W 1550,5650 "50 "
2200,5500-2200,6200 2075,6200-2325,6200 2075,6260-2325,6260 2200,6260-2200,7200 W 2250,5950 "C47"
2700,5500-2780,5500 A 2860,5500 80 0 3.14159 A 3020,5500 80 0 3.14159 A 3180,5500 80 0 3.14159 W 2900,5150 "L2"
3700,5500-3700,6200 3575,6200-3825,6200 3575,6260-3825,6260 3700,6260-3700,7200 W 3750,5950 "C48"
4200,5500-4280,5500 A 4360,5500 80 0 3.14159 A 4520,5500 80 0 3.14159 A 4680,5500 80 0 3.14159 W 4400,5150 "L1"
4200,4200-4470,4200 4470,4050-4470,4350 4525,4050-4525,4350 4525,4200-4800,4200 W 4300,3800 "C92"
5300,5500-5300,6200 5175,6200-5425,6200 5175,6260-5425,6260 5300,6260-5300,7200 W 5350,5950 "C49"
6600,6000-6600,6320 >6660,6350 >6540,6410 >6660,6470 >6540,6530 >6660,6590 >6540,6650 >6600,6680 >6600,7200 W 6750,6200 "Rload" W 6750,6450 "50 "
850,7200-1150,7200 >1000,7350 >850,7200 2050,7200-2350,7200 >2200,7350 >2050,7200 3550,7200-3850,7200 >3700,7350 >3550,7200
5150,7200-5450,7200 >5300,7350 >5150,7200 6450,7200-6750,7200 >6600,7350 >6450,7200
1950,5500-2200,5500 >2700,5500 3260,5500-4200,5500 4770,5500-5300,5500 3900,5500-3900,4200 >4200,4200 4800,4200-5100,4200
>5100,5500 5200,5500-6600,5500 >6600,6000
)";

// Records the fields; like the design screen, a written AL value is read back
// (here as one more) and the inductances follow before the coil values.
struct RecordingTarget final : drawing::SchematicTarget {
  explicit RecordingTarget(model::Session& s) : session(s) {}
  void SetField(drawing::SchematicField field, const std::string& text) override {
    EXPECT_EQ(static_cast<std::size_t>(field), fields.size()) << text;
    fields.push_back(text);
    if (field != drawing::SchematicField::kAL) return;
    session.design.ToroidAL = notation::ParseValue(text) + 1.0f;
    model::UpdateInductances(session.design);
  }
  model::Session& session;
  std::vector<std::string> fields;
};

// The design screen draws at the origin in width 1, the opening screen
// shifted and in width 2.
TEST(SchematicScreenTest, DrawsTheCircuitAtItsPlaces) {
  for (const bool design : {true, false}) {
    SCOPED_TRACE(design ? "design" : "opening");
    model::Session session;
    model::ApplyDefaultDesign(session.design);
    session.DrawColor = model::kYellow;  // every schematic starts over in blue
    session.design.InductorQ = 200.0f;
    session.design.CapacitorQ = 1000.0f;
    RecordingCanvas canvas;
    std::string expected = testing::OneLine(kCircuit);
    if (design) {
      RecordingTarget target(session);
      drawing::DrawDesignSchematic(canvas, session, target);
      // Each written after the previous one was applied.
      EXPECT_EQ(target.fields, (std::vector<std::string>{
                                   "  3", "Terminations: 50 ohms", " 14", " 12",
                                   "Inductor Q values: 200", "Capacitor Q values: 1000", "200pF",
                                   notation::FormatInductance(4e-9f * 14 * 14), "360pF",
                                   notation::FormatInductance(4e-9f * 12 * 12), "68pF", "200pF"}));
      // Then the legend keys for the two curves; Rload's texts lie lower, clear of "L1 turns:".
      EXPECT_EQ(canvas.Ops().front().kind, Kind::Clear);
      expected = "7500,4750-8200,4750 8500,4750-9200,4750 " + expected;
      expected.replace(expected.find("6750,6200"), 29, "6750,6550 \"Rload\" W 6750,6800");
      const auto lines = canvas.OfKind(Kind::Line);
      EXPECT_EQ(std::pair(lines[0].lineWidth, lines[1].lineWidth), std::pair(2.0, 1.0));
    } else {
      drawing::DrawOpeningSchematic(canvas, session);  // over what is there
    }
    EXPECT_EQ(session.DrawColor, model::kBlue);
    EXPECT_EQ(testing::Describe(canvas, 0.0, design ? 0 : 4300, design ? 0 : 500), expected);
    for (const RecordingCanvas::Op& op : canvas.Ops()) {
      const bool thin = op.kind == Kind::Line,
                 drawn = thin || op.kind == Kind::LineTo || op.kind == Kind::Arc;
      EXPECT_TRUE(!drawn ||
                  (op.colour == model::kBlue && (thin || op.lineWidth == (design ? 1 : 2))));
    }
  }
}

}  // namespace
}  // namespace diruruzevuv::screens
