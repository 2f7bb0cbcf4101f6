#pragma once

// A plain, one-point-at-a-time version of the ladder analysis with
// std::complex, written to read like the formulas. The production code is
// restructured for speed; the tests hold it to this version.

#include <cmath>
#include <complex>
#include <vector>

#include "model/analysis.h"
#include "model/design_state.h"

namespace diruruzevuv::model::reference {

using Complex = std::complex<double>;

struct Chain {
  Complex a{1.0, 0.0}, b{0.0, 0.0}, c{0.0, 0.0}, d{1.0, 0.0};
};

inline Chain Multiply(const Chain& m, const Chain& e) {
  Chain r;
  r.a = m.a * e.a + m.b * e.c;
  r.b = m.a * e.b + m.b * e.d;
  r.c = m.c * e.a + m.d * e.c;
  r.d = m.c * e.b + m.d * e.d;
  return r;
}

struct Setup {
  std::vector<LadderElement> elements;  // generator side first
  float rl = 0.0f;
  float r0 = 0.0f;
  float fref = 0.0f;
};

inline Setup SetupFrom(DesignState& design) {
  Setup s;
  s.elements = {{4, design.C47, 0.0f},
                {1, 0.0f, design.L2},
                {4, design.C48, 0.0f},
                {7, design.C92, design.L1},
                {4, design.C49, 0.0f}};
  design.LoadTermination = design.InputTermination;
  s.rl = design.LoadTermination;
  s.r0 = design.InputTermination;
  s.fref = design.LowerEdge;
  return s;
}

struct Point {
  double gain = 0.0;
  double reflection = 0.0;
};

inline Point Analyze(const Setup& s, const DesignState& design, double f) {
  const double twoPi = 2.0 * static_cast<double>(kPi);
  const double w = f * twoPi;
  const double qi = design.InductorQ;
  const double qc = design.CapacitorQ;
  const double fref = s.fref;
  Chain m;
  for (const LadderElement& el : s.elements) {
    const double c = el.capacitance;
    const double l = el.inductance;
    Chain e;
    if (el.type == 4) {
      const double x = c == 0.0 ? 1e11 : -1.0 / (w * c);
      const double rp = std::abs(qc * x);
      e.c = Complex(1.0 / rp, -1.0 / x);
    } else if (el.type == 1) {
      const float rsl = static_cast<float>(std::abs(twoPi * fref * l / qi));
      e.b = Complex(rsl, w * l);
    } else if (el.type == 7) {
      const double rsl = twoPi * fref * l / qi;
      const double xl = w * l;
      const double rpl = rsl * (1.0 + (xl / rsl) * (xl / rsl));
      double xpl = rpl * rsl / xl;
      double rc = 1e11;
      double xc = 1e11;
      if (c != 0.0) {
        rc = std::abs(qc / (w * c));
        xc = -1.0 / (w * c);
      }
      const double rx = 1e11;
      if (xc + xpl == 0.0) xpl *= 1.00001;
      const double r = 1.0 / (1.0 / rpl + 1.0 / rc + 1.0 / rx);
      const double x = 1.0 / (1.0 / xpl + 1.0 / xc);
      const double rser = std::abs(r / (1.0 + (r / x) * (r / x)));
      const double xser = r * rser / x;
      e.b = Complex(rser, xser);
    }
    m = Multiply(m, e);
  }
  const double rs = design.InputTermination;
  const double rl = s.rl;
  const double r0 = s.r0;
  Complex t = (m.a * rl + m.b + m.c * rs * rl + m.d * rs) / rl;
  if (t.real() == 0.0) t.real(1e-10);
  if (t.imag() == 0.0) t.imag(1e-10);
  Point p;
  p.gain = -10.0 * std::log10(std::norm(t) * rl / (4.0 * rs));
  const Complex zin = (m.a * rl + m.b) / (m.c * rl + m.d);
  double rho = std::abs(zin - r0) / std::abs(zin + r0);
  if (rho > 0.9999999) rho = 0.9999999;
  if (rho < 1e-7) rho = 1e-7;
  p.reflection = 20.0 * std::log10(rho);
  return p;
}

struct Sweep {
  std::vector<float> frequency, gain, reflection;
};

inline Sweep RunSweep(DesignState& design) {
  const Setup s = SetupFrom(design);
  Sweep out;
  const double la = std::log(static_cast<double>(design.SweepStart));
  const double lb = std::log(static_cast<double>(design.SweepStop));
  for (int i = 0; i <= 2000; ++i) {
    const float f = static_cast<float>(std::exp(la + (lb - la) * i / 2000));
    const Point p = Analyze(s, design, f);
    out.frequency.push_back(f);
    out.gain.push_back(static_cast<float>(p.gain));
    out.reflection.push_back(static_cast<float>(p.reflection));
  }
  return out;
}

}  // namespace diruruzevuv::model::reference
