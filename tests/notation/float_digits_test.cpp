#include "notation/float_digits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace diruruzevuv::notation {
namespace {

std::string Written(float value) {
  char buffer[kFloat9Room];
  return std::string(buffer, WriteFloat9(buffer, value));
}

std::string Printed(float value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
  return buffer;
}

float FromBits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(FloatDigitsTest, NamedValuesAsPrintfWritesThem) {
  // clang-format off
  struct Row {
    float value;
    const char* text;
  } rows[] = {
      {0.0f, "0"}, {-0.0f, "-0"}, {5000000.0f, "5000000"}, {50000000.0f, "50000000"},
      {15811388.0f, "15811388"}, {-0.144165605f, "-0.144165605"}, {-140.0f, "-140"},
      {1e-4f, "9.99999975e-05"},  // just below 1e-4: exponent form
      {0.000123f, "0.000123000005"}, {1e9f, "1e+09"},
      {999999999.0f, "1e+09"},  // rounds up into a tenth digit
      {1234567.125f, "1234567.12"}, {1234567.375f, "1234567.38"},  // ties: to the even digit
      {0.1f, "0.100000001"}, {1.17549435e-38f, "1.17549435e-38"},
      {1.4e-45f, "1.40129846e-45"},  // the smallest subnormal
      {std::numeric_limits<float>::max(), "3.40282347e+38"}};
  // clang-format on
  for (const Row& row : rows) {
    EXPECT_EQ(Written(row.value), row.text) << row.text;
    EXPECT_EQ(Written(row.value), Printed(row.value)) << row.text;
  }
  EXPECT_EQ(Written(std::numeric_limits<float>::infinity()), "inf");
  EXPECT_EQ(Written(-std::numeric_limits<float>::infinity()), "-inf");
}

// Every binade of positive and negative floats, sampled, plus one binade
// dense in ties (7 whole digits and eighths).
TEST(FloatDigitsTest, AgreesWithPrintfAcrossTheFloats) {
  std::mt19937 random(12345);
  int checked = 0, differing = 0;
  const auto check = [&](float value) {
    if (std::isnan(value)) return;
    ++checked;
    if (Written(value) != Printed(value) && ++differing <= 10)
      ADD_FAILURE() << Printed(value) << " written as " << Written(value);
  };
  for (std::uint32_t biased = 0; biased < 255; ++biased) {
    for (int i = 0; i < 2000; ++i) {
      const std::uint32_t bits = (biased << 23) | (random() & 0x7FFFFF) | (i % 2 ? 0x80000000u : 0);
      check(FromBits(bits));
    }
  }
  for (float v = 1048576.0f; v < 2097152.0f; v += 97.125f) check(v);
  EXPECT_EQ(differing, 0) << "of " << checked;
}

}  // namespace
}  // namespace diruruzevuv::notation
