#include "notation/notation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>

namespace diruruzevuv::notation {

namespace {

// The exact decimal value of a finite double: digits d0 d1 d2 ... with the
// point after d0, times ten to `exponent`. No leading or trailing zeros;
// zero has no digits.
struct Decimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

void StripTrailingZeros(Decimal& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
}

// Reads to_chars' scientific output "d.ddde+XX" into a Decimal.
Decimal ParseScientific(const char* first, const char* last, bool negative) {
  Decimal d;
  d.negative = negative;
  const char* p = first;
  for (; p != last && *p != 'e'; ++p) {
    if (*p != '.') d.digits.push_back(*p);
  }
  if (p != last) {
    ++p;  // 'e'
    const bool minus = p != last && *p == '-';
    if (p != last && (*p == '-' || *p == '+')) ++p;
    int exponent = 0;
    std::from_chars(p, last, exponent);
    d.exponent = minus ? -exponent : exponent;
  }
  StripTrailingZeros(d);
  return d;
}

// Every float (and every double made from one) has at most 112 significant
// decimal digits, so 120 digits after the first reproduce it exactly and
// to_chars does no rounding of its own.
Decimal ExactDecimal(double value) {
  if (value == 0.0) return Decimal{std::signbit(value), {}, 0};
  std::array<char, 160> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                    std::chars_format::scientific, 120);
  return ParseScientific(buffer.data(), result.ptr, std::signbit(value));
}

// Keeps the first `keep` digits, rounding halves away from zero. Working on
// the exact digits makes a true half (100.125) round up, unlike printf.
void RoundToDigits(Decimal& d, int keep) {
  if (d.digits.empty() || keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    d.exponent = 0;
    return;
  }
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    int i = keep - 1;
    for (; i >= 0; --i) {
      char& c = d.digits[static_cast<std::size_t>(i)];
      if (c == '9') {
        c = '0';
      } else {
        ++c;
        break;
      }
    }
    if (i < 0) {  // carried past the first digit: 9.99 -> 10.0
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    }
  }
  StripTrailingZeros(d);
}

// Rounds a finite value to `places` decimal places, halves away from zero,
// and returns the float nearest to the rounded decimal.
float RoundToPlaces(float value, int places) {
  if (!std::isfinite(value)) return value;
  Decimal d = ExactDecimal(value);
  if (d.digits.empty()) return 0.0f;
  RoundToDigits(d, d.exponent + places + 1);
  if (d.digits.empty()) return 0.0f;
  std::string text;
  if (d.negative) text.push_back('-');
  text += d.digits;
  text += 'e';
  text += std::to_string(d.exponent - static_cast<int>(d.digits.size()) + 1);
  float result = 0.0f;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), result);
  if (r.ec == std::errc::result_out_of_range) {
    // Only reachable by rounding up past the largest float.
    return d.negative ? -std::numeric_limits<float>::infinity()
                      : std::numeric_limits<float>::infinity();
  }
  return result;
}

// The shortest digits that read back as the same float, when seven or
// fewer suffice; otherwise the exact value rounded to seven digits, halves
// away from zero.
Decimal SevenDigitDecimal(float value) {
  if (value == 0.0f) return Decimal{};
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                    std::chars_format::scientific);
  Decimal d = ParseScientific(buffer.data(), result.ptr, std::signbit(value));
  if (d.digits.size() > 7) {
    d = ExactDecimal(value);
    RoundToDigits(d, 7);
  }
  return d;
}

// Plain style "0.5", "-3", "1.4E+07"; signed style " .5", "-5", " 12".
std::string RenderFloat(float value, bool signedStyle) {
  if (std::isnan(value)) return signedStyle ? " NaN" : "NaN";
  if (std::isinf(value)) {
    if (value < 0) return "-Inf";
    return signedStyle ? " Inf" : "Inf";
  }
  Decimal d = SevenDigitDecimal(value);
  std::string text;
  if (d.digits.empty()) {
    // Zero, negative zero included, is written without a sign.
    return signedStyle ? " 0" : "0";
  }
  if (d.negative) {
    text.push_back('-');
  } else if (signedStyle) {
    text.push_back(' ');
  }
  const int count = static_cast<int>(d.digits.size());
  if (d.exponent < -4 || d.exponent >= 7) {
    text.push_back(d.digits[0]);
    if (count > 1) {
      text.push_back('.');
      text.append(d.digits, 1);
    }
    text.push_back('E');
    text.push_back(d.exponent < 0 ? '-' : '+');
    const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
    if (magnitude < 10) text.push_back('0');
    text += std::to_string(magnitude);
  } else if (d.exponent >= 0) {
    const int whole = d.exponent + 1;
    if (count <= whole) {
      text += d.digits;
      text.append(static_cast<std::size_t>(whole - count), '0');
    } else {
      text.append(d.digits, 0, static_cast<std::size_t>(whole));
      text.push_back('.');
      text.append(d.digits, static_cast<std::size_t>(whole));
    }
  } else {
    if (!signedStyle) text.push_back('0');
    text.push_back('.');
    text.append(static_cast<std::size_t>(-d.exponent - 1), '0');
    text += d.digits;
  }
  return text;
}

