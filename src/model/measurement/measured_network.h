#pragma once

#include <array>
#include <optional>
#include <complex>
#include <optional>
#include <string>
#include <vector>

namespace diruruzevuv::model {

// A network measured with a vector network analyser: one or two ports,
// S-parameters at increasing frequencies.
struct MeasuredNetwork {
  using Matrix = std::array<std::complex<double>, 4>;  // S11, S21, S12, S22
  int ports = 0;                                       // 1 or 2
  std::vector<double> frequency;                       // Hz, increasing
  std::vector<Matrix> s;  // one per frequency; a one-port file fills S11 only
  // The reference impedance of each port the analyser measured against.
  std::array<double, 2> referenceOhms{50.0, 50.0};
  std::string name;  // the file's name, for legends and messages
  // What the reader ignored and the user should know ("a.s2p, line 7: a
  // second option line is ignored").
  std::vector<std::string> warnings;
  // Read from an analyser without any correction (its raw readings).
  bool uncorrected = false;
};

// A measurement shown over the design's response: referred to the
// design's termination, remembering what the analyser measured against.
// The response of the fitted parts at the measurement's frequencies, dB.
struct FittedCurves {
  std::vector<double> frequency;
  std::vector<double> gainDb;
  std::vector<double> reflectionDb;
};

struct ShownMeasurement {
  MeasuredNetwork network;
  std::array<double, 2> measuredOhms{50.0, 50.0};
  // After a fit of this measurement: what the fitted parts give.
  std::optional<FittedCurves> fitted;
};

// True when both ports are referred to ohms already.
bool IsReferredTo(const MeasuredNetwork& network, double ohms) noexcept;

// A filter of coils and capacitors has no gain: a corrected measurement
// whose |S11| or |S21| lies above this at any frequency is faulty (an
// analyser's leftover error stays well below it).
inline constexpr double kMostPassiveMagnitude = 1.05;
inline constexpr const char* kGainProblem =
    "gains above 0 dB: not a passive filter, or a faulty measurement";
// The first frequency where the measurement shows a gain above that, or
// nothing.
std::optional<double> GainAbovePassive(const MeasuredNetwork& network) noexcept;

// Why the measurement cannot be referred to ohms, or empty when it can.
// Referring needs all four parameters: a one-port file's S11 depends on
// what loaded the filter's output while it was measured, and many
// analysers' PC programs save S12 and S22 as zeros or as copies of S21 and
// S11. Such a file can only be judged at the impedance it was measured at.
std::string ReferralProblem(const MeasuredNetwork& network, double ohms);

// What the measurement is for: judging it against the design (the
// overlay, compare), or fitting the built values.
enum class MeasurementUse { kJudge, kFit };

// A measurement made ready for use against a design of the given ohms.
struct PreparedMeasurement {
  std::optional<MeasuredNetwork> network;  // empty when refused
  std::string problem;                     // why it was refused
};

// Refers the measurement to ohms, or refuses it saying why and what to
// measure instead; a fit may use a one-port file as it was measured.
PreparedMeasurement PrepareMeasurement(const MeasuredNetwork& read, double ohms,
                                       MeasurementUse use);

// The same network referred to a real reference of ohms on every port.
// The conversion goes through the impedance matrix Z, with the products
// multiplied out so that a network without one (a plain series element,
// whose I - S is singular) converts as well. Returns false and leaves out
// unchanged when the converted matrix is not defined (a short circuit
// referred to 0 ohm and the like).
bool Renormalise(const MeasuredNetwork& in, double ohms, MeasuredNetwork& out);

}  // namespace diruruzevuv::model
