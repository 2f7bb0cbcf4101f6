#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "notation/leading_number.h"

namespace diruruzevuv::files {

// The text without a leading UTF-8 byte-order mark.
inline std::string_view WithoutByteOrderMark(std::string_view text) noexcept {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  return text;
}

// The text without its leading and trailing spaces and tabs.
inline std::string_view TrimBlanks(std::string_view text) noexcept {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The one line reader of every input file. Works on the whole text of a
// file held in memory. A line ends at CR LF, at a lone LF (files edited on
// other systems) or at a lone CR; the last line needs no line end. A
// UTF-8 byte-order mark at the start (as Windows editors write one) is
// skipped.
class LineReader {
 public:
  explicit LineReader(std::string_view text) noexcept : m_text(WithoutByteOrderMark(text)) {}

  // The value text of the next value line: the first line that is not
  // empty and does not start with "*", taken after its first ":" (the
  // whole line when it has none), untrimmed. Empty at the end of the text.
  std::optional<std::string_view> NextValueLine() noexcept;

 private:
  std::string_view m_text;
  std::size_t m_pos = 0;
};

// The readers take their numbers by the leading-number rule and store
// them with the stored-value conversions of the notation.
using notation::LeadingNumber;
using notation::ToStoredFloat;
using notation::ToStoredInt16;

// The whole content of a regular file, or empty when it cannot be opened
// or read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// What the system says about a file that could not be read ("No such
// file or directory", "not a regular file").
std::string WhyUnreadable(const std::filesystem::path& path);

}  // namespace diruruzevuv::files
