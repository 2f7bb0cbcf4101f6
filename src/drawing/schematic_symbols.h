#pragma once

#include <optional>
#include <string_view>

#include "model/circuit/ladder.h"
#include "platform/canvas.h"

namespace diruruzevuv::drawing {

using platform::Canvas;
using platform::GridPoint;
using platform::Rgb;

// The schematic symbols, drawn the same way on the screens and on the
// printed report. The two differ only in the numbers below (lead lengths,
// plate sizes, where the texts go) and in their inks, so each keeps a
// SymbolStyle and both draw through these functions. All offsets are
// relative to the symbol's anchor, in the drawing's own units; the code is
// standard C++ on the canvas interface, without Qt.

// Where a symbol writes its designator and, if at all, its value. A text
// is placed by plotting a white point at its top left corner.
struct SymbolLabels {
  GridPoint designator;
  std::optional<GridPoint> value;
  bool valueFirst = false;  // the report writes the value before the name
};

// The generator: a circle (with a small gap on the right) around one
// period of a sine, with leads above and below and a tail to the right.
struct GeneratorShape {
  double centreY;
  double sineLeftX, sineRightX;  // centres of the sine's two half waves
  double topFrom, topTo;         // the upper lead, drawn from topFrom to topTo
  double bottomFrom, bottomTo;
  double tail;             // length of the lead to the right; 0 for none
  bool sineBeforeLeads;    // the screen draws the sine first, the page last
};

// A zigzag resistor: its lead ends this far from the anchor.
struct ResistorShape {
  double end;
  SymbolLabels labels;
};

// Two plates: the first this far along, the second gap after it.
struct CapacitorShape {
  double plate;
  double gap;
  double halfWidth;
  double end;
  SymbolLabels labels;
};

// A toroid drawn as three humps after a lead of leadIn; a trailing lead
// runs on to end when end lies past the humps.
struct InductorShape {
  double leadIn;
  double end;
  SymbolLabels labels;
};

struct SymbolStyle {
  GeneratorShape generator;
  ResistorShape resistorH, resistorV;
  CapacitorShape capacitorH, capacitorV;
  InductorShape inductor;
};

enum class Orientation { kHorizontal, kVertical };

void DrawGenerator(Canvas& canvas, const GeneratorShape& shape, GridPoint at, Rgb ink);
void DrawResistor(Canvas& canvas, const ResistorShape& shape, Orientation orientation,
                  GridPoint at, std::string_view designator, std::string_view value, Rgb ink);
void DrawCapacitor(Canvas& canvas, const CapacitorShape& shape, Orientation orientation,
                   GridPoint at, std::string_view designator, std::string_view value, Rgb ink);
void DrawInductor(Canvas& canvas, const InductorShape& shape, GridPoint at,
                  std::string_view designator, std::string_view value, Rgb ink);
// A triangle pointing down, its top side centred on the anchor.
void DrawGround(Canvas& canvas, GridPoint at, Rgb ink);

// A part of the ladder by its kind, named as the ladder names it: a shunt
// capacitor stands upright, a capacitor across a series part lies, an
// inductor is a toroid. The value text is written only where the style
// places one.
void DrawLadderPart(Canvas& canvas, const SymbolStyle& style, model::LadderPart part,
                    GridPoint at, std::string_view value, Rgb ink);

}  // namespace diruruzevuv::drawing
