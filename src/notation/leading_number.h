#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace diruruzevuv::notation {

// The leading number of a value text, the rule every input file and the
// turns boxes read numbers by. Blanks and tabs (and stray line feeds) are
// ignored anywhere. Accepts an optional sign, digits, a point with digits,
// an exponent "E" or "D" in either case with optional sign, and "&H" /
// "&O" for hexadecimal and octal digits. Reading stops at the first
// character that cannot continue the number; no number gives 0.
// Magnitudes beyond the double range give +-infinity, never NaN.
double LeadingNumber(std::string_view text) noexcept;

// Nearest integer, halves to the even neighbour (12.5 -> 12, 13.5 -> 14,
// -12.5 -> -12). The value must be finite.
double RoundHalfEven(double value) noexcept;

// Nearest float. Values beyond the float range (including infinities)
// become +-FLT_MAX so that a hand-edited file never puts an infinity into
// the design; NaN becomes 0.
float ToStoredFloat(double value) noexcept;

// Nearest integer, halves to the even neighbour. Empty when the result
// lies outside -32768..32767 or the value is not finite: the caller treats
// that as a failed read.
std::optional<std::int16_t> ToStoredInt16(double value) noexcept;

}  // namespace diruruzevuv::notation
