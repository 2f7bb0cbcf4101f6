#pragma once

// Host calibration of a one-path analyser: the open, short and load at
// port 1 give the one-port error terms, a through the transmission
// tracking and the port-2 match, an optional isolation the leakage. The
// analyser's raw wave ratios then become the device's own: S11 as seen
// with port 2 loaded by its match, S21 as the wave ratio into that match.

#include <array>
#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "model/measurement/measured_network.h"

namespace diruruzevuv::model {

using Complex = std::complex<double>;

// A kit's standards as their makers publish them; zeros (and a 50 ohm
// load) are ideal. Each reflection standard sits behind a lossless 50 ohm
// offset of the given delay.
struct CalibrationKit {
  // The open's fringing capacitance C0 + C1 f + C2 f^2 + C3 f^3, in fF,
  // 1e-27 F/Hz, 1e-36 F/Hz^2 and 1e-45 F/Hz^3.
  std::array<double, 4> openC{};
  double openDelayPs = 0.0;
  // The short's inductance L0 + L1 f + ..., in pH, 1e-24 H/Hz, 1e-33, 1e-42.
  std::array<double, 4> shortL{};
  double shortDelayPs = 0.0;
  double loadOhms = 50.0;
  double throughDelayPs = 0.0;
};

enum class Standard { kOpen, kShort, kLoad, kThrough, kIsolation };
inline constexpr int kStandardCount = 5;
// "open", "short", "load", "through", "isolation".
const char* StandardName(Standard standard);
std::optional<Standard> StandardNamed(const std::string& name);

// What a standard is at hz: the reflection of open, short and load, the
// transmission of the through (the isolation is none: 0).
Complex StandardResponse(const CalibrationKit& kit, Standard standard, double hz);

// The analyser's raw wave ratios with a standard connected, one per
// frequency of the calibration's grid.
struct RawSweep {
  std::vector<Complex> s11;
  std::vector<Complex> s21;
};

// Everything measured for a calibration: the grid, the raw standards (so a
// changed kit recomputes it) and the kit.
struct Calibration {
  std::vector<double> frequency;  // Hz, increasing
  std::array<std::optional<RawSweep>, kStandardCount> raw;
  CalibrationKit kit;
};

// The error terms at one frequency. Reflection: Gm = e00 + e10e01 G / (1 -
// e11 G); transmission: S21m = e30 + e10e32 S21 / (1 - e11 S11 - e22 S22 +
// e11 e22 dS).
struct ErrorTerms {
  Complex e00, e11, e10e01;
  Complex e10e32{1.0}, e22, e30;
};

// The terms from the raw open, short and load at hz.
ErrorTerms SolveReflection(const CalibrationKit& kit, double hz, Complex open, Complex shortCircuit,
                           Complex load);
// Adds the through's terms: its raw reflection and transmission, and the
// raw leakage measured with the isolation (0 without).
void SolveTransmission(const CalibrationKit& kit, double hz, Complex throughS11, Complex throughS21,
                       Complex isolation, ErrorTerms& terms);

// The standards not yet measured, in the order of measuring, for a
// reflection-only (S11) or a two-port (S11 and S21) measurement; the
// isolation is never missing.
std::vector<Standard> MissingStandards(const Calibration& calibration, bool twoPort);

// Why the standard just measured cannot be kept, or empty: it looks alike
// one measured before ("the open and the short look alike: ...").
std::string LookAlike(const Calibration& calibration, Standard measured);

// The error terms over the calibration's grid.
struct ErrorModel {
  std::vector<double> frequency;
  std::vector<ErrorTerms> terms;
  bool twoPort = false;  // whether the through was measured
};
// Nothing, with why set, when a standard S11 needs is missing.
std::optional<ErrorModel> SolveCalibration(const Calibration& calibration, std::string& why);

// The terms at hz, interpolated between the grid's frequencies (magnitude
// and phase, so a cable's delay turns smoothly); nothing outside the grid.
std::optional<ErrorTerms> TermsAt(const ErrorModel& model, double hz);
// Why hz cannot be corrected on the grid ("70000000 Hz lies outside the
// calibration's range, 1000000 Hz to 60000000 Hz"), or empty when it can.
std::string OutsideRangeText(const std::vector<double>& grid, double hz);

// The raw measurement corrected: S11 and S21 of the device as loaded at
// port 2 by the port-2 match, S12 = S21 and S22 = 0, the match kept in
// portTwoMatch. Nothing, with why set, for a frequency outside the range or
// an S21 the calibration has no through for.
std::optional<MeasuredNetwork> ApplyCalibration(const ErrorModel& model, const MeasuredNetwork& raw,
                                                std::string& why);

}  // namespace diruruzevuv::model
