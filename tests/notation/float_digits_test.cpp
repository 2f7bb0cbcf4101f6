#include "notation/float_digits.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
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
      check(std::bit_cast<float>(bits));
    }
  }
  for (float v = 1048576.0f; v < 2097152.0f; v += 97.125f) check(v);
  for (float v : {0.0f, -0.0f, FLT_MAX, HUGE_VALF, -HUGE_VALF, 1e9f, 999999999.0f}) check(v);
  EXPECT_EQ(differing, 0) << "of " << checked;
}

}  // namespace
}  // namespace diruruzevuv::notation
