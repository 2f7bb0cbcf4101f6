#include "model/adjustment.h"

#include <cmath>

#include "notation/notation.h"

namespace diruruzevuv::model {
namespace {

// The leading number of a text: blanks and tabs ignored, an optional sign,
// digits with an optional decimal point, an optional E or D exponent, or
// &H / &O digits; no number reads as 0.
double LeadingNumber(std::string_view text) {
  std::string compact;
  for (const char c : text) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') compact.push_back(c);
  }
  std::size_t i = 0;
  const auto digit = [&](std::size_t at) {
    return at < compact.size() && compact[at] >= '0' && compact[at] <= '9';
  };
  if (compact.size() >= 2 && compact[0] == '&') {
    const char kind = static_cast<char>(compact[1] | 0x20);
    const int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
    if (base == 0) return 0.0;
    double value = 0.0;
    for (i = 2; i < compact.size(); ++i) {
      const char c = static_cast<char>(compact[i] | 0x20);
      int d = -1;
      if (c >= '0' && c <= '9') d = c - '0';
      if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      if (d < 0 || d >= base) break;
      value = value * base + d;
    }
    return value;
  }
  std::string number;
  if (i < compact.size() && (compact[i] == '+' || compact[i] == '-'))
    number.push_back(compact[i++]);
  bool mantissa = false;
  while (digit(i)) {
    number.push_back(compact[i++]);
    mantissa = true;
  }
  if (i < compact.size() && compact[i] == '.') {
    number.push_back(compact[i++]);
    while (digit(i)) {
      number.push_back(compact[i++]);
      mantissa = true;
    }
  }
  if (!mantissa) return 0.0;
  if (i < compact.size() &&
      (compact[i] == 'E' || compact[i] == 'e' || compact[i] == 'D' || compact[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < compact.size() && (compact[j] == '+' || compact[j] == '-'))
      exponent.push_back(compact[j++]);
    if (digit(j)) {
      while (digit(j)) exponent.push_back(compact[j++]);
      number += exponent;
    }
  }
  // strtod would follow the C locale's decimal point; build the value by hand.
  double mantissaValue = 0.0;
  double scale = 1.0;
  bool afterPoint = false;
  int exponentValue = 0;
  bool negative = false;
  std::size_t k = 0;
  if (number[k] == '+' || number[k] == '-') negative = number[k++] == '-';
  for (; k < number.size() && number[k] != 'e'; ++k) {
    if (number[k] == '.') {
      afterPoint = true;
      continue;
    }
    mantissaValue = mantissaValue * 10.0 + (number[k] - '0');
    if (afterPoint) scale *= 10.0;
  }
  if (k < number.size()) {
    ++k;
    bool negativeExponent = false;
    if (number[k] == '+' || number[k] == '-') negativeExponent = number[k++] == '-';
    for (; k < number.size(); ++k) {
      exponentValue = std::min(exponentValue * 10 + (number[k] - '0'), 100000);
    }
    if (negativeExponent) exponentValue = -exponentValue;
  }
  const double value = mantissaValue / scale * std::pow(10.0, exponentValue);
  return negative ? -value : value;
}

// Nearest integer, halves to the even neighbour.
double RoundHalfEven(double value) noexcept {
  const double lower = std::floor(value);
  const double fraction = value - lower;
  if (fraction > 0.5) return lower + 1.0;
  if (fraction < 0.5) return lower;
  return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

}  // namespace

float StepCapacitorUp(float capacitance) noexcept {
  return static_cast<float>(static_cast<double>(capacitance) * 1.01);
}

float StepCapacitorDown(float capacitance) noexcept {
  return static_cast<float>(static_cast<double>(capacitance) / 1.01);
}

TurnsBoxReading ReadTurnsBox(std::string_view text) {
  const double number = LeadingNumber(text);
  TurnsBoxReading reading;
  if (!(number < INT16_MAX)) {  // also catches an infinite number
    reading.turns = INT16_MAX;
    return reading;
  }
  const double rounded = RoundHalfEven(number);
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
  design.ToroidAL = notation::ParseValue(text);
  if (!(design.ToroidAL >= 1.0f)) design.ToroidAL = 1.0f;
  UpdateInductances(design);
}

void CapacitorTextChanged(std::string_view text, float& capacitance) {
  capacitance = notation::ParseValue(text);
}

std::string AlBoxText(float al) {
  return " " + notation::SignedFloatText(al);
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
