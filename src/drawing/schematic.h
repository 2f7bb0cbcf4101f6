#pragma once

#include <string>

#include "model/session.h"
#include "platform/canvas.h"

namespace diruruzevuv::drawing {

// The texts the design screen's schematic shows beside the circuit, in the
// order it produces them: the AL value, the terminations, the turns of L2
// and L1, the two Q values, then the value of each ladder part.
enum class SchematicField {
  kAL,
  kTerminations,
  kTurnsL2,
  kTurnsL1,
  kInductorQ,
  kCapacitorQ,
  kC47,
  kL2,
  kC48,
  kL1,
  kC92,
  kC49,
};

// Receives the texts as they are produced. Writing a capacitor value or
// the AL value acts as if the user typed it, so the design holds exactly
// what is displayed: the screen applies each text at once, before the next
// one is formatted.
class SchematicTarget {
 public:
  virtual ~SchematicTarget() = default;
  virtual void SetField(SchematicField field, const std::string& text) = 0;
};

// Design screen: clears the canvas, sets DrawColor to blue, fills the
// fields, draws the legend keys, the circuit and the wires.
void DrawDesignSchematic(platform::Canvas& canvas, model::Session& session,
                         SchematicTarget& target);

// Opening screen: the same circuit moved by (+4300, +500) at line width 2,
// without the value texts; does not clear first.
void DrawOpeningSchematic(platform::Canvas& canvas, model::Session& session);

}  // namespace diruruzevuv::drawing
