#include "model/measurement/measured_network.h"

#include <cmath>
#include <charconv>

namespace diruruzevuv::model {
namespace {

using Complex = std::complex<double>;

// Ohms as a person writes them, whatever the locale: 12.5, 50.
std::string Ohms(double ohms) {
  char text[40];
  const auto end = std::to_chars(text, text + sizeof text, ohms).ptr;
  return std::string(text, end);
}

// The references a measurement was made at: "50", or "50 and 75" when the
// ports differ.
std::string References(const MeasuredNetwork& network) {
  const std::string first = Ohms(network.referenceOhms[0]);
  if (network.ports < 2 || network.referenceOhms[1] == network.referenceOhms[0]) return first;
  return first + " and " + Ohms(network.referenceOhms[1]);
}

bool Finite(Complex v) noexcept {
  return std::isfinite(v.real()) && std::isfinite(v.imag());
}

}  // namespace

bool IsReferredTo(const MeasuredNetwork& network, double ohms) noexcept {
  return network.referenceOhms[0] == ohms &&
         (network.ports < 2 || network.referenceOhms[1] == ohms);
}

std::optional<double> GainAbovePassive(const MeasuredNetwork& network) noexcept {
  for (std::size_t i = 0; i < network.s.size() && i < network.frequency.size(); ++i) {
    const MeasuredNetwork::Matrix& m = network.s[i];
    // Not "> limit": a value that is not a number is no gain either way.
    if (!(std::abs(m[0]) <= kMostPassiveMagnitude) ||
        (network.ports == 2 && !(std::abs(m[1]) <= kMostPassiveMagnitude)))
      return network.frequency[i];
  }
  return std::nullopt;
}

std::string ReferralProblem(const MeasuredNetwork& network, double ohms) {
  if (IsReferredTo(network, ohms) || network.s.empty()) return {};
  if (network.ports == 1) {
    return network.name + ": a one-port measurement at " + Ohms(network.referenceOhms[0]) +
           " ohm cannot be judged at the design's " + Ohms(ohms) +
           " ohm (its S11 depends on what loaded the output); measure both ports, or measure at " +
           Ohms(ohms) + " ohm";
  }
  bool zero = true;
  bool copied = true;
  bool oneWay = true;  // what an analyser that measures one direction gives
  for (const MeasuredNetwork::Matrix& m : network.s) {
    zero = zero && m[2] == 0.0 && m[3] == 0.0;
    copied = copied && m[2] == m[1] && m[3] == m[0];
    oneWay = oneWay && m[2] == m[1] && m[3] == 0.0;
  }
  if (!zero && !copied && !oneWay) return {};
  return network.name + ": S12 and S22 " +
         (zero     ? "are zero"
          : copied ? "are copies of S21 and S11"
                   : "are a copy of S21 and zero") +
         ", so a measurement at " + References(network) +
         " ohm cannot be judged at the design's " + Ohms(ohms) + " ohm; measure at " + Ohms(ohms) +
         " ohm or save all four parameters";
}

PreparedMeasurement PrepareMeasurement(const MeasuredNetwork& read, double ohms,
                                       MeasurementUse use) {
  PreparedMeasurement prepared;
  // A one-port file at another impedance is kept as measured for a fit,
  // which loads the filter with the analyser's impedance, as it was.
  if (use == MeasurementUse::kFit && read.ports == 1 && !IsReferredTo(read, ohms)) {
    prepared.network = read;
    return prepared;
  }
  prepared.problem = ReferralProblem(read, ohms);
  if (!prepared.problem.empty()) return prepared;
  MeasuredNetwork referred;
  if (!Renormalise(read, ohms, referred)) {
    prepared.problem = read.name + ": cannot be referred to the design's termination";
    return prepared;
  }
  prepared.network = std::move(referred);
  return prepared;
}

// With G = diag(sqrt(Z0i)) the impedance matrix of a measurement at the
// references Z0i is Z = G (I + S)(I - S)^-1 G. Referred to R on both
// ports, S' = (Z - R)(Z + R)^-1 = G N P^-1 G^-1 with K = diag(R / Z0i),
// N = (I + S) - K (I - S) and P = (I + S) + K (I - S): the factor
// (I - S)^-1 cancels, so only P has to be inverted.
bool Renormalise(const MeasuredNetwork& in, double ohms, MeasuredNetwork& out) {
  if (!(ohms > 0.0) || !std::isfinite(ohms)) return false;
  for (int p = 0; p < in.ports; ++p) {
    if (!(in.referenceOhms[p] > 0.0) || !std::isfinite(in.referenceOhms[p])) return false;
  }
  MeasuredNetwork result = in;
  result.referenceOhms = {ohms, ohms};
  if (in.ports == 1) {
    const double k = ohms / in.referenceOhms[0];
    for (auto& m : result.s) {
      const Complex s = m[0];
      const Complex p = (1.0 + s) + k * (1.0 - s);
      if (p == 0.0) return false;
      m[0] = ((1.0 + s) - k * (1.0 - s)) / p;
      if (!Finite(m[0])) return false;
    }
    out = std::move(result);
    return true;
  }
  const double k1 = ohms / in.referenceOhms[0];
  const double k2 = ohms / in.referenceOhms[1];
  // g = sqrt(Z01 / Z02): G N P^-1 G^-1 scales S'21 by 1/g and S'12 by g.
  const double g = std::sqrt(in.referenceOhms[0] / in.referenceOhms[1]);
  for (auto& m : result.s) {
    const Complex s11 = m[0], s21 = m[1], s12 = m[2], s22 = m[3];
    // I + S and I - S, row by row: [[a, b], [c, d]].
    const Complex pa = 1.0 + s11, pb = s12, pc = s21, pd = 1.0 + s22;
    const Complex ma = 1.0 - s11, mb = -s12, mc = -s21, md = 1.0 - s22;
    // K scales the rows of I - S.
    const Complex na = pa - k1 * ma, nb = pb - k1 * mb, nc = pc - k2 * mc, nd = pd - k2 * md;
    const Complex qa = pa + k1 * ma, qb = pb + k1 * mb, qc = pc + k2 * mc, qd = pd + k2 * md;
    const Complex det = qa * qd - qb * qc;
    if (det == 0.0) return false;
    // P^-1 = [[qd, -qb], [-qc, qa]] / det
    const Complex r11 = (na * qd - nb * qc) / det;
    const Complex r12 = (-na * qb + nb * qa) / det;
    const Complex r21 = (nc * qd - nd * qc) / det;
    const Complex r22 = (-nc * qb + nd * qa) / det;
    m = {r11, r21 / g, r12 * g, r22};
    for (const Complex& v : m) {
      if (!Finite(v)) return false;
    }
  }
  out = std::move(result);
  return true;
}

}  // namespace diruruzevuv::model