// Places for capacitance, inductance and the general prefix form, chosen
// from the magnitude of the scaled value; the tests are strict.
int MagnitudePlaces(float scaled) {
  const double m = std::fabs(static_cast<double>(scaled));
  if (m > 1000.0) return 2;
  if (m > 100.0) return 3;
  if (m > 10.0) return 4;
  if (m > 1.0) return 5;
  return 6;
}

struct Band {
  double threshold;
  double divisor;
  const char* unit;
};

// First row whose threshold the magnitude reaches, or nullptr.
template <std::size_t N>
const Band* FindBand(const std::array<Band, N>& rows, double magnitude) {
  for (const Band& row : rows) {
    if (magnitude >= row.threshold) return &row;
  }
  return nullptr;
}

// Capacitance and inductance: the magnitude is scaled, so no sign appears.
template <std::size_t N>
std::string FormatComponent(float value, const std::array<Band, N>& rows) {
  const double m = std::fabs(static_cast<double>(value));
  const Band* band = FindBand(rows, m);
  if (band == nullptr) return {};
  const float scaled = static_cast<float>(m / band->divisor);
  return RenderFloat(RoundToPlaces(scaled, MagnitudePlaces(scaled)), false) + band->unit;
}

constexpr std::array<Band, 6> kCapacitanceBands{{
    {10000.0, 1e6, "MEG"},
    {10.0, 1000.0, "KF"},
    {1.0, 1.0, "F"},
    {0.01, 0.001, "mF"},
    {1e-8, 1e-6, "uF"},
    {1e-14, 1e-12, "pF"},
}};

constexpr std::array<Band, 6> kInductanceBands{{
    {1e6, 1e6, "MEG"},
    {1000.0, 1000.0, "KH"},
    {1.0, 1.0, "H"},
    {0.001, 0.001, "mH"},
    {1e-6, 1e-6, "uH"},
    {1e-10, 1e-9, "nH"},
}};

constexpr std::array<Band, 8> kEngineeringBands{{
    {1e9, 1e9, " G"},
    {1e6, 1e6, " M"},
    {1000.0, 1000.0, " k"},
    {1.0, 1.0, " "},
    {0.001, 0.001, " m"},
    {1e-6, 1e-6, " u"},
    {1e-9, 1e-9, " n"},
    {1e-14, 1e-12, " p"},
}};

constexpr std::array<Band, 4> kFrequencyBands{{
    {1e9, 1e9, "G"},
    {1e6, 1e6, "M"},
    {1000.0, 1000.0, "k"},
    {1.0, 1.0, " "},
}};

