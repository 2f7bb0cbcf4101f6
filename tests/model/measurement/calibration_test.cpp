#include "model/measurement/calibration.h"

#include <gtest/gtest.h>

#include <numbers>
#include <random>

namespace diruruzevuv::model {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// What one path measures on a device of s11, s21 (= s12) and s22.
std::pair<Complex, Complex> Raw(const ErrorTerms& e, Complex s11, Complex s21, Complex s22) {
  const Complex in = s11 + s21 * s21 * e.e22 / (1.0 - s22 * e.e22);
  const Complex ds = s11 * s22 - s21 * s21;
  return {e.e00 + e.e10e01 * in / (1.0 - e.e11 * in),
          e.e30 + e.e10e32 * s21 / (1.0 - e.e11 * s11 - e.e22 * s22 + e.e11 * e.e22 * ds)};
}

void ExpectNear(Complex got, Complex want, double within) {
  EXPECT_NEAR(std::abs(got - want), 0.0, within) << got << " against " << want;
}

// Terms worked by hand at one frequency with ideal standards: the load
// reads e00, the open e00 + e10e01 / (1 - e11), the short e00 - e10e01 /
// (1 + e11); the through reflects e22 and transmits e10e32 / (1 - e11 e22).
TEST(CalibrationTest, SolvesTermsWorkedByHand) {
  ErrorTerms e = SolveReflection({}, 7e6, 1.225, -0.65, 0.1);
  SolveTransmission({}, 7e6, 0.1 + 0.9 * 0.1 / 0.98, 0.001 + 0.8 / 0.98, 0.001, e);
  ExpectNear(e.e00, 0.1, 1e-12);
  ExpectNear(e.e11, 0.2, 1e-12);
  ExpectNear(e.e10e01, 0.9, 1e-12);
  ExpectNear(e.e22, 0.1, 1e-12);
  ExpectNear(e.e10e32, 0.8, 1e-12);
  ExpectNear(e.e30, 0.001, 1e-12);
}

// The kit's polynomials in their units: 12.34 fF and 102.34 pH at 1 GHz,
// behind 10 ps (twice through the offset).
TEST(CalibrationTest, KitStandardsInTheirUnits) {
  const CalibrationKit kit{{10, 2000, 300, 40}, 10, {100, 2000, 300, 40}, 10, 75, 20};
  const double w = kTwoPi * 1e9;
  const Complex turn = std::polar(1.0, -2.0 * w * 10e-12);
  const Complex open = 1.0 / Complex(0.0, w * 12.34e-15), shortZ(0.0, w * 102.34e-12);
  const std::tuple<Standard, Complex> cases[] = {
      {Standard::kOpen, (open - 50.0) / (open + 50.0) * turn},
      {Standard::kShort, (shortZ - 50.0) / (shortZ + 50.0) * turn},
      {Standard::kLoad, 0.2},
      {Standard::kThrough, std::polar(1.0, -w * 20e-12)},
  };
  for (const auto& [standard, want] : cases)
    ExpectNear(StandardResponse(kit, standard, 1e9), want, 1e-12);
}

// A random error box with cable delays, standards of a non-ideal kit
// measured through it: the terms come back at the grid, and a filter
// measured between the grid's points comes back as loaded by the port-2
// match; outside the grid the correction is refused with the range.
TEST(CalibrationTest, RecoversARandomErrorBoxAndInterpolates) {
  std::mt19937 random(29);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const auto term = [&](double size) {
    const Complex a(size * u(random), size * u(random)), b(size * u(random), size * u(random));
    const double delay = 2e-9 * (1.0 + u(random));
    return [=](double hz) { return a + b * std::polar(1.0, -kTwoPi * hz * delay); };
  };
  const auto e00 = term(0.05), e11 = term(0.15), e22 = term(0.1), e30 = term(1e-3);
  const auto track = term(0.1), transmit = term(0.1);
  const auto box = [&](double hz) {
    const Complex turn = std::polar(0.9, -kTwoPi * hz * 3e-9);
    return ErrorTerms{e00(hz), e11(hz), turn + track(hz), turn + transmit(hz), e22(hz), e30(hz)};
  };
  Calibration cal;
  cal.kit = {{40, 900, -200, 30}, 35, {15, 600, 100, 10}, 28, 50.7, 45};
  for (int i = 0; i < 301; ++i) cal.frequency.push_back(1e6 + i * 1e6);
  for (int k = 0; k < kStandardCount; ++k) {
    RawSweep& raw = cal.raw[k].emplace();
    const auto standard = static_cast<Standard>(k);
    for (double hz : cal.frequency) {
      const Complex g = StandardResponse(cal.kit, standard, hz);
      const bool through = standard == Standard::kThrough, reflect = k < 3;
      const auto [s11, s21] = Raw(box(hz), reflect ? g : 0.0, through ? g : 0.0, 0.0);
      raw.s11.push_back(s11), raw.s21.push_back(s21);
    }
  }
  std::string why;
  const auto model = SolveCalibration(cal, why);
  ASSERT_TRUE(model && model->twoPort) << why;
  for (std::size_t i = 0; i < cal.frequency.size(); i += 50) {
    const ErrorTerms want = box(cal.frequency[i]), got = model->terms[i];
    for (auto m : {&ErrorTerms::e00, &ErrorTerms::e11, &ErrorTerms::e10e01, &ErrorTerms::e10e32,
                   &ErrorTerms::e22, &ErrorTerms::e30})
      ExpectNear(got.*m, want.*m, 1e-9);
  }
  // A lossy resonant two-port, measured half-way between grid points.
  MeasuredNetwork filter;
  filter.ports = 2;
  std::vector<std::array<Complex, 3>> truth;
  for (double hz = 1.5e6; hz < 300e6; hz += 7e6) {
    const Complex s11 = std::polar(0.3, hz * 1e-7), s21 = std::polar(0.8, -hz * 2e-8),
                  s22 = std::polar(0.2, hz * 3e-8);
    const auto [m11, m21] = Raw(box(hz), s11, s21, s22);
    filter.frequency.push_back(hz);
    filter.s.push_back({m11, m21, m21, 0.0});
    const Complex g2 = e22(hz);
    truth.push_back({s11 + s21 * s21 * g2 / (1.0 - s22 * g2), s21 / (1.0 - s22 * g2), g2});
  }
  const auto corrected = ApplyCalibration(*model, filter, why);
  ASSERT_TRUE(corrected) << why;
  for (std::size_t i = 0; i < truth.size(); ++i) {
    ExpectNear(corrected->s[i][0], truth[i][0], 2e-4);
    ExpectNear(corrected->s[i][1], truth[i][1], 2e-4);
    ExpectNear(corrected->portTwoMatch[i], truth[i][2], 2e-4);
  }
  filter.frequency.back() = 301.5e6;
  EXPECT_FALSE(ApplyCalibration(*model, filter, why));
  EXPECT_EQ(why, "301500000 Hz lies outside the calibration's range, 1000000 Hz to 301000000 Hz");
}

// The commonest slip: a standard measured with another one connected.
TEST(CalibrationTest, RefusesLookAlikeStandards) {
  Calibration cal;
  cal.frequency = {1e6, 2e6};
  cal.raw[0] = RawSweep{{0.9, 0.8}, {0.0, 0.0}};
  cal.raw[2] = RawSweep{{0.05, 0.04}, {0.0, 0.0}};
  cal.raw[3] = RawSweep{{0.1, 0.1}, {0.9, 0.9}};
  const std::tuple<Standard, RawSweep, std::string> cases[] = {
      {Standard::kShort,
       {{0.905, 0.79}, {0.0, 0.0}},
       "the open and the short look alike: their raw reflections differ by less than 0.02 at "
       "every frequency; connect the short and measure it again"},
      {Standard::kShort, {{-0.9, 0.79}, {0.0, 0.0}}, ""},
      {Standard::kIsolation,
       {{0.0, 0.0}, {0.89, 0.9}},
       "the through and the isolation look alike: their raw transmissions differ by less than "
       "0.02 at every frequency; connect the isolation and measure it again"},
  };
  for (const auto& [standard, raw, want] : cases) {
    Calibration tried = cal;
    tried.raw[static_cast<int>(standard)] = raw;
    EXPECT_EQ(LookAlike(tried, standard), want);
  }
  EXPECT_EQ(MissingStandards(cal, true), std::vector{Standard::kShort});
}

}  // namespace
}  // namespace diruruzevuv::model
