#pragma once

// A plain, one-point-at-a-time version of the ladder analysis with
// std::complex, written to read like the formulas. The production code is
// restructured for speed; the tests hold it to this version.

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "model/circuit/analysis.h"
#include "model/circuit/design_state.h"

namespace diruruzevuv::model::reference {

using Complex = std::complex<double>;

struct Point {
  double gain = 0.0, reflection = 0.0;
};

// The load is the input termination, as the sweep makes it.
inline Point Analyze(const DesignState& design, double f) {
  const double twoPi = 2.0 * static_cast<double>(kPi), w = f * twoPi;
  const double qi = design.InductorQ, qc = design.CapacitorQ, fref = design.LowerEdge;
  Complex a = 1.0, b = 0.0, c = 0.0, d = 1.0;  // chain matrix, generator side first
  auto shunt = [&](double cap) {
    const double x = cap == 0.0 ? 1e11 : -1.0 / (w * cap);
    const Complex y(1.0 / std::abs(qc * x), -1.0 / x);
    a += b * y, c += d * y;
  };
  auto series = [&](Complex z) { b += a * z, d += c * z; };
  shunt(design.C47);
  const double l2 = design.L2;
  series(Complex(static_cast<float>(std::abs(twoPi * fref * l2 / qi)), w * l2));
  shunt(design.C48);
  const double l = design.L1, cap = design.C92;
  const double rsl = twoPi * fref * l / qi, xl = w * l;
  const double rpl = rsl * (1.0 + (xl / rsl) * (xl / rsl));
  double xpl = rpl * rsl / xl;
  const double rc = cap != 0.0 ? std::abs(qc / (w * cap)) : 1e11;
  const double xc = cap != 0.0 ? -1.0 / (w * cap) : 1e11;
  if (xc + xpl == 0.0) xpl *= 1.00001;
  const double r = 1.0 / (1.0 / rpl + 1.0 / rc + 1.0 / 1e11);
  const double x = 1.0 / (1.0 / xpl + 1.0 / xc);
  const double rser = std::abs(r / (1.0 + (r / x) * (r / x)));
  series(Complex(rser, r * rser / x));
  shunt(design.C49);
  const double rs = design.InputTermination;
  Complex t = (a * rs + b + c * rs * rs + d * rs) / rs;
  if (t.real() == 0.0) t.real(1e-10);
  if (t.imag() == 0.0) t.imag(1e-10);
  Point p;
  p.gain = -10.0 * std::log10(std::norm(t) * rs / (4.0 * rs));
  const Complex zin = (a * rs + b) / (c * rs + d);
  const double rho = std::clamp(std::abs(zin - rs) / std::abs(zin + rs), 1e-7, 0.9999999);
  p.reflection = 20.0 * std::log10(rho);
  return p;
}

struct Sweep {
  std::vector<float> frequency, gain, reflection;
};

inline Sweep RunSweep(const DesignState& design) {
  Sweep out;
  const double la = std::log(static_cast<double>(design.SweepStart));
  const double lb = std::log(static_cast<double>(design.SweepStop));
  for (int i = 0; i <= 2000; ++i) {
    const float f = static_cast<float>(std::exp(la + (lb - la) * i / 2000));
    const Point p = Analyze(design, f);
    out.frequency.push_back(f);
    out.gain.push_back(static_cast<float>(p.gain));
    out.reflection.push_back(static_cast<float>(p.reflection));
  }
  return out;
}

}  // namespace diruruzevuv::model::reference
