#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace diruruzevuv::files {

// The one line reader of every input file. Works on the whole text of a
// file held in memory. A line ends at CR LF, at a lone LF (files edited on
// other systems) or at a lone CR; the last line needs no line end.
class LineReader {
 public:
  explicit LineReader(std::string_view text) noexcept : m_text(text) {}

  // The value text of the next value line: the first line that is not
  // empty and does not start with "*", taken after its first ":" (the
  // whole line when it has none), untrimmed. Empty at the end of the text.
  std::optional<std::string_view> NextValueLine() noexcept;

 private:
  std::string_view m_text;
  std::size_t m_pos = 0;
};

// The leading number of a value text. Blanks and tabs (and stray line
// feeds) are ignored anywhere. Accepts an optional sign, digits, a point
// with digits, an exponent "E" or "D" in either case with optional sign,
// and "&H" / "&O" for hexadecimal and octal digits. Reading stops at the
// first character that cannot continue the number; no number gives 0.
// Magnitudes beyond the double range give +-infinity, never NaN.
double LeadingNumber(std::string_view text) noexcept;

// Nearest float. Values beyond the float range (including infinities)
// become +-FLT_MAX so that a hand-edited file never puts an infinity into
// the design; NaN becomes 0.
float ToStoredFloat(double value) noexcept;

// Nearest integer, halves to the even neighbour (12.5 -> 12, 13.5 -> 14).
// Empty when the result lies outside -32768..32767 or the value is not
// finite: the caller treats that as a failed read.
std::optional<std::int16_t> ToStoredInt16(double value) noexcept;

// The whole content of a regular file, or empty when it cannot be opened
// or read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

}  // namespace diruruzevuv::files
