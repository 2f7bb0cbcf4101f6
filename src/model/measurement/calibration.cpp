#include "model/measurement/calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace diruruzevuv::model {
namespace {

constexpr double kReferenceOhms = 50.0;
constexpr std::array<const char*, kStandardCount> kNames{"open", "short", "load", "through",
                                                         "isolation"};
// Two standards whose raw ratios differ by less than this at every
// frequency were one standard measured twice: real ones differ by about
// the tracking (near 1).
constexpr double kLookAlike = 0.02;

double Omega(double hz) {
  return 2.0 * std::numbers::pi * hz;
}

double Cubic(const std::array<double, 4>& c, double hz, double unit) {
  return (c[0] + hz * 1e-12 * (c[1] + hz * 1e-9 * (c[2] + hz * 1e-9 * c[3]))) * unit;
}

// A reflection behind a lossless 50 ohm offset of the given delay.
Complex Delayed(Complex g, double delayPs, double hz) {
  return g * std::polar(1.0, -2.0 * Omega(hz) * delayPs * 1e-12);
}

Complex Reflection(const CalibrationKit& kit, Standard standard, double hz) {
  switch (standard) {
    case Standard::kOpen: {
      // (1/jwC - Z0) / (1/jwC + Z0), written so that C = 0 is exact.
      const Complex x(0.0, Omega(hz) * Cubic(kit.openC, hz, 1e-15) * kReferenceOhms);
      return Delayed((1.0 - x) / (1.0 + x), kit.openDelayPs, hz);
    }
    case Standard::kShort: {
      const Complex z(0.0, Omega(hz) * Cubic(kit.shortL, hz, 1e-12));
      return Delayed((z - kReferenceOhms) / (z + kReferenceOhms), kit.shortDelayPs, hz);
    }
    case Standard::kLoad:
      return (kit.loadOhms - kReferenceOhms) / (kit.loadOhms + kReferenceOhms);
    default:
      return 0.0;
  }
}

// The device's reflection from the raw one, through the one-port terms.
Complex Corrected(const ErrorTerms& e, Complex measured) {
  const Complex d = measured - e.e00;
  return d / (e.e10e01 + e.e11 * d);
}

double Largest(const std::vector<Complex>& a, const std::vector<Complex>& b) {
  double most = 0.0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
    most = std::max(most, std::abs(a[i] - b[i]));
  return most;
}

// Between a and b by t, along magnitude and the shorter turn of phase.
Complex Between(Complex a, Complex b, double t) {
  if (a == 0.0 || b == 0.0) return a + t * (b - a);
  const double magnitude = std::abs(a) + t * (std::abs(b) - std::abs(a));
  return std::polar(magnitude, std::arg(a) + t * std::arg(b / a));
}

// Frequencies written to a file and read back may differ in the last digit.
constexpr double kSlack = 1e-9;

bool InRange(const std::vector<double>& f, double hz) {
  return hz >= f.front() - kSlack * f.back() && hz <= f.back() + kSlack * f.back();
}

std::string Hz(double hz) {
  char text[48];
  std::snprintf(text, sizeof text, "%.0f Hz", hz);
  return text;
}

}  // namespace

const char* StandardName(Standard standard) {
  return kNames[static_cast<int>(standard)];
}

std::optional<Standard> StandardNamed(const std::string& name) {
  for (int k = 0; k < kStandardCount; ++k)
    if (name == kNames[k]) return static_cast<Standard>(k);
  return std::nullopt;
}

Complex StandardResponse(const CalibrationKit& kit, Standard standard, double hz) {
  if (standard == Standard::kThrough)
    return std::polar(1.0, -Omega(hz) * kit.throughDelayPs * 1e-12);
  return Reflection(kit, standard, hz);
}

ErrorTerms SolveReflection(const CalibrationKit& kit, double hz, Complex open, Complex shortCircuit,
                           Complex load) {
  // m = e00 + G m e11 - G (e00 e11 - e10e01): linear in e00, e11 and the
  // determinant, solved by Cramer's rule.
  const std::array<Complex, 3> m{open, shortCircuit, load};
  std::array<std::array<Complex, 3>, 3> a;
  for (int i = 0; i < 3; ++i) {
    const Complex g = Reflection(kit, static_cast<Standard>(i), hz);
    a[i] = {1.0, g * m[i], -g};
  }
  const auto det = [&](int column) {
    auto c = [&](int row, int k) { return k == column ? m[row] : a[row][k]; };
    return c(0, 0) * (c(1, 1) * c(2, 2) - c(1, 2) * c(2, 1)) -
           c(0, 1) * (c(1, 0) * c(2, 2) - c(1, 2) * c(2, 0)) +
           c(0, 2) * (c(1, 0) * c(2, 1) - c(1, 1) * c(2, 0));
  };
  const Complex whole = det(-1);
  ErrorTerms e;
  e.e00 = det(0) / whole;
  e.e11 = det(1) / whole;
  e.e10e01 = e.e00 * e.e11 - det(2) / whole;
  return e;
}

