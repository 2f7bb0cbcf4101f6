#include "notation/printable.h"

#include <cstddef>

namespace diruruzevuv::notation {
namespace {

// The length of the well-formed UTF-8 sequence at the start of text, or 0.
std::size_t Utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  return length;
}

// One printed character: a sequence shown as it is, or a byte escaped.
struct Piece {
  std::size_t bytes;  // taken from the text
  std::size_t width;  // characters printed
};

Piece NextPiece(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = Utf8Length(text);
  const bool c0 = lead < 0x20 || lead == 0x7f;
  // U+0080..U+009F: a terminal may take them for escape sequences.
  const bool c1 = length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0;
  if (length == 0 || c0 || c1) return {1, 4};
  return {length, 1};
}

}  // namespace

std::string PrintableExcerpt(std::string_view text) {
  constexpr std::size_t kLimit = 80;
  constexpr std::string_view kCut = "...";
  // Whether it all fits; looks no further than the limit.
  std::size_t whole = 0;
  for (std::string_view rest = text; !rest.empty() && whole <= kLimit;) {
    const Piece piece = NextPiece(rest);
    whole += piece.width;
    rest.remove_prefix(piece.bytes);
  }
  const std::size_t room = whole <= kLimit ? kLimit : kLimit - kCut.size();
  std::string out;
  std::size_t shown = 0;
  for (std::string_view rest = text; !rest.empty();) {
    const Piece piece = NextPiece(rest);
    if (shown + piece.width > room) break;
    shown += piece.width;
    if (piece.width == 1) {
      out += rest.substr(0, piece.bytes);
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      const auto c = static_cast<unsigned char>(rest[0]);
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
    rest.remove_prefix(piece.bytes);
  }
  if (whole > kLimit) out += kCut;
  return out;
}

}  // namespace diruruzevuv::notation
