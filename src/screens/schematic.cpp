#include "screens/schematic.h"

#include "model/adjustment.h"
#include "model/design_state.h"
#include "notation/notation.h"

namespace diruruzevuv::screens {
namespace {

using model::Rgb;
using platform::Canvas;
using platform::GridPoint;

void MarkText(Canvas& canvas, double x, double y, std::string_view text) {
  canvas.Point({x, y}, model::kWhite);
  canvas.Text(text);
}

// The opening screen shows the circuit moved by this much.
constexpr double kOpeningDx = 4300.0;
constexpr double kOpeningDy = 500.0;

// The circuit with its anchors on the design screen, moved by (dx, dy).
void DrawCircuit(Canvas& canvas, const model::Session& session, double dx, double dy) {
  const model::DesignState& design = session.design;
  const Rgb colour = session.DrawColor;
  DrawGenerator(canvas, 1000 + dx, 5500 + dy, colour);
  DrawResistorH(canvas, 1200 + dx, 5500 + dy, "Rin",
                notation::FormatEngineering(design.InputTermination));
  DrawCapacitorV(canvas, 2200 + dx, 5500 + dy, "C47", colour);
  DrawInductor(canvas, 2700 + dx, 5500 + dy, "L2", colour);
  DrawCapacitorV(canvas, 3700 + dx, 5500 + dy, "C48", colour);
  DrawInductor(canvas, 4200 + dx, 5500 + dy, "L1", colour);
  DrawCapacitorH(canvas, 4200 + dx, 4200 + dy, "C92", colour);
  DrawCapacitorV(canvas, 5300 + dx, 5500 + dy, "C49", colour);
  DrawResistorV(canvas, 6600 + dx, 6000 + dy, "Rload",
                notation::FormatEngineering(design.LoadTermination));
  for (double x : {1000.0, 2200.0, 3700.0, 5300.0, 6600.0}) DrawGround(canvas, x + dx, 7200 + dy);

  const auto at = [dx, dy](double x, double y) { return GridPoint{x + dx, y + dy}; };
  canvas.Line(at(1950, 5500), at(2200, 5500), colour);
  canvas.LineTo(at(2700, 5500), colour);
  canvas.Line(at(3260, 5500), at(4200, 5500), colour);
  canvas.Line(at(4770, 5500), at(5300, 5500), colour);
  // The bridge of C92 over L1.
  canvas.Line(at(3900, 5500), at(3900, 4200), colour);
  canvas.LineTo(at(4200, 4200), colour);
  canvas.Line(at(4800, 4200), at(5100, 4200), colour);
  canvas.LineTo(at(5100, 5500), colour);
  canvas.Line(at(5200, 5500), at(6600, 5500), colour);
  canvas.LineTo(at(6600, 6000), colour);
}

}  // namespace

void DrawGenerator(Canvas& canvas, double x, double y, Rgb drawColor) {
  // Stops at 6.2 rather than 2 pi: the small gap on the right is intended.
  canvas.Arc({x, y + 800}, 190, 0.0, 6.2, drawColor);
  // One period of a sine inside the circle.
  canvas.Arc({x - 60, y + 800}, 60, 0.0, 3.2, drawColor);
  canvas.Arc({x + 60, y + 800}, 60, 3.1, 6.2, drawColor);
  canvas.Line({x, y + 1050}, {x, y + 1700}, drawColor);
  canvas.Line({x, y}, {x, y + 550}, drawColor);
  canvas.Line({x, y}, {x + 200, y}, drawColor);
}

void DrawResistorH(Canvas& canvas, double x, double y, std::string_view designator,
                   std::string_view value) {
  const Rgb blue = model::kBlue;
  canvas.Line({x, y}, {x + 260, y}, blue);
  const GridPoint zigzag[] = {{x + 290, y - 60}, {x + 350, y + 60}, {x + 410, y - 60},
                              {x + 470, y + 60}, {x + 530, y - 60}, {x + 590, y + 60},
                              {x + 620, y},      {x + 1000, y}};
  for (const GridPoint& p : zigzag) canvas.LineTo(p, blue);
  MarkText(canvas, x + 300, y - 350, designator);
  MarkText(canvas, x + 350, y + 150, value);
}

void DrawResistorV(Canvas& canvas, double x, double y, std::string_view designator,
                   std::string_view value) {
  const Rgb blue = model::kBlue;
  canvas.Line({x, y}, {x, y + 320}, blue);
  const GridPoint zigzag[] = {{x + 60, y + 350}, {x - 60, y + 410}, {x + 60, y + 470},
                              {x - 60, y + 530}, {x + 60, y + 590}, {x - 60, y + 650},
                              {x, y + 680},      {x, y + 1200}};
  for (const GridPoint& p : zigzag) canvas.LineTo(p, blue);
  MarkText(canvas, x + 150, y + 200, designator);
  MarkText(canvas, x + 150, y + 450, value);
}

void DrawCapacitorH(Canvas& canvas, double x, double y, std::string_view designator,
                    Rgb drawColor) {
  canvas.Line({x, y}, {x + 270, y}, drawColor);
  canvas.Line({x + 270, y - 150}, {x + 270, y + 150}, drawColor);
  canvas.Line({x + 325, y - 150}, {x + 325, y + 150}, drawColor);
  canvas.Line({x + 325, y}, {x + 600, y}, drawColor);
  MarkText(canvas, x + 100, y - 400, designator);
}

void DrawCapacitorV(Canvas& canvas, double x, double y, std::string_view designator,
                    Rgb drawColor) {
  canvas.Line({x, y}, {x, y + 700}, drawColor);
  canvas.Line({x - 125, y + 700}, {x + 125, y + 700}, drawColor);
  canvas.Line({x - 125, y + 760}, {x + 125, y + 760}, drawColor);
  canvas.Line({x, y + 760}, {x, y + 1700}, drawColor);
  MarkText(canvas, x + 50, y + 450, designator);
}

void DrawInductor(Canvas& canvas, double x, double y, std::string_view designator, Rgb drawColor) {
  canvas.Line({x, y}, {x + 80, y}, drawColor);
  // Three humps above the line, with the program's single-precision pi.
  for (int k = 1; k <= 3; ++k) canvas.Arc({x + 160.0 * k, y}, 80, 0.0, model::kPi, drawColor);
  MarkText(canvas, x + 200, y - 350, designator);
}

void DrawGround(Canvas& canvas, double x, double y) {
  const Rgb blue = model::kBlue;
  canvas.Line({x - 150, y}, {x + 150, y}, blue);
  canvas.LineTo({x, y + 150}, blue);
  canvas.LineTo({x - 150, y}, blue);
}

void DrawDesignSchematic(Canvas& canvas, model::Session& session, SchematicTarget& target) {
  using notation::ShortestFloatText;
  using notation::SignedFloatText;
  canvas.Clear();
  session.DrawColor = model::kBlue;

  // Each text is applied by the screen before the next one is formatted, so
  // every value below is read from the design afresh.
  const model::DesignState& design = session.design;
  target.SetField(SchematicField::txtAL, model::AlBoxText(design.ToroidAL));
  target.SetField(SchematicField::lblTerminations,
                  "Terminations: " + ShortestFloatText(design.InputTermination) + " ohms");
  target.SetField(SchematicField::txtTurnsL2, SignedFloatText(static_cast<float>(design.TurnsL2)));
  target.SetField(SchematicField::txtTurnsL1, SignedFloatText(static_cast<float>(design.TurnsL1)));
  target.SetField(SchematicField::lblinductorQ,
                  "Inductor Q values: " + ShortestFloatText(design.InductorQ));
  target.SetField(SchematicField::lblcapacitorQ,
                  "Capacitor Q values: " + ShortestFloatText(design.CapacitorQ));

  // Legend keys beside "Forward:" and "Reflected:".
  canvas.SetLineWidth(2);
  canvas.Line({7500, 4750}, {8200, 4750}, session.DrawColor);
  canvas.SetLineWidth(1);
  canvas.Line({8500, 4750}, {9200, 4750}, session.DrawColor);

  DrawCircuit(canvas, session, 0.0, 0.0);

  target.SetField(SchematicField::Text1, notation::FormatCapacitance(design.C47));
  target.SetField(SchematicField::Label2, notation::FormatInductance(design.L2));
  target.SetField(SchematicField::Text3, notation::FormatCapacitance(design.C48));
  target.SetField(SchematicField::Label4, notation::FormatInductance(design.L1));
  target.SetField(SchematicField::Text5, notation::FormatCapacitance(design.C92));
  target.SetField(SchematicField::Text6, notation::FormatCapacitance(design.C49));
}

void DrawOpeningSchematic(Canvas& canvas, model::Session& session) {
  session.DrawColor = model::kBlue;
  canvas.SetLineWidth(1);
  canvas.SetLineWidth(2);
  DrawCircuit(canvas, session, kOpeningDx, kOpeningDy);
}

}  // namespace diruruzevuv::screens
