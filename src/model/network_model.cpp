#include "model/network_model.h"

namespace diruruzevuv::model {
namespace {

using Complex = std::complex<double>;

constexpr double kOpenOhms = 1e11;   // a capacitor of 0 F, as the analysis has it
constexpr double kShuntOhms = 1e11;  // the analysis' fixed resistance across L1 and C92

// 1 / z without the library's careful complex division, which costs
// several times more; the values here never come near overflow.
inline Complex Reciprocal(Complex z) noexcept {
  const double scale = 1.0 / (z.real() * z.real() + z.imag() * z.imag());
  return {z.real() * scale, -z.imag() * scale};
}

struct Chain {
  Complex a{1.0}, b{0.0}, c{0.0}, d{1.0};
};

Chain TimesShunt(const Chain& m, Complex y) noexcept {
  return {m.a + m.b * y, m.b, m.c + m.d * y, m.d};
}
Chain TimesSeries(const Chain& m, Complex z) noexcept {
  return {m.a, m.a * z + m.b, m.c, m.c * z + m.d};
}
Chain ShuntTimes(Complex y, const Chain& m) noexcept {
  return {m.a, m.b, y * m.a + m.c, y * m.b + m.d};
}
Chain SeriesTimes(Complex z, const Chain& m) noexcept {
  return {m.a + z * m.c, m.b + z * m.d, m.c, m.d};
}

// A shunt capacitor with constant Q: G + jB with B = wC, G = wC / Qc.
Complex CapacitorAdmittance(double c, double w, double qc) noexcept {
  if (c == 0.0) return {1.0 / (qc * kOpenOhms), -1.0 / kOpenOhms};
  return {w * c / qc, w * c};
}

// Everything one frequency needs, with the derivatives of each element.
struct Elements {
  Complex y1, z2, y3, z4, y5;
  Complex dy1, dy3, dy5;  // by their capacitance
  Complex dz2dL, dz2dQ;
  Complex dz4dL, dz4dC, dz4dQ;
};

Elements Build(const PartValues& p, const LossContext& k, double f, bool derivatives) noexcept {
  Elements e;
  const double w = f * k.twoPi;
  const double qi = p[kPartQ];
  const double qc = k.capacitorQ;
  const double lossPerHenry = k.twoPi * k.referenceFrequency / qi;
  e.y1 = CapacitorAdmittance(p[kPartC47], w, qc);
  e.y3 = CapacitorAdmittance(p[kPartC48], w, qc);
  e.y5 = CapacitorAdmittance(p[kPartC49], w, qc);
  // L2: a loss resistance fixed at the reference frequency.
  const double r2 = lossPerHenry * p[kPartL2];
  e.z2 = {r2, w * p[kPartL2]};
  // L1 with C92 across it and the fixed shunt resistance.
  const double r4 = lossPerHenry * p[kPartL1];
  const Complex zl{r4, w * p[kPartL1]};
  const Complex yl = Reciprocal(zl);
  const Complex yc = p[kPartC92] == 0.0 ? Complex(1.0 / kOpenOhms, -1.0 / kOpenOhms)
                                        : Complex(w * p[kPartC92] / qc, w * p[kPartC92]);
  const Complex y4 = yl + yc + 1.0 / kShuntOhms;
  e.z4 = Reciprocal(y4);
  if (derivatives) {
    const Complex dyc{w / qc, w};
    e.dy1 = dyc;
    e.dy3 = dyc;
    e.dy5 = dyc;
    e.dz2dL = {lossPerHenry, w};
    e.dz2dQ = -r2 / qi;
    const Complex z4sq = e.z4 * e.z4;
    // dz4 = -z4^2 dy4; dyl = -yl^2 dzl
    const Complex yl2 = yl * yl;
    e.dz4dL = z4sq * yl2 * Complex(lossPerHenry, w);
    e.dz4dQ = z4sq * yl2 * Complex(-r4 / qi, 0.0);
    e.dz4dC = p[kPartC92] == 0.0 ? Complex(0.0) : -z4sq * dyc;
  }
  return e;
}

// S11 and S21 from the chain matrix between equal references r.
NetworkResponse FromChain(const Chain& m, double r, Complex& den, Complex& num) noexcept {
  den = m.a * r + m.b + m.c * (r * r) + m.d * r;
  num = m.a * r + m.b - m.c * (r * r) - m.d * r;
  const Complex inv = Reciprocal(den);
  return {num * inv, 2.0 * r * inv, (-m.a * r + m.b - m.c * (r * r) + m.d * r) * inv};
}

}  // namespace

PartValues DesignParts(const DesignState& d) noexcept {
  PartValues p{};
  p[kPartC47] = d.C47;
  p[kPartC48] = d.C48;
  p[kPartC92] = d.C92;
  p[kPartC49] = d.C49;
  p[kPartL2] = d.L2;
  p[kPartL1] = d.L1;
  p[kPartQ] = d.InductorQ;
  return p;
}

LossContext DesignLosses(const DesignState& d) noexcept {
  return {2.0 * static_cast<double>(kPi), d.LowerEdge, d.CapacitorQ};
}

NetworkResponse Respond(const PartValues& parts, const LossContext& losses, double frequency,
                        double ohms) noexcept {
  const Elements e = Build(parts, losses, frequency, false);
  Chain m;
  m = TimesShunt(m, e.y1);
  m = TimesSeries(m, e.z2);
  m = TimesShunt(m, e.y3);
  m = TimesSeries(m, e.z4);
  m = TimesShunt(m, e.y5);
  Complex den, num;
  return FromChain(m, ohms, den, num);
}

// M = E1 E2 E3 E4 E5; the derivative by a value of element k is
// (E1 .. Ek-1) dEk (Ek+1 .. E5), built from prefix and suffix products.
NetworkResponse RespondWithDerivatives(const PartValues& parts, const LossContext& losses,
                                       double frequency, double ohms,
                                       NetworkDerivatives& out) noexcept {
  const Elements e = Build(parts, losses, frequency, true);
  Chain pre[5];  // pre[k] = E1 .. Ek (k counted from 0: E(k+1) excluded)
  pre[0] = Chain{};
  pre[1] = TimesShunt(pre[0], e.y1);
  pre[2] = TimesSeries(pre[1], e.z2);
  pre[3] = TimesShunt(pre[2], e.y3);
  pre[4] = TimesSeries(pre[3], e.z4);
  const Chain m = TimesShunt(pre[4], e.y5);
  Chain post[5];  // post[k] = E(k+2) .. E5
  post[4] = Chain{};
  post[3] = ShuntTimes(e.y5, post[4]);
  post[2] = SeriesTimes(e.z4, post[3]);
  post[1] = ShuntTimes(e.y3, post[2]);
  post[0] = SeriesTimes(e.z2, post[1]);

  Complex den, num;
  const NetworkResponse response = FromChain(m, ohms, den, num);
  const double r = ohms;
  // dDen and dNum for a change dM of the chain matrix.
  auto fromDelta = [r](Complex da, Complex db, Complex dc, Complex dd, Complex& dDen,
                       Complex& dNum) {
    dDen = da * r + db + dc * (r * r) + dd * r;
    dNum = da * r + db - dc * (r * r) - dd * r;
  };
  // dM_ij = dy P_i2 Q_1j
  auto shunt = [&](int k, Complex dy, Complex& dDen, Complex& dNum) {
    const Chain& p = pre[k];
    const Chain& q = post[k];
    fromDelta(dy * p.b * q.a, dy * p.b * q.b, dy * p.d * q.a, dy * p.d * q.b, dDen, dNum);
  };
  // dM_ij = dz P_i1 Q_2j
  auto series = [&](int k, Complex dz, Complex& dDen, Complex& dNum) {
    const Chain& p = pre[k];
    const Chain& q = post[k];
    fromDelta(dz * p.a * q.c, dz * p.a * q.d, dz * p.c * q.c, dz * p.c * q.d, dDen, dNum);
  };
  std::array<Complex, kFitPartCount> dDen{}, dNum{};
  shunt(0, e.dy1, dDen[kPartC47], dNum[kPartC47]);
  series(1, e.dz2dL, dDen[kPartL2], dNum[kPartL2]);
  shunt(2, e.dy3, dDen[kPartC48], dNum[kPartC48]);
  series(3, e.dz4dL, dDen[kPartL1], dNum[kPartL1]);
  series(3, e.dz4dC, dDen[kPartC92], dNum[kPartC92]);
  shunt(4, e.dy5, dDen[kPartC49], dNum[kPartC49]);
  Complex qDen2, qNum2, qDen4, qNum4;
  series(1, e.dz2dQ, qDen2, qNum2);
  series(3, e.dz4dQ, qDen4, qNum4);
  dDen[kPartQ] = qDen2 + qDen4;
  dNum[kPartQ] = qNum2 + qNum4;
  const Complex inv = Reciprocal(den);
  const Complex inv2 = inv * inv;
  for (int i = 0; i < kFitPartCount; ++i) {
    out.s21[i] = (-2.0 * r) * dDen[i] * inv2;
    out.s11[i] = (dNum[i] * den - num * dDen[i]) * inv2;
  }
  return response;
}

}  // namespace diruruzevuv::model
