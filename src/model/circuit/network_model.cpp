#include "model/circuit/network_model.h"

#include <string_view>

#include "model/circuit/ladder.h"

namespace diruruzevuv::model {
namespace {

// The fit's value of each ladder part, matched by name.
constexpr std::array<FitPart, kLadderPartCount> MakeFitPartOf() noexcept {
  std::array<FitPart, kLadderPartCount> of{};
  for (int p = 0; p < kLadderPartCount; ++p) {
    of[p] = kFitPartCount;
    for (int f = 0; f < kFitPartCount; ++f)
      if (std::string_view(kLadderParts[p].name) == kFitPartNames[f]) of[p] = FitPart(f);
  }
  return of;
}
constexpr std::array<FitPart, kLadderPartCount> kFitPartOf = MakeFitPartOf();
static_assert([] {
  for (FitPart f : kFitPartOf)
    if (f == kFitPartCount) return false;
  return true;
}());

Ladder LadderOf(const PartValues& parts, const LossContext& losses) noexcept {
  Ladder ladder;
  for (int p = 0; p < kLadderPartCount; ++p) ladder.value[p] = parts[kFitPartOf[p]];
  ladder.inductorQ = parts[kPartQ];
  ladder.capacitorQ = losses.capacitorQ;
  ladder.lossReferenceHz = losses.referenceFrequency;
  ladder.twoPi = losses.twoPi;
  return ladder;
}

struct Chain {
  Complex a{1.0}, b{0.0}, c{0.0}, d{1.0};
};

template <bool shunt>
Chain TimesSection(const Chain& m, Complex x) noexcept {
  if constexpr (shunt) return {m.a + m.b * x, m.b, m.c + m.d * x, m.d};
  return {m.a, m.a * x + m.b, m.c, m.c * x + m.d};
}
template <bool shunt>
Chain SectionTimes(Complex x, const Chain& m) noexcept {
  if constexpr (shunt) return {m.a, m.b, x * m.a + m.c, x * m.b + m.d};
  return {m.a + x * m.c, m.b + x * m.d, m.c, m.d};
}

// A section's immittance and its derivatives by the values it depends on:
// its own part, a trap's capacitor, and the inductor Q.
struct Section {
  Complex x;
  Complex byPart, byAcross, byQ;
};

// What every section at one frequency shares.
struct Slopes {
  Complex byCapacitance;  // of G + jB of a capacitor with constant Q
  Complex byInductance;   // of R + jX of an inductor: the loss is linear in L
};

template <int k>
Section Differentiate(const Ladder& ladder, const Slopes& slopes, double f) noexcept {
  constexpr LadderSection s = kLadderSections[k];
  Section out;
  if constexpr (s.kind == SectionKind::kShuntCapacitor) {
    out.x = SectionImmittance(ladder, s, f);
    out.byPart = slopes.byCapacitance;
  } else {
    const Complex byQ{-InductorLossOhms(ladder, s.part) / ladder.inductorQ, 0.0};
    if constexpr (s.kind == SectionKind::kSeriesInductor) {
      out.x = SectionImmittance(ladder, s, f);
      out.byPart = slopes.byInductance;
      out.byQ = byQ;
    } else {
      // z = 1 / y, y = 1 / zl + yc + g: dz = -z^2 dy, d(1 / zl) = -dzl / zl^2.
      const TrapAdmittances y = TrapAdmittancesOf(ladder, s, f);
      out.x = Reciprocal(y.total);
      const Complex z2 = out.x * out.x;
      const Complex z2yl2 = z2 * y.inductor * y.inductor;
      out.byPart = z2yl2 * slopes.byInductance;
      out.byQ = z2yl2 * byQ;
      out.byAcross = ladder.value[s.across] == 0.0 ? Complex(0.0) : -z2 * slopes.byCapacitance;
    }
  }
  return out;
}

// S11, S21 and S22 from the chain matrix between equal references r.
NetworkResponse FromChain(const Chain& m, double r, Complex& den, Complex& num) noexcept {
  den = m.a * r + m.b + m.c * (r * r) + m.d * r;
  num = m.a * r + m.b - m.c * (r * r) - m.d * r;
  const Complex inv = Reciprocal(den);
  return {num * inv, 2.0 * r * inv, (-m.a * r + m.b - m.c * (r * r) + m.d * r) * inv};
}

}  // namespace

PartValues DesignParts(const DesignState& d) noexcept {
  const Ladder ladder = LadderFromDesign(d);
  PartValues p{};
  for (int k = 0; k < kLadderPartCount; ++k) p[kFitPartOf[k]] = ladder.value[k];
  p[kPartQ] = ladder.inductorQ;
  return p;
}

LossContext DesignLosses(const DesignState& d) noexcept {
  const Ladder ladder = LadderFromDesign(d);
  return {ladder.twoPi, ladder.lossReferenceHz, ladder.capacitorQ};
}

NetworkResponse Respond(const PartValues& parts, const LossContext& losses, double frequency,
                        double ohms) noexcept {
  const SParameters s = Respond(LadderOf(parts, losses), frequency, ohms);
  return {s.s11, s.s21, s.s22};
}

// M = E1 .. En; the derivative by a value of section k is
// (E1 .. Ek-1) dEk (Ek+1 .. En), built from prefix and suffix products.
NetworkResponse RespondWithDerivatives(const PartValues& parts, const LossContext& losses,
                                       double frequency, double ohms,
                                       NetworkDerivatives& out) noexcept {
  constexpr int n = kLadderSectionCount;
  const Ladder ladder = LadderOf(parts, losses);
  const double w = frequency * ladder.twoPi;
  const Slopes slopes{
      {w / ladder.capacitorQ, w},
      {InductorLossOhms(ladder.twoPi, ladder.lossReferenceHz, 1.0, ladder.inductorQ), w}};
  std::array<Section, n> e;
  std::array<Chain, n + 1> pre;  // pre[k] = E1 .. Ek
  ForEachSection([&](auto k) {
    constexpr bool shunt = kLadderSections[k].kind == SectionKind::kShuntCapacitor;
    e[k] = Differentiate<k>(ladder, slopes, frequency);
    pre[k + 1] = TimesSection<shunt>(pre[k], e[k].x);
  });
  std::array<Chain, n> post;  // post[k] = E(k+2) .. En
  ForEachSection([&](auto j) {
    constexpr int k = n - 1 - j;
    constexpr bool shunt = kLadderSections[k].kind == SectionKind::kShuntCapacitor;
    if constexpr (k > 0) post[k - 1] = SectionTimes<shunt>(e[k].x, post[k]);
  });

  Complex den, num;
  const NetworkResponse response = FromChain(pre[n], ohms, den, num);
  const double r = ohms;
  std::array<Complex, kFitPartCount> dDen{}, dNum{};
  ForEachSection([&](auto k) {
    constexpr LadderSection s = kLadderSections[k];
    const Chain& p = pre[k];
    const Chain& q = post[k];
    // The change of M for a unit change of section k's immittance:
    // shunt dM_ij = P_i2 Q_1j, series dM_ij = P_i1 Q_2j.
    const Chain dm = s.kind == SectionKind::kShuntCapacitor
                         ? Chain{p.b * q.a, p.b * q.b, p.d * q.a, p.d * q.b}
                         : Chain{p.a * q.c, p.a * q.d, p.c * q.c, p.c * q.d};
    const Complex unitDen = dm.a * r + dm.b + dm.c * (r * r) + dm.d * r;
    const Complex unitNum = dm.a * r + dm.b - dm.c * (r * r) - dm.d * r;
    const auto add = [&](FitPart part, Complex by) {
      dDen[part] += by * unitDen;
      dNum[part] += by * unitNum;
    };
    add(kFitPartOf[s.part], e[k].byPart);
    if constexpr (s.kind == SectionKind::kTrap) add(kFitPartOf[s.across], e[k].byAcross);
    if constexpr (s.kind != SectionKind::kShuntCapacitor) add(kPartQ, e[k].byQ);
  });
  const Complex inv = Reciprocal(den);
  const Complex inv2 = inv * inv;
  for (int i = 0; i < kFitPartCount; ++i) {
    out.s21[i] = (-2.0 * r) * dDen[i] * inv2;
    out.s11[i] = (dNum[i] * den - num * dDen[i]) * inv2;
  }
  return response;
}

}  // namespace diruruzevuv::model
