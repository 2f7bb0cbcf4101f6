#include "notation/float_digits.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace diruruzevuv::notation {
namespace {

// GCC and clang both have it; the pedantic warning knows no exception.
__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t kPow10[] = {1ULL,
                                    10ULL,
                                    100ULL,
                                    1000ULL,
                                    10000ULL,
                                    100000ULL,
                                    1000000ULL,
                                    10000000ULL,
                                    100000000ULL,
                                    1000000000ULL,
                                    10000000000ULL,
                                    100000000000ULL,
                                    1000000000000ULL,
                                    10000000000000ULL,
                                    100000000000000ULL,
                                    1000000000000000ULL,
                                    10000000000000000ULL,
                                    100000000000000000ULL,
                                    1000000000000000000ULL,
                                    10000000000000000000ULL};
constexpr std::uint32_t kLow = 100000000;    // 10^8
constexpr std::uint32_t kHigh = 1000000000;  // 10^9

Wide Pow10(int n) noexcept {
  return n <= 19 ? Wide(kPow10[n]) : Wide(kPow10[19]) * kPow10[n - 19];
}

// The exact value mant * 2^exp times 10^-k, rounded to an integer with ties
// to even; false when the numbers would not fit in 128 bits.
bool ScaledDigits(std::uint32_t mant, int exp, int k, std::uint64_t& digits) noexcept {
  if (k <= 0) {
    // mant * 10^-k * 2^exp: a shift to the right for negative exp.
    if (-k > 30 || exp > 60 || exp < -120) return false;
    Wide n = Wide(mant) * Pow10(-k);
    if (exp >= 0) {
      digits = static_cast<std::uint64_t>(n << exp);
      return true;
    }
    const int shift = -exp;
    if (shift >= 100) return false;
    const Wide q = n >> shift;
    const Wide r = n - (q << shift);
    const Wide half = Wide(1) << (shift - 1);
    digits = static_cast<std::uint64_t>(q);
    if (r > half || (r == half && (digits & 1) != 0)) ++digits;
    return true;
  }
  // Large values: exp > 0 here, mant * 2^exp divided by 10^k.
  if (exp < 0 || exp > 100 || k > 38) return false;
  const Wide n = Wide(mant) << exp;
  const Wide d = Pow10(k);
  const Wide q = n / d;
  const Wide r = n - q * d;
  digits = static_cast<std::uint64_t>(q);
  if (2 * r > d || (2 * r == d && (digits & 1) != 0)) ++digits;
  return true;
}

char* Fallback(char* out, float value) noexcept {
  return std::to_chars(out, out + kFloat9Room, value, std::chars_format::general, 9).ptr;
}

}  // namespace

char* WriteFloat9(char* out, float value) noexcept {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = (bits >> 31) != 0;
  const std::uint32_t biased = (bits >> 23) & 0xFF;
  std::uint32_t mant = bits & 0x7FFFFF;
  if (biased == 0xFF) return Fallback(out, value);  // infinity, NaN
  if (negative) *out++ = '-';
  if (biased == 0 && mant == 0) {
    *out++ = '0';
    return out;
  }
  int exp;
  if (biased == 0) {
    exp = -149;
  } else {
    mant |= 0x800000;
    exp = static_cast<int>(biased) - 150;
  }

  // Decimal exponent of the leading digit: estimated, then made exact.
  // The value lies in [2^(exp+23), 2^(exp+24)) and 78913 / 2^18 is close
  // to log10(2): the estimate is at most one off, which the loop mends.
  int point = ((exp + 23) * 78913) >> 18;
  std::uint64_t digits = 0;
  for (int attempt = 0;; ++attempt) {
    if (attempt == 3 || !ScaledDigits(mant, exp, point - 8, digits)) {
      return Fallback(out - (negative ? 1 : 0), value);
    }
    if (digits >= kHigh) {
      // Either the estimate was low or rounding carried into a tenth digit.
      if (digits == kHigh) {
        digits = kLow;
        ++point;
        break;
      }
      ++point;
    } else if (digits < kLow) {
      --point;
    } else {
      break;
    }
  }

  char text[9];
  for (int i = 8; i >= 0; --i) {
    text[i] = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  int used = 9;  // significant digits left after the trailing zeros go
  while (used > 1 && text[used - 1] == '0') --used;

  if (point >= -4 && point < 9) {
    if (point < 0) {
      *out++ = '0';
      *out++ = '.';
      for (int i = -1; i > point; --i) *out++ = '0';
      std::memcpy(out, text, used);
      return out + used;
    }
    const int whole = point + 1;
    std::memcpy(out, text, whole);
    out += whole;
    if (used > whole) {
      *out++ = '.';
      std::memcpy(out, text + whole, used - whole);
      out += used - whole;
    }
    return out;
  }
  *out++ = text[0];
  if (used > 1) {
    *out++ = '.';
    std::memcpy(out, text + 1, used - 1);
    out += used - 1;
  }
  *out++ = 'e';
  int e = point;
  if (e < 0) {
    *out++ = '-';
    e = -e;
  } else {
    *out++ = '+';
  }
  if (e >= 100) *out++ = static_cast<char>('0' + e / 100);
  *out++ = static_cast<char>('0' + e / 10 % 10);
  *out++ = static_cast<char>('0' + e % 10);
  return out;
}

}  // namespace diruruzevuv::notation
