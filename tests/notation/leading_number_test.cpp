#include "notation/leading_number.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>

namespace diruruzevuv::notation {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(LeadingNumberTest, LeadingNumbers) {
  // clang-format off
  const std::pair<std::string, double> rows[] = {
      {" 1 4 0 0 ", 1400}, {"\t-12.5\t", -12.5}, {"+3", 3}, {"3.6e-10", 3.6e-10}, {"-.25", -0.25},
      {"1.4d+07", 1.4e7}, {"- 1 2 . 5 E 1", -125}, {"200p", 200}, {"C47 200p", 0}, {"1.2.3", 1.2},
      {"7E+", 7}, {"--5", 0}, {"-0", 0}, {"&H1F", 31}, {"&H1G", 1}, {"&o78", 7}, {"&X12", 0},
      {" & h 1 0", 16}, {"1E400", kInf}, {"1E-400", 0}, {"0E999999999999999999999", 0},
      {std::string(500, '0') + "12", 12}, {"0." + std::string(400, '0') + "1E402", 10},
      {"&H" + std::string(300, 'F'), kInf}, {"4.9406564584124654E-324", 4.9406564584124654E-324}};
  // clang-format on
  for (const auto& [text, expected] : rows) {
    const double got = LeadingNumber(text);
    EXPECT_EQ(got, expected) << '"' << text << '"';
    EXPECT_FALSE(std::signbit(got) && got == 0.0) << "negative zero from " << text;
  }
}

TEST(LeadingNumberTest, StoredIntegersHalveToEvenAndOverflowFails) {
  // clang-format off
  const std::pair<double, std::optional<std::int16_t>> rows[] = {
      {12.5, 12}, {13.5, 14}, {12.49, 12}, {-12.5, -12}, {-13.5, -14}, {32767, 32767},
      {32767.5, {}}, {-32768.5, -32768}, {-32768.6, {}}, {kInf, {}}, {std::nan(""), {}}};
  // clang-format on
  for (const auto& [value, expected] : rows) EXPECT_EQ(ToStoredInt16(value), expected) << value;
  const std::pair<double, float> floats[] = {{1e39, FLT_MAX}, {-kInf, -FLT_MAX}, {NAN, 0.0f}};
  for (const auto& [value, stored] : floats) EXPECT_EQ(ToStoredFloat(value), stored) << value;
}

}  // namespace
}  // namespace diruruzevuv::notation
