#include "model/circuit/ladder.h"

#include <type_traits>

namespace diruruzevuv::model {
namespace {

// The small chain-matrix steps below run several times for every point of
// every evaluation of a fit; a call each costs more than the step.
#define LADDER_INLINE inline __attribute__((always_inline))

// The chain matrix times a section's on the right (M E) or on the left (E M).
template <SectionKind kind>
LADDER_INLINE ChainMatrix TimesSection(const ChainMatrix& m, Complex x) noexcept {
  if constexpr (kind == SectionKind::kShuntCapacitor)
    return {m.a + m.b * x, m.b, m.c + m.d * x, m.d};
  return {m.a, m.a * x + m.b, m.c, m.c * x + m.d};
}
template <SectionKind kind>
LADDER_INLINE ChainMatrix SectionTimes(Complex x, const ChainMatrix& m) noexcept {
  if constexpr (kind == SectionKind::kShuntCapacitor)
    return {m.a, m.b, x * m.a + m.c, x * m.b + m.d};
  return {m.a + x * m.c, m.b + x * m.d, m.c, m.d};
}

// The denominator of every S-parameter and the numerator of S11, from the
// chain matrix between a source of r and a load of z (r, or any impedance).
struct ChainTerms {
  Complex den, num;
};
template <class Load>
LADDER_INLINE ChainTerms TermsOf(const ChainMatrix& m, double r, Load z) noexcept {
  return {m.a * z + m.b + m.c * (r * z) + m.d * r, m.a * z + m.b - m.c * (r * z) - m.d * r};
}

// With another load than r, S21 is the wave ratio into it and S22 is left out.
template <class Load>
LADDER_INLINE SParameters FromChain(const ChainMatrix& m, double r, Load z,
                                    const ChainTerms& t) noexcept {
  const Complex inv = Reciprocal(t.den);
  if constexpr (std::is_same_v<Load, double>)
    return {t.num * inv, 2.0 * r * inv, (-m.a * r + m.b - m.c * (r * r) + m.d * r) * inv};
  else
    return {t.num * inv, (z + r) * inv, {}};
}

constexpr const LadderSection& TrapSection() noexcept {
  for (const LadderSection& section : kLadderSections)
    if (section.kind == SectionKind::kTrap) return section;
  return kLadderSections[0];
}

// A section's immittance and its derivatives by the values it depends on:
// its own part, a trap's capacitor, and the inductor Q.
struct SectionSlopes {
  Complex x;
  Complex byPart, byAcross, byQ;
};

// What every section at one frequency shares.
struct Slopes {
  Complex byCapacitance;  // of G + jB of a capacitor with constant Q
  Complex byInductance;   // of R + jX of an inductor: the loss is linear in L
};

template <int k>
LADDER_INLINE SectionSlopes Differentiate(const Ladder& ladder, const Slopes& slopes,
                                          double f) noexcept {
  constexpr LadderSection s = kLadderSections[k];
  SectionSlopes out;
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

}  // namespace

Ladder LadderFromDesign(const DesignState& design) noexcept {
  Ladder ladder;
  for (int p = 0; p < kLadderPartCount; ++p)
    ladder.value[p] = DesignValue(design, static_cast<LadderPart>(p));
  ladder.inductorQ = design.InductorQ;
  ladder.capacitorQ = design.CapacitorQ;
  ladder.lossReferenceHz = design.LowerEdge;
  ladder.sourceOhms = design.InputTermination;
  ladder.loadOhms = design.InputTermination;  // the load always equals the source
  return ladder;
}

Complex TrapImpedance(const Ladder& ladder, double frequency) noexcept {
  constexpr LadderSection trap = TrapSection();
  static_assert(trap.kind == SectionKind::kTrap);
  return SectionImmittance(ladder, trap, frequency);
}

ChainMatrix ChainOf(const Ladder& ladder, double frequency) noexcept {
  ChainMatrix m;
  ForEachSection([&](auto k) {
    constexpr LadderSection section = kLadderSections[k];
    m = TimesSection<section.kind>(m, SectionImmittance(ladder, section, frequency));
  });
  return m;
}

SParameters Respond(const Ladder& ladder, double frequency, double r) noexcept {
  const ChainMatrix m = ChainOf(ladder, frequency);
  return FromChain(m, r, r, TermsOf(m, r, r));
}

SParameters Respond(const Ladder& ladder, double frequency, double r, Complex load) noexcept {
  const ChainMatrix m = ChainOf(ladder, frequency);
  return FromChain(m, r, load, TermsOf(m, r, load));
}

namespace {

// M = E1 .. En; the derivative by a value of section k is
// (E1 .. Ek-1) dEk (Ek+1 .. En), built from prefix and suffix products.
template <class Load>
SParameters WithDerivatives(const Ladder& ladder, double frequency, double r, Load z,
                            SDerivatives& out) noexcept {
  constexpr int n = kLadderSectionCount;
  const double w = frequency * ladder.twoPi;
  const Slopes slopes{
      {w / ladder.capacitorQ, w},
      {InductorLossOhms(ladder.twoPi, ladder.lossReferenceHz, 1.0, ladder.inductorQ), w}};
  std::array<SectionSlopes, n> e;
  std::array<ChainMatrix, n + 1> pre;  // pre[k] = E1 .. Ek
  ForEachSection([&](auto k) {
    e[k] = Differentiate<k>(ladder, slopes, frequency);
    pre[k + 1] = TimesSection<kLadderSections[k].kind>(pre[k], e[k].x);
  });
  std::array<ChainMatrix, n> post;  // post[k] = E(k+2) .. En
  ForEachSection([&](auto j) {
    constexpr int k = n - 1 - j;
    if constexpr (k > 0) post[k - 1] = SectionTimes<kLadderSections[k].kind>(e[k].x, post[k]);
  });

  const ChainTerms whole = TermsOf(pre[n], r, z);
  std::array<Complex, kLadderValueCount> dDen{}, dNum{};
  ForEachSection([&](auto k) {
    constexpr LadderSection s = kLadderSections[k];
    const ChainMatrix& p = pre[k];
    const ChainMatrix& q = post[k];
    // The change of M for a unit change of section k's immittance:
    // shunt dM_ij = P_i2 Q_1j, series dM_ij = P_i1 Q_2j.
    const ChainTerms unit = TermsOf(s.kind == SectionKind::kShuntCapacitor
                                        ? ChainMatrix{p.b * q.a, p.b * q.b, p.d * q.a, p.d * q.b}
                                        : ChainMatrix{p.a * q.c, p.a * q.d, p.c * q.c, p.c * q.d},
                                    r, z);
    const auto add = [&](LadderValue value, Complex by) {
      dDen[value] += by * unit.den;
      dNum[value] += by * unit.num;
    };
    add(s.part, e[k].byPart);
    if constexpr (s.kind == SectionKind::kTrap) add(s.across, e[k].byAcross);
    if constexpr (s.kind != SectionKind::kShuntCapacitor) add(kInductorQ, e[k].byQ);
  });
  const Complex inv = Reciprocal(whole.den);
  const Complex inv2 = inv * inv;
  for (int i = 0; i < kLadderValueCount; ++i) {
    out.s21[i] = -(z + r) * dDen[i] * inv2;
    out.s11[i] = (dNum[i] * whole.den - whole.num * dDen[i]) * inv2;
  }
  return FromChain(pre[n], r, z, whole);
}

}  // namespace

SParameters RespondWithDerivatives(const Ladder& ladder, double frequency, double r,
                                   SDerivatives& derivatives) noexcept {
  return WithDerivatives(ladder, frequency, r, r, derivatives);
}

SParameters RespondWithDerivatives(const Ladder& ladder, double frequency, double r, Complex load,
                                   SDerivatives& derivatives) noexcept {
  return WithDerivatives(ladder, frequency, r, load, derivatives);
}

}  // namespace diruruzevuv::model
