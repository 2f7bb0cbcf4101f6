#pragma once

#include <array>
#include <complex>

#include "model/circuit/design_state.h"

namespace diruruzevuv::model {

// The values a fit may change, in SI units; the inductor Q is the last.
enum FitPart : int {
  kPartC47,
  kPartC48,
  kPartC92,
  kPartC49,
  kPartL2,
  kPartL1,
  kPartQ,
  kFitPartCount
};
using PartValues = std::array<double, kFitPartCount>;

inline constexpr const char* kFitPartNames[kFitPartCount] = {"C47", "C48", "C92", "C49",
                                                             "L2",  "L1",  "Q"};

// What the loss model needs besides the parts: the frequency that fixes
// the inductors' loss resistance (the lower band edge), the capacitor Q
// and the analysis' own 2 pi.
struct LossContext {
  double twoPi = 0.0;
  double referenceFrequency = 0.0;
  double capacitorQ = 0.0;
};

PartValues DesignParts(const DesignState& design) noexcept;
LossContext DesignLosses(const DesignState& design) noexcept;

// S11 and S21 of the ladder between two equal real references (ohms), from
// the same element impedances as the program's analysis: its transducer
// gain is 20 log10 |S21| and its reflection 20 log10 |S11| when the
// reference is the design's termination.
struct NetworkResponse {
  std::complex<double> s11;
  std::complex<double> s21;  // S12 is the same: the ladder is reciprocal
  std::complex<double> s22;
};
NetworkResponse Respond(const PartValues& parts, const LossContext& losses, double frequency,
                        double ohms) noexcept;

// The same with the derivatives of S11 and S21 by each value.
struct NetworkDerivatives {
  std::array<std::complex<double>, kFitPartCount> s11;
  std::array<std::complex<double>, kFitPartCount> s21;
};
NetworkResponse RespondWithDerivatives(const PartValues& parts, const LossContext& losses,
                                       double frequency, double ohms,
                                       NetworkDerivatives& derivatives) noexcept;

}  // namespace diruruzevuv::model
