#include "notation/leading_number.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace diruruzevuv::notation {

namespace {

bool IsIgnored(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n';
}

bool IsDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}

int DigitValue(char c, int base) noexcept {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

// Exponents this far out are beyond any double, so saturating here loses
// nothing.
constexpr std::int64_t kExponentCap = 1'000'000'000;

double FromDigits(std::string_view intDigits, std::string_view fracDigits,
                  std::int64_t exponent) noexcept {
  std::string digits;
  digits.reserve(intDigits.size() + fracDigits.size());
  digits.append(intDigits);
  digits.append(fracDigits);
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return 0.0;
  // Decimal exponent of the leading significant digit.
  const std::int64_t lead =
      static_cast<std::int64_t>(intDigits.size()) - static_cast<std::int64_t>(first) - 1 + exponent;
  if (lead > 400) return std::numeric_limits<double>::infinity();
  if (lead < -400) return 0.0;
  std::string normal;
  normal.reserve(digits.size() - first + 8);
  normal.push_back(digits[first]);
  normal.push_back('.');
  normal.append(digits, first + 1);
  normal.push_back('e');
  normal.append(std::to_string(lead));
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  (void)ptr;
  if (ec == std::errc::result_out_of_range)
    return lead > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  return value;
}

}  // namespace

double LeadingNumber(std::string_view text) noexcept {
  std::string s;
  s.reserve(text.size());
  for (char c : text)
    if (!IsIgnored(c)) s.push_back(c);

  std::size_t i = 0;
  if (s.size() >= 2 && s[0] == '&') {
    const char kind = s[1];
    const int base = (kind == 'H' || kind == 'h') ? 16 : (kind == 'O' || kind == 'o') ? 8 : 0;
    if (base != 0) {
      double value = 0.0;
      for (i = 2; i < s.size(); ++i) {
        const int d = DigitValue(s[i], base);
        if (d < 0) break;
        value = value * base + d;
      }
      return value;
    }
    return 0.0;
  }

  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const std::size_t intStart = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  const std::string_view intDigits = std::string_view(s).substr(intStart, i - intStart);
  std::string_view fracDigits;
  if (i < s.size() && s[i] == '.') {
    const std::size_t fracStart = ++i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    fracDigits = std::string_view(s).substr(fracStart, i - fracStart);
  }
  if (intDigits.empty() && fracDigits.empty()) return 0.0;

  std::int64_t exponent = 0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) expNegative = s[j++] == '-';
    if (j < s.size() && IsDigit(s[j])) {
      for (; j < s.size() && IsDigit(s[j]); ++j)
        if (exponent < kExponentCap) exponent = exponent * 10 + (s[j] - '0');
      if (expNegative) exponent = -exponent;
    }
  }

  const double magnitude = FromDigits(intDigits, fracDigits, exponent);
  return negative && magnitude != 0.0 ? -magnitude : magnitude;
}

float ToStoredFloat(double value) noexcept {
  if (std::isnan(value)) return 0.0f;
  constexpr double kMax = std::numeric_limits<float>::max();
  if (value > kMax) return std::numeric_limits<float>::max();
  if (value < -kMax) return -std::numeric_limits<float>::max();
  return static_cast<float>(value);
}

double RoundHalfEven(double value) noexcept {
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction > 0.5) return below + 1.0;
  if (fraction < 0.5) return below;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::optional<std::int16_t> ToStoredInt16(double value) noexcept {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = RoundHalfEven(value);
  if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

}  // namespace diruruzevuv::notation
