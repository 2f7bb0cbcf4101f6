#include "drawing/schematic_symbols.h"

#include "model/circuit/design_state.h"

namespace diruruzevuv::drawing {
namespace {

void PlaceText(Canvas& canvas, GridPoint at, std::string_view text) {
  canvas.Point(at, model::kWhite);
  canvas.Text(text);
}

GridPoint Offset(GridPoint at, GridPoint by) {
  return {at.x + by.x, at.y + by.y};
}

// A point along the symbol's axis and across it.
GridPoint Along(GridPoint at, Orientation orientation, double along, double across) {
  return orientation == Orientation::kHorizontal ? GridPoint{at.x + along, at.y + across}
                                                 : GridPoint{at.x + across, at.y + along};
}

void WriteLabels(Canvas& canvas, const SymbolLabels& labels, GridPoint at,
                 std::string_view designator, std::string_view value) {
  if (labels.value && labels.valueFirst) PlaceText(canvas, Offset(at, *labels.value), value);
  PlaceText(canvas, Offset(at, labels.designator), designator);
  if (labels.value && !labels.valueFirst) PlaceText(canvas, Offset(at, *labels.value), value);
}

}  // namespace

void DrawGenerator(Canvas& canvas, const GeneratorShape& shape, GridPoint at, Rgb ink) {
  const double x = at.x;
  const double y = at.y;
  // Stops at 6.2 rather than 2 pi: the small gap on the right is intended.
  canvas.Arc({x, y + shape.centreY}, 190, 0.0, 6.2, ink);
  const auto sine = [&] {
    canvas.Arc({x + shape.sineLeftX, y + shape.centreY}, 60, 0.0, 3.2, ink);
    canvas.Arc({x + shape.sineRightX, y + shape.centreY}, 60, 3.1, 6.2, ink);
  };
  if (shape.sineBeforeLeads) sine();
  canvas.Line({x, y + shape.bottomFrom}, {x, y + shape.bottomTo}, ink);
  canvas.Line({x, y + shape.topFrom}, {x, y + shape.topTo}, ink);
  if (shape.tail != 0.0) canvas.Line({x, y}, {x + shape.tail, y}, ink);
  if (!shape.sineBeforeLeads) sine();
}

void DrawResistor(Canvas& canvas, const ResistorShape& shape, Orientation orientation,
                  GridPoint at, std::string_view designator, std::string_view value, Rgb ink) {
  // Lying, the zigzag starts upwards after a lead of 260; standing, it
  // starts to the right after 320.
  const bool lying = orientation == Orientation::kHorizontal;
  const double lead = lying ? 260 : 320;
  const double first = lying ? -60 : 60;
  canvas.Line(at, Along(at, orientation, lead, 0), ink);
  for (int k = 0; k < 6; ++k)
    canvas.LineTo(Along(at, orientation, lead + 30 + 60 * k, k % 2 == 0 ? first : -first), ink);
  canvas.LineTo(Along(at, orientation, lead + 360, 0), ink);
  canvas.LineTo(Along(at, orientation, shape.end, 0), ink);
  WriteLabels(canvas, shape.labels, at, designator, value);
}

void DrawCapacitor(Canvas& canvas, const CapacitorShape& shape, Orientation orientation,
                   GridPoint at, std::string_view designator, std::string_view value, Rgb ink) {
  const double second = shape.plate + shape.gap;
  const double w = shape.halfWidth;
  canvas.Line(at, Along(at, orientation, shape.plate, 0), ink);
  canvas.Line(Along(at, orientation, shape.plate, -w), Along(at, orientation, shape.plate, w), ink);
  canvas.Line(Along(at, orientation, second, -w), Along(at, orientation, second, w), ink);
  canvas.Line(Along(at, orientation, second, 0), Along(at, orientation, shape.end, 0), ink);
  WriteLabels(canvas, shape.labels, at, designator, value);
}

void DrawInductor(Canvas& canvas, const InductorShape& shape, GridPoint at,
                  std::string_view designator, std::string_view value, Rgb ink) {
  const double x = at.x;
  const double y = at.y;
  canvas.Line(at, {x + shape.leadIn, y}, ink);
  // Three humps above the line, with the program's single-precision pi.
  for (int k = 0; k < 3; ++k)
    canvas.Arc({x + (shape.leadIn + 80 + 160 * k), y}, 80, 0.0, model::kPi, ink);
  const double humpsEnd = shape.leadIn + 480;
  if (shape.end > humpsEnd) canvas.Line({x + humpsEnd, y}, {x + shape.end, y}, ink);
  WriteLabels(canvas, shape.labels, at, designator, value);
}

void DrawGround(Canvas& canvas, GridPoint at, Rgb ink) {
  const double x = at.x;
  const double y = at.y;
  canvas.Line({x - 150, y}, {x + 150, y}, ink);
  canvas.LineTo({x, y + 150}, ink);
  canvas.LineTo({x - 150, y}, ink);
}

void DrawLadderPart(Canvas& canvas, const SymbolStyle& style, model::LadderPart part,
                    GridPoint at, std::string_view value, Rgb ink) {
  const model::LadderPartInfo& info = model::kLadderParts[part];
  if (info.kind == model::PartKind::kInductor) {
    DrawInductor(canvas, style.inductor, at, info.name, value, ink);
  } else if (model::IsShunt(part)) {
    DrawCapacitor(canvas, style.capacitorV, Orientation::kVertical, at, info.name, value, ink);
  } else {
    DrawCapacitor(canvas, style.capacitorH, Orientation::kHorizontal, at, info.name, value, ink);
  }
}

}  // namespace diruruzevuv::drawing