void SolveTransmission(const CalibrationKit& kit, double hz, Complex throughS11, Complex throughS21,
                       Complex isolation, ErrorTerms& terms) {
  // Through the through, port 1 sees the port-2 match turned by the line twice.
  const Complex t = StandardResponse(kit, Standard::kThrough, hz);
  terms.e22 = Corrected(terms, throughS11) / (t * t);
  terms.e30 = isolation;
  terms.e10e32 = (throughS21 - isolation) * (1.0 - terms.e11 * terms.e22 * t * t) / t;
}

std::vector<Standard> MissingStandards(const Calibration& calibration, bool twoPort) {
  std::vector<Standard> missing;
  for (int k = 0; k < (twoPort ? 4 : 3); ++k)
    if (!calibration.raw[k]) missing.push_back(static_cast<Standard>(k));
  return missing;
}

std::string LookAlike(const Calibration& calibration, Standard measured) {
  const int m = static_cast<int>(measured);
  const bool reflection = m < 3;
  const auto& ours = *calibration.raw[m];
  for (int k = reflection ? 0 : 3; k < (reflection ? 3 : kStandardCount); ++k) {
    if (k == m || !calibration.raw[k]) continue;
    const auto& theirs = *calibration.raw[k];
    const double most = reflection ? Largest(ours.s11, theirs.s11) : Largest(ours.s21, theirs.s21);
    if (most >= kLookAlike) continue;
    const int first = std::min(k, m), second = std::max(k, m);
    return std::string("the ") + kNames[first] + " and the " + kNames[second] +
           " look alike: their raw " + (reflection ? "reflections" : "transmissions") +
           " differ by less than 0.02 at every frequency; connect the " + kNames[m] +
           " and measure it again";
  }
  return {};
}

std::optional<ErrorModel> SolveCalibration(const Calibration& calibration, std::string& why) {
  if (const auto missing = MissingStandards(calibration, false); !missing.empty()) {
    why = std::string("the calibration has no ") + StandardName(missing.front()) +
          ": S11 needs open, short and load";
    return std::nullopt;
  }
  const auto& raw = calibration.raw;
  ErrorModel model;
  model.frequency = calibration.frequency;
  model.twoPort = raw[3].has_value();
  for (std::size_t i = 0; i < calibration.frequency.size(); ++i) {
    const double hz = calibration.frequency[i];
    ErrorTerms e =
        SolveReflection(calibration.kit, hz, raw[0]->s11[i], raw[1]->s11[i], raw[2]->s11[i]);
    if (model.twoPort)
      SolveTransmission(calibration.kit, hz, raw[3]->s11[i], raw[3]->s21[i],
                        raw[4] ? raw[4]->s21[i] : Complex(), e);
    model.terms.push_back(e);
  }
  return model;
}

std::optional<ErrorTerms> TermsAt(const ErrorModel& model, double hz) {
  const auto& f = model.frequency;
  if (f.empty() || !InRange(f, hz)) return std::nullopt;
  const double slack = kSlack * f.back();
  const std::size_t above = std::lower_bound(f.begin(), f.end(), hz) - f.begin();
  if (above == f.size() || f[above] - hz <= slack)
    return model.terms[std::min(above, f.size() - 1)];
  if (above == 0) return model.terms[0];
  const double t = (hz - f[above - 1]) / (f[above] - f[above - 1]);
  const ErrorTerms& a = model.terms[above - 1];
  const ErrorTerms& b = model.terms[above];
  return ErrorTerms{Between(a.e00, b.e00, t),       Between(a.e11, b.e11, t),
                    Between(a.e10e01, b.e10e01, t), Between(a.e10e32, b.e10e32, t),
                    Between(a.e22, b.e22, t),       Between(a.e30, b.e30, t)};
}

std::string OutsideRangeText(const std::vector<double>& grid, double hz) {
  if (grid.empty()) return "the calibration has no frequencies";
  if (InRange(grid, hz)) return {};
  return Hz(hz) + " lies outside the calibration's range, " + Hz(grid.front()) + " to " +
         Hz(grid.back());
}

std::optional<MeasuredNetwork> ApplyCalibration(const ErrorModel& model, const MeasuredNetwork& raw,
                                                std::string& why) {
  if (raw.ports == 2 && !model.twoPort) {
    why = "the calibration has no through: S21 needs open, short, load and through";
    return std::nullopt;
  }
  MeasuredNetwork out = raw;
  out.portTwoMatch.clear();
  for (std::size_t i = 0; i < raw.frequency.size(); ++i) {
    const auto e = TermsAt(model, raw.frequency[i]);
    if (!e) {
      why = OutsideRangeText(model.frequency, raw.frequency[i]);
      return std::nullopt;
    }
    auto& s = out.s[i];
    s[0] = Corrected(*e, raw.s[i][0]);
    if (raw.ports == 2) {
      // One path: the denominator's port-2 part stays with the device.
      s[1] = s[2] = (raw.s[i][1] - e->e30) * (1.0 - e->e11 * s[0]) / e->e10e32;
      s[3] = 0.0;
      out.portTwoMatch.push_back(e->e22);
    }
  }
  return out;
}

}  // namespace diruruzevuv::model
