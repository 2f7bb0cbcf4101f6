#include "model/circuit/adjustment.h"

#include <cmath>

#include "notation/leading_number.h"
#include "notation/notation.h"

namespace diruruzevuv::model {
float StepCapacitorUp(float capacitance) noexcept {
  return static_cast<float>(static_cast<double>(capacitance) * 1.01);
}

float StepCapacitorDown(float capacitance) noexcept {
  return static_cast<float>(static_cast<double>(capacitance) / 1.01);
}

TurnsBoxReading ReadTurnsBox(std::string_view text) {
  const double number = notation::LeadingNumber(text);
  TurnsBoxReading reading;
  if (!(number < INT16_MAX)) {  // also catches an infinite number
    reading.turns = INT16_MAX;
    return reading;
  }
  const double rounded = notation::RoundHalfEven(number);
  if (rounded < 1.0) {
    reading.turns = 1;
    reading.resetBoxToOne = true;
    return reading;
  }
  reading.turns = static_cast<std::int16_t>(rounded);
  return reading;
}

AlBoxReading ReadAlBox(std::string_view text) {
  AlBoxReading reading;
  reading.al = notation::ParseValue(text);
  if (!(reading.al >= 1.0f)) {
    reading.al = 1.0f;
    reading.resetBoxToOne = true;
  }
  return reading;
}

void AlTextChanged(std::string_view text, DesignState& design) {
  const float al = notation::ParseValue(text);
  SetToroidAL(design, al >= 1.0f ? al : 1.0f);
}

void CapacitorTextChanged(std::string_view text, float& capacitance) {
  capacitance = notation::ParseValue(text);
}

std::string AlBoxText(float al) {
  std::string text = " ";
  text += notation::SignedFloatText(al);
  return text;
}

bool WriteValueBoxes(ValueBoxes& boxes, DesignState& design) {
  bool changed = false;
  const auto write = [&changed](std::string& box, std::string text) {
    if (box == text) return false;
    box = std::move(text);
    changed = true;
    return true;
  };
  if (write(boxes.al, AlBoxText(design.ToroidAL))) AlTextChanged(boxes.al, design);
  if (write(boxes.c47, notation::FormatCapacitance(design.C47)))
    CapacitorTextChanged(boxes.c47, design.C47);
  if (write(boxes.c48, notation::FormatCapacitance(design.C48)))
    CapacitorTextChanged(boxes.c48, design.C48);
  if (write(boxes.c92, notation::FormatCapacitance(design.C92)))
    CapacitorTextChanged(boxes.c92, design.C92);
  if (write(boxes.c49, notation::FormatCapacitance(design.C49)))
    CapacitorTextChanged(boxes.c49, design.C49);
  return changed;
}

}  // namespace diruruzevuv::model