float MultiplierOf(char letter) {
  switch (letter) {
    case 'P':
    case 'p':
      return 1e-12f;
    case 'N':
    case 'n':
      return 1e-9f;
    case 'U':
    case 'u':
      return 1e-6f;
    case 'm':
      return 1e-3f;
    case 'K':
    case 'k':
      return 1e3f;
    case 'M':
      return 1e6f;
    case 'G':
    case 'g':
      return 1e9f;
    default:
      return 0.0f;
  }
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads the longest leading number of the collected text into a double.
// Returns false when the number lies beyond the double range; an exponent
// that underflows reads as zero.
bool ReadLeadingNumber(const std::string& text, double& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t mantissaStart = i;
  bool anyDigit = false;
  while (i < text.size() && IsDigit(text[i])) {
    ++i;
    anyDigit = true;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      ++i;
      anyDigit = true;
    }
  }
  value = 0.0;
  if (!anyDigit) return true;
  std::size_t end = i;
  bool negativeExponent = false;
  if (i < text.size() && text[i] == 'E') {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      negativeExponent = text[j] == '-';
      ++j;
    }
    const std::size_t digitsStart = j;
    while (j < text.size() && IsDigit(text[j])) ++j;
    if (j > digitsStart) end = j;  // an incomplete exponent is ignored
  }
  // from_chars takes neither a leading "+" nor a sign of ours, and never
  // looks at the locale.
  std::string number = text.substr(mantissaStart, end - mantissaStart);
  double magnitude = 0.0;
  const auto r = std::from_chars(number.data(), number.data() + number.size(), magnitude);
  if (r.ec == std::errc::result_out_of_range) {
    if (negativeExponent) return true;  // underflow: zero
    return false;
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

std::string ShortestFloatText(float value) {
  return RenderFloat(value, false);
}

std::string SignedFloatText(float value) {
  return RenderFloat(value, true);
}

std::string FormatFrequency(float value) {
  const double x = value;
  // The signed argument picks the row: zero and negative values land in
  // the milli row.
  const Band* band = FindBand(kFrequencyBands, x);
  const double divisor = band ? band->divisor : 0.001;
  const char* unit = band ? band->unit : "m";
  const float scaled = static_cast<float>(x / divisor);
  if (scaled == 0.0f) return "0.0 ";
  int places = 5;
  if (scaled > 100.0f) {
    places = 2;
  } else if (scaled > 10.0f) {
    places = 3;
  } else if (scaled > 1.0f) {
    places = 4;
  }
  return SignedFloatText(RoundToPlaces(scaled, places)) + unit;
}

std::string FormatCapacitance(float value) {
  return FormatComponent(value, kCapacitanceBands);
}

std::string FormatInductance(float value) {
  return FormatComponent(value, kInductanceBands);
}

std::string FormatValue(float value) {
  const double x = value;
  const double m = std::fabs(x);
  float scaled = 0.0f;
  int places = 0;
  const char* unit = " ";
  if (m >= 1e6) {
    scaled = static_cast<float>(x / 1e6);
    places = 3;
    unit = "MEG";
  } else if (m >= 1000.0) {
    scaled = static_cast<float>(x / 1000.0);
    places = 3;
    unit = "k";
  } else if (m >= 100.0) {
    scaled = value;
    places = 2;
  } else if (m >= 10.0) {
    scaled = value;
    places = 3;
  } else if (m >= 1.0) {
    scaled = value;
    places = 4;
  } else if (m > 0.001) {
    scaled = value;
    places = 5;
  }
  // Not above 0.001 (the zero row included, NaN as well) reads as zero.
  if (!(std::fabs(static_cast<double>(scaled)) > 0.001)) return "0 ";
  return ShortestFloatText(RoundToPlaces(scaled, places)) + unit;
}

std::string FormatEngineering(float value) {
  const double x = value;
  const Band* band = FindBand(kEngineeringBands, std::fabs(x));
  if (band == nullptr) return {};
  const float scaled = static_cast<float>(x / band->divisor);
  if (scaled == 0.0f) return {};
  return ShortestFloatText(RoundToPlaces(scaled, MagnitudePlaces(scaled))) + band->unit;
}

float ParseValue(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && text[first] == ' ') ++first;
  while (last > first && text[last - 1] == ' ') --last;
  text = text.substr(first, std::min<std::size_t>(last - first, 12));

  std::string collected;
  float multiplier = 1.0f;
  bool pointOrExponent = false;
  bool exponent = false;
  bool letter = false;
  for (const char c : text) {
    if (IsDigit(c)) {
      if (!letter) collected.push_back(c);
      continue;
    }
    if (c == '.') {
      if (!letter && !pointOrExponent) {
        collected.push_back(c);
        pointOrExponent = true;
      }
      continue;
    }
    if ((c == '+' || c == '-') && (collected.empty() || collected.back() == 'E')) {
      collected.push_back(c);
      continue;
    }
    if (collected.empty()) continue;
    if ((c == 'E' || c == 'e') && !letter) {
      if (!exponent) {
        collected.push_back('E');
        exponent = true;
        pointOrExponent = true;
      }
      continue;
    }
    if (exponent || letter) continue;
    const float m = MultiplierOf(c);
    if (m != 0.0f) {
      multiplier = m;
      letter = true;
      collected.push_back(c);
    }
  }

  constexpr float kLimit = 1e10f;
  double number = 0.0;
  if (!ReadLeadingNumber(collected, number)) return kLimit;
  // Beyond the largest float plus half its step the conversion overflows.
  const double overflow = static_cast<double>(std::numeric_limits<float>::max()) + 0x1p103;
  if (std::fabs(number) >= overflow) return kLimit;
  const float result = static_cast<float>(number) * multiplier;
  if (std::isinf(result)) return kLimit;
  if (result > kLimit) return kLimit;
  if (result < -kLimit) return -kLimit;
  return result;
}

std::optional<double> PlainNumber(std::string_view text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace diruruzevuv::notation
