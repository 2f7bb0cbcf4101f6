#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace diruruzevuv::notation {

// Engineering notation. All formatters take single-precision values, widen
// them exactly to double for the threshold tests and never depend on the
// locale: the decimal separator is always the full stop.

std::string FormatFrequency(float value);    // " 14.2M", " 500k", "0.0 "
std::string FormatCapacitance(float value);  // "330pF", "0.022uF", ""
std::string FormatInductance(float value);   // "1.2uH", "432nH", ""
std::string FormatValue(float value);        // "50 ", "4.7k", "14.2MEG", "0 "
std::string FormatEngineering(float value);  // "50 ", "1.5 k", "2.2 u", ""

// Reads typed text ("2.2u", "100pF", "4k7", "1E3k"); never fails.
float ParseValue(std::string_view text);

// The whole text as one finite decimal number with the full stop ("10",
// "-70", "0.5", "1e6"), whatever the locale; empty for anything else. For
// option values, settings and data files, where a prefix or a unit is a
// mistake rather than something to read.
std::optional<double> PlainNumber(std::string_view text);

// Shortest decimal text of a float with at most seven significant digits,
// no trailing zeros, exponent form ("1.4E+07", "2E-10") when the decimal
// exponent is below -4 or at least 7. Plain style: "0.5", "-3", "50".
std::string ShortestFloatText(float value);
// Signed style: no zero before the point, a space in place of a plus sign:
// " 12", " .5", "-5".
std::string SignedFloatText(float value);

}  // namespace diruruzevuv::notation
