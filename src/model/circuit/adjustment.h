#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/circuit/design_state.h"

namespace diruruzevuv::model {

// "+1%" and "-1%": times 1.01 and divided by 1.01, stored as float.
float StepCapacitorUp(float capacitance) noexcept;
float StepCapacitorDown(float capacitance) noexcept;

// A turns box read by a spinner click or "Replot": the leading number,
// halves to the even neighbour, limited to 1 .. 32767. resetBoxToOne tells
// the caller to set the box's text to "1" (the count was below 1).
struct TurnsBoxReading {
  std::int16_t turns = 1;
  bool resetBoxToOne = false;
};
TurnsBoxReading ReadTurnsBox(std::string_view text);

// The AL box read by a spinner click or "Replot": ParseValue, below 1
// becomes 1 and the box is to be set to "1".
struct AlBoxReading {
  float al = 1.0f;
  bool resetBoxToOne = false;
};
AlBoxReading ReadAlBox(std::string_view text);

// AL typed: AL from the text, at least 1 (the text stays as typed), then
// the inductances follow.
void AlTextChanged(std::string_view text, DesignState& design);

// A capacitance typed (C47, C48, C92 or C49): the capacitor takes whatever
// the text reads, unchecked.
void CapacitorTextChanged(std::string_view text, float& capacitance);

// The texts the design screen's schematic writes into the AL box and the
// four capacitor boxes. Writing a changed text reads it back into the
// design as a typed one would.
struct ValueBoxes {
  std::string al;
  std::string c47;
  std::string c48;
  std::string c92;
  std::string c49;
};

// Writes the design's values into the boxes as the schematic does and reads
// back every box whose text changed. Returns true when any box changed
// (which hides the worst-case figures).
bool WriteValueBoxes(ValueBoxes& boxes, DesignState& design);

// The AL box's text as the schematic writes it: a space, then AL in signed
// form ("  3").
std::string AlBoxText(float al);

}  // namespace diruruzevuv::model
