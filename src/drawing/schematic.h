#pragma once

#include <string>

#include "model/session.h"
#include "platform/canvas.h"

namespace diruruzevuv::drawing {

// The controls that the design screen's schematic fills, in the order it
// fills them.
enum class SchematicField {
  txtAL,
  lblTerminations,
  txtTurnsL2,
  txtTurnsL1,
  lblinductorQ,
  lblcapacitorQ,
  Text1,   // C47 box
  Label2,  // L2 label
  Text3,   // C48 box
  Label4,  // L1 label
  Text5,   // C92 box
  Text6,   // C49 box
};

// Receives the texts as they are produced. Writing a capacitor box or the
// AL box acts as if the user typed it, so the design holds exactly what is
// displayed: the screen applies each text at once, before the next one is
// formatted.
class SchematicTarget {
 public:
  virtual ~SchematicTarget() = default;
  virtual void SetField(SchematicField field, const std::string& text) = 0;
};

// Layout of the value boxes (grid units): left, top; every box 900 x 300.
struct BoxPlace {
  SchematicField field;
  double left;
  double top;
};
inline constexpr BoxPlace kValueBoxes[] = {
    {SchematicField::Text1, 2250, 6300}, {SchematicField::Label2, 2800, 5550},
    {SchematicField::Text3, 3759, 6300}, {SchematicField::Label4, 4250, 5550},
    {SchematicField::Text5, 4050, 4400}, {SchematicField::Text6, 5350, 6300},
};

// Design screen: clears the canvas, sets DrawColor to blue, fills the
// fields, draws the legend keys, the circuit and the wires.
void DrawDesignSchematic(platform::Canvas& canvas, model::Session& session,
                         SchematicTarget& target);

// Opening screen: the same circuit moved by (+4300, +500) at line width 2,
// without value boxes; does not clear first.
void DrawOpeningSchematic(platform::Canvas& canvas, model::Session& session);

}  // namespace diruruzevuv::drawing
