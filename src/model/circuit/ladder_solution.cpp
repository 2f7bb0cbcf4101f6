// The node voltages and part currents, kept apart from the responses: the
// responses are built without the library's recovery of infinite complex
// products, and this divides by complex numbers, where that would change
// the digits.
#include "model/circuit/ladder.h"

namespace diruruzevuv::model {

// Walks from the load back to the source with a unit load current, then
// scales everything to the source's EMF; a short load is fine this way.
LadderSolution Solve(const Ladder& ladder, double frequency, Complex sourceVolts,
                     Complex loadImpedance) noexcept {
  LadderSolution s;
  const Complex y47 = CapacitorAdmittance(ladder, ladder.value[kC47], frequency);
  const Complex y48 = CapacitorAdmittance(ladder, ladder.value[kC48], frequency);
  const Complex y49 = CapacitorAdmittance(ladder, ladder.value[kC49], frequency);
  const Complex z2 = InductorImpedance(ladder, kL2, frequency);
  const Complex zl1 = InductorImpedance(ladder, kL1, frequency);
  const Complex ztrap = TrapImpedance(ladder, frequency);

  Complex v3 = loadImpedance;
  Complex current = 1.0;  // the load current
  s.loadAmps = current;
  current += v3 * y49;
  const Complex v2 = v3 + current * ztrap;
  current += v2 * y48;
  const Complex v1 = v2 + current * z2;
  current += v1 * y47;
  const Complex emf = v1 + current * ladder.sourceOhms;
  const Complex scale = sourceVolts / emf;

  s.node = {0.0, v1 * scale, v2 * scale, v3 * scale};
  s.loadAmps *= scale;
  s.inputAmps = current * scale;
  for (int p = 0; p < kLadderPartCount; ++p) {
    const LadderPartInfo& info = kLadderParts[p];
    s.volts[p] = s.node[info.from] - s.node[info.to];
  }
  s.amps[kC47] = s.volts[kC47] * y47;
  s.amps[kL2] = s.volts[kL2] / z2;
  s.amps[kC48] = s.volts[kC48] * y48;
  s.amps[kL1] = s.volts[kL1] / zl1;
  s.amps[kC92] = ladder.value[kC92] == 0.0
                     ? Complex(0.0)
                     : s.volts[kC92] * CapacitorAdmittance(ladder, ladder.value[kC92], frequency);
  s.amps[kC49] = s.volts[kC49] * y49;
  return s;
}

}  // namespace diruruzevuv::model
