#include "drawing/schematic.h"

#include "drawing/schematic_symbols.h"
#include "model/circuit/adjustment.h"
#include "model/circuit/design_state.h"
#include "notation/notation.h"

namespace diruruzevuv::drawing {
namespace {

using model::Rgb;
using platform::Canvas;
using platform::GridPoint;

using drawing::Orientation;

// The screens' symbols: long leads, and only the resistors write a value.
constexpr drawing::SymbolStyle kScreenSymbols{
    .generator = {.centreY = 800,
                  .sineLeftX = -60,
                  .sineRightX = 60,
                  .topFrom = 0,
                  .topTo = 550,
                  .bottomFrom = 1050,
                  .bottomTo = 1700,
                  .tail = 200,
                  .sineBeforeLeads = true},
    .resistorH = {.end = 1000, .labels = {{300, -350}, GridPoint{350, 150}}},
    .resistorV = {.end = 1200, .labels = {{150, 200}, GridPoint{150, 450}}},
    .capacitorH = {.plate = 270,
                   .gap = 55,
                   .halfWidth = 150,
                   .end = 600,
                   .labels = {{100, -400}, std::nullopt}},
    .capacitorV = {.plate = 700,
                   .gap = 60,
                   .halfWidth = 125,
                   .end = 1700,
                   .labels = {{50, 450}, std::nullopt}},
    .inductor = {.leadIn = 80, .end = 0, .labels = {{200, -350}, std::nullopt}},
};

// The design screen writes Rload's texts lower, clear of "L1 turns:" beside it.
constexpr drawing::ResistorShape kDesignLoadResistor{.end = 1200,
                                                     .labels = {{150, 550}, GridPoint{150, 800}}};

// Each part's anchor on the design screen, in the ladder's order.
constexpr GridPoint kPartAnchors[model::kLadderPartCount] = {
    {2200, 5500}, {2700, 5500}, {3700, 5500}, {4200, 5500}, {4200, 4200}, {5300, 5500}};
constexpr GridPoint kGenerator{1000, 5500};
constexpr GridPoint kSourceResistor{1200, 5500};
constexpr GridPoint kLoadResistor{6600, 6000};
constexpr double kGroundY = 7200;

// The opening screen shows the circuit moved by this much.
constexpr double kOpeningDx = 4300.0;
constexpr double kOpeningDy = 500.0;

// The circuit with its anchors on the design screen, moved by (dx, dy).
// The generator and the ladder's parts draw in DrawColor, the resistors
// and the grounds in blue.
void DrawCircuit(Canvas& canvas, const model::Session& session, double dx, double dy,
                 const drawing::ResistorShape& load) {
  const model::DesignState& design = session.design;
  const Rgb colour = session.DrawColor;
  const Rgb blue = model::kBlue;
  const auto at = [dx, dy](GridPoint p) { return GridPoint{p.x + dx, p.y + dy}; };
  drawing::DrawGenerator(canvas, kScreenSymbols.generator, at(kGenerator), colour);
  drawing::DrawResistor(canvas, kScreenSymbols.resistorH, Orientation::kHorizontal,
                        at(kSourceResistor), "Rin",
                        notation::FormatEngineering(design.InputTermination), blue);
  for (int p = 0; p < model::kLadderPartCount; ++p) {
    drawing::DrawLadderPart(canvas, kScreenSymbols, model::LadderPart(p), at(kPartAnchors[p]), {},
                            colour);
  }
  drawing::DrawResistor(canvas, load, Orientation::kVertical, at(kLoadResistor), "Rload",
                        notation::FormatEngineering(design.LoadTermination), blue);
  // A ground under the generator, each shunt part and the load.
  drawing::DrawGround(canvas, at({kGenerator.x, kGroundY}), blue);
  for (int p = 0; p < model::kLadderPartCount; ++p) {
    if (model::IsShunt(model::LadderPart(p)))
      drawing::DrawGround(canvas, at({kPartAnchors[p].x, kGroundY}), blue);
  }
  drawing::DrawGround(canvas, at({kLoadResistor.x, kGroundY}), blue);

  const auto wire = [&at](double x, double y) { return at(GridPoint{x, y}); };
  canvas.Line(wire(1950, 5500), wire(2200, 5500), colour);
  canvas.LineTo(wire(2700, 5500), colour);
  canvas.Line(wire(3260, 5500), wire(4200, 5500), colour);
  canvas.Line(wire(4770, 5500), wire(5300, 5500), colour);
  // The bridge of C92 over L1.
  canvas.Line(wire(3900, 5500), wire(3900, 4200), colour);
  canvas.LineTo(wire(4200, 4200), colour);
  canvas.Line(wire(4800, 4200), wire(5100, 4200), colour);
  canvas.LineTo(wire(5100, 5500), colour);
  canvas.Line(wire(5200, 5500), wire(6600, 5500), colour);
  canvas.LineTo(wire(6600, 6000), colour);
}

}  // namespace

void DrawDesignSchematic(Canvas& canvas, model::Session& session, SchematicTarget& target) {
  using notation::ShortestFloatText;
  using notation::SignedFloatText;
  canvas.Clear();
  session.DrawColor = model::kBlue;

  // Each text is applied by the screen before the next one is formatted, so
  // every value below is read from the design afresh.
  const model::DesignState& design = session.design;
  target.SetField(SchematicField::kAL, model::AlBoxText(design.ToroidAL));
  target.SetField(SchematicField::kTerminations,
                  "Terminations: " + ShortestFloatText(design.InputTermination) + " ohms");
  target.SetField(SchematicField::kTurnsL2, SignedFloatText(static_cast<float>(design.TurnsL2)));
  target.SetField(SchematicField::kTurnsL1, SignedFloatText(static_cast<float>(design.TurnsL1)));
  target.SetField(SchematicField::kInductorQ,
                  "Inductor Q values: " + ShortestFloatText(design.InductorQ));
  target.SetField(SchematicField::kCapacitorQ,
                  "Capacitor Q values: " + ShortestFloatText(design.CapacitorQ));

  // Legend keys beside "Forward:" and "Reflected:".
  canvas.SetLineWidth(2);
  canvas.Line({7500, 4750}, {8200, 4750}, session.DrawColor);
  canvas.SetLineWidth(1);
  canvas.Line({8500, 4750}, {9200, 4750}, session.DrawColor);

  DrawCircuit(canvas, session, 0.0, 0.0, kDesignLoadResistor);

  target.SetField(SchematicField::kC47, notation::FormatCapacitance(design.C47));
  target.SetField(SchematicField::kL2, notation::FormatInductance(design.L2));
  target.SetField(SchematicField::kC48, notation::FormatCapacitance(design.C48));
  target.SetField(SchematicField::kL1, notation::FormatInductance(design.L1));
  target.SetField(SchematicField::kC92, notation::FormatCapacitance(design.C92));
  target.SetField(SchematicField::kC49, notation::FormatCapacitance(design.C49));
}

void DrawOpeningSchematic(Canvas& canvas, model::Session& session) {
  session.DrawColor = model::kBlue;
  canvas.SetLineWidth(1);
  canvas.SetLineWidth(2);
  DrawCircuit(canvas, session, kOpeningDx, kOpeningDy, kScreenSymbols.resistorV);
}

}  // namespace diruruzevuv::drawing
