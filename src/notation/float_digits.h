#pragma once

namespace diruruzevuv::notation {

// Room WriteFloat9 needs, whatever the value.
inline constexpr int kFloat9Room = 32;

// Writes the value as printf's "%.9g" does in the C locale (nine
// significant digits, enough to bring every float back unchanged; trailing
// zeros dropped; exponent form below 1e-4 and from 1e9) and returns the end
// of the text. Exact decimal rounding with ties to even, from integer
// arithmetic; a few times faster than the general formatters, which matters
// when a sweep prints six thousand numbers.
char* WriteFloat9(char* out, float value) noexcept;

}  // namespace diruruzevuv::notation
