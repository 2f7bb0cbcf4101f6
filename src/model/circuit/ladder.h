#pragma once

#include <array>
#include <complex>
#include <type_traits>
#include <utility>

#include "model/circuit/design_state.h"

namespace diruruzevuv::model {

// The filter as built, described once. Every part of the program that needs
// the topology (the sweep's element table, the fit's model, the exports,
// both schematics, the stress on the parts, the analyser emulator) reads it
// from here rather than writing it again.
//
//   Rs ─ node 1 ──L2── node 2 ──L1── node 3 ─ RL
//          │              │   └─C92─┘   │
//         C47            C48           C49
//          ⏚              ⏚             ⏚
enum LadderPart : int { kC47, kL2, kC48, kL1, kC92, kC49, kLadderPartCount };

enum class PartKind { kCapacitor, kInductor };

struct LadderPartInfo {
  const char* name;
  PartKind kind;
  int from;                   // node the part leaves: 1 input, 2 middle, 3 output
  int to;                     // node it reaches; 0 is ground (a shunt part)
  float DesignState::*field;  // where the design keeps its value
};

inline constexpr int kLadderNodeCount = 3;

// In order from the generator to the load; L1 and C92 share their nodes.
inline constexpr std::array<LadderPartInfo, kLadderPartCount> kLadderParts = {{
    {"C47", PartKind::kCapacitor, 1, 0, &DesignState::C47},
    {"L2", PartKind::kInductor, 1, 2, &DesignState::L2},
    {"C48", PartKind::kCapacitor, 2, 0, &DesignState::C48},
    {"L1", PartKind::kInductor, 2, 3, &DesignState::L1},
    {"C92", PartKind::kCapacitor, 2, 3, &DesignState::C92},
    {"C49", PartKind::kCapacitor, 3, 0, &DesignState::C49},
}};

// The design's value of a part, farads or henries (an inductance follows
// from turns and AL: write turns, not this).
inline float& DesignValue(DesignState& design, LadderPart part) noexcept {
  return design.*kLadderParts[part].field;
}
inline float DesignValue(const DesignState& design, LadderPart part) noexcept {
  return design.*kLadderParts[part].field;
}

inline constexpr int CountLadderParts(PartKind kind) noexcept {
  int count = 0;
  for (const LadderPartInfo& info : kLadderParts) count += info.kind == kind ? 1 : 0;
  return count;
}

template <PartKind kind>
inline constexpr std::array<LadderPart, CountLadderParts(kind)> LadderPartsOf() noexcept {
  std::array<LadderPart, CountLadderParts(kind)> parts{};
  int n = 0;
  for (int p = 0; p < kLadderPartCount; ++p)
    if (kLadderParts[p].kind == kind) parts[n++] = static_cast<LadderPart>(p);
  return parts;
}

// Each kind from the generator to the load: the capacitors are C47, C48,
// C92, C49 in this order wherever a list of them is kept (the fit's values,
// the Monte Carlo draws, the build sheet).
inline constexpr auto kLadderCapacitors = LadderPartsOf<PartKind::kCapacitor>();
inline constexpr auto kLadderInductors = LadderPartsOf<PartKind::kInductor>();

inline constexpr bool IsShunt(LadderPart part) noexcept {
  return kLadderParts[part].to == 0;
}

// The ladder as a cascade of two-port sections from the generator to the
// load, read off kLadderParts: a shunt capacitor, a series inductor, or a
// series inductor with a capacitor across it (the trap). The sweep's
// element table, the chain matrix and the fit's derivatives walk these.
enum class SectionKind { kShuntCapacitor, kSeriesInductor, kTrap };

struct LadderSection {
  SectionKind kind;
  LadderPart part;    // the shunt capacitor or the series inductor
  LadderPart across;  // a trap's capacitor; otherwise the part itself
};

// The capacitor sharing both nodes with a series part, or the part itself.
inline constexpr LadderPart PartAcross(LadderPart part) noexcept {
  for (int p = 0; p < kLadderPartCount; ++p) {
    if (p != part && kLadderParts[p].from == kLadderParts[part].from &&
        kLadderParts[p].to == kLadderParts[part].to) {
      return static_cast<LadderPart>(p);
    }
  }
  return part;
}

inline constexpr int CountLadderSections() noexcept {
  int count = 0;
  for (int p = 0; p < kLadderPartCount; ++p) {
    const LadderPart part = static_cast<LadderPart>(p);
    if (IsShunt(part) || kLadderParts[p].kind == PartKind::kInductor) ++count;
  }
  return count;
}

inline constexpr int kLadderSectionCount = CountLadderSections();

inline constexpr std::array<LadderSection, kLadderSectionCount> MakeLadderSections() noexcept {
  std::array<LadderSection, kLadderSectionCount> sections{};
  int n = 0;
  for (int p = 0; p < kLadderPartCount; ++p) {
    const LadderPart part = static_cast<LadderPart>(p);
    if (IsShunt(part)) {
      sections[n++] = {SectionKind::kShuntCapacitor, part, part};
    } else if (kLadderParts[p].kind == PartKind::kInductor) {
      const LadderPart across = PartAcross(part);
      sections[n++] = {across == part ? SectionKind::kSeriesInductor : SectionKind::kTrap, part,
                       across};
    }  // a series capacitor is taken in with the inductor it bridges
  }
  return sections;
}

inline constexpr std::array<LadderSection, kLadderSectionCount> kLadderSections =
    MakeLadderSections();

// Every shunt part is a capacitor, and every series capacitor bridges an
// inductor: the sections above describe the whole ladder.
static_assert([] {
  for (int p = 0; p < kLadderPartCount; ++p) {
    const LadderPart part = static_cast<LadderPart>(p);
    if (IsShunt(part) && kLadderParts[p].kind != PartKind::kCapacitor) return false;
    if (!IsShunt(part) && kLadderParts[p].kind == PartKind::kCapacitor &&
        kLadderParts[PartAcross(part)].kind != PartKind::kInductor) {
      return false;
    }
  }
  return true;
}());

// A capacitor of 0 F (not fitted) stands for this resistance and reactance,
// and this resistance is always across L1 and C92: they keep every node
// connected so that no division by zero is possible.
inline constexpr double kOpenOhms = 1e11;
inline constexpr double kShuntOhms = 1e11;

struct Ladder {
  std::array<double, kLadderPartCount> value{};  // farads and henries
  double inductorQ = 0.0;
  double capacitorQ = 0.0;
  // The inductors' loss is a series resistance fixed at this frequency (the
  // lower band edge), not one that grows with frequency.
  double lossReferenceHz = 0.0;
  double sourceOhms = 0.0;
  double loadOhms = 0.0;
  double twoPi = 2.0 * static_cast<double>(kPi);  // the program's float pi
};

// The design's parts, Q values, loss reference and terminations; the values
// are the design's floats widened to double.
Ladder LadderFromDesign(const DesignState& design) noexcept;

// The values a fit may change: each part's, indexed by LadderPart, and
// after them the inductors' Q.
using LadderValue = int;
inline constexpr LadderValue kInductorQ = kLadderPartCount;
inline constexpr int kLadderValueCount = kLadderPartCount + 1;

inline double& ValueOf(Ladder& ladder, LadderValue value) noexcept {
  return value == kInductorQ ? ladder.inductorQ : ladder.value[value];
}
inline double ValueOf(const Ladder& ladder, LadderValue value) noexcept {
  return value == kInductorQ ? ladder.inductorQ : ladder.value[value];
}
// "C47" ... "C49", or "Q".
inline const char* ValueName(LadderValue value) noexcept {
  return value == kInductorQ ? "Q" : kLadderParts[value].name;
}

// An inductor's series loss resistance, 2 pi fref L / Q, in double; the
// single place the loss formula is written.
inline double InductorLossOhms(double twoPi, double lossReferenceHz, double henries,
                               double inductorQ) noexcept {
  return twoPi * lossReferenceHz * henries / inductorQ;
}
inline double InductorLossOhms(const Ladder& ladder, LadderPart part) noexcept {
  return InductorLossOhms(ladder.twoPi, ladder.lossReferenceHz, ladder.value[part],
                          ladder.inductorQ);
}

using Complex = std::complex<double>;

// 1 / z without the library's careful complex division, which costs the
// fit several times more; the values here never come near overflow.
inline Complex Reciprocal(Complex z) noexcept {
  const double scale = 1.0 / (z.real() * z.real() + z.imag() * z.imag());
  return {z.real() * scale, -z.imag() * scale};
}

// The element functions below are inline: the fit evaluates them hundreds
// of thousands of times.

// A shunt capacitor's admittance with its loss, G + jB with B = wC and
// G = wC / Qc; a missing capacitor (0 F) is a reactance of kOpenOhms with
// the capacitor's Q.
inline Complex CapacitorAdmittance(const Ladder& ladder, double capacitance,
                                   double frequency) noexcept {
  const double qc = ladder.capacitorQ;
  if (capacitance == 0.0) return {1.0 / (qc * kOpenOhms), -1.0 / kOpenOhms};
  const double b = frequency * ladder.twoPi * capacitance;
  return {b / qc, b};
}

// An inductor's impedance: its loss resistance fixed at the reference
// frequency, and its reactance.
inline Complex InductorImpedance(const Ladder& ladder, LadderPart part,
                                 double frequency) noexcept {
  return {InductorLossOhms(ladder, part), frequency * ladder.twoPi * ladder.value[part]};
}

// A trap section's admittances: its inductor's, and the whole of inductor,
// capacitor and the fixed shunt resistance (the trap's impedance is 1 /
// total).
struct TrapAdmittances {
  Complex inductor;
  Complex total;
};
inline TrapAdmittances TrapAdmittancesOf(const Ladder& ladder, const LadderSection& trap,
                                         double frequency) noexcept {
  const Complex yl = Reciprocal(InductorImpedance(ladder, trap.part, frequency));
  const double c = ladder.value[trap.across];
  // Unlike a missing shunt capacitor, a missing trap capacitor is a plain
  // kOpenOhms resistance and reactance.
  const Complex yc = c == 0.0 ? Complex(1.0 / kOpenOhms, -1.0 / kOpenOhms)
                              : CapacitorAdmittance(ladder, c, frequency);
  return {yl, yl + yc + 1.0 / kShuntOhms};
}

// One section's admittance (a shunt capacitor) or impedance (the others).
inline Complex SectionImmittance(const Ladder& ladder, const LadderSection& section,
                                 double frequency) noexcept {
  switch (section.kind) {
    case SectionKind::kShuntCapacitor:
      return CapacitorAdmittance(ladder, ladder.value[section.part], frequency);
    case SectionKind::kSeriesInductor:
      return InductorImpedance(ladder, section.part, frequency);
    case SectionKind::kTrap:
      return Reciprocal(TrapAdmittancesOf(ladder, section, frequency).total);
  }
  return {};
}

// L1, C92 and the fixed shunt resistance as one series impedance.
Complex TrapImpedance(const Ladder& ladder, double frequency) noexcept;

// Calls visit(std::integral_constant<int, k>{}) for each section k from
// the generator to the load, so that each section is known when compiled.
template <class Visit>
inline void ForEachSection(Visit&& visit) {
  [&]<int... k>(std::integer_sequence<int, k...>) {
    (visit(std::integral_constant<int, k>{}), ...);
  }(std::make_integer_sequence<int, kLadderSectionCount>{});
}

// The ladder's 2x2 chain (ABCD) matrix from node 1 to node 3.
struct ChainMatrix {
  Complex a{1.0}, b{0.0}, c{0.0}, d{1.0};
};
ChainMatrix ChainOf(const Ladder& ladder, double frequency) noexcept;

// S-parameters between two equal real references (ohms). The ladder is
// reciprocal, so S12 = S21.
struct SParameters {
  Complex s11, s21, s22;
};
SParameters Respond(const Ladder& ladder, double frequency, double referenceOhms) noexcept;
// The same with port 2 ended in load instead (an analyser's port-2 match):
// S11 as loaded, S21 the wave ratio into the load at the reference, no S22.
SParameters Respond(const Ladder& ladder, double frequency, double referenceOhms,
                    Complex load) noexcept;

// The same with the derivatives of S11 and S21 by each of the ladder's
// values (a trap capacitor of 0 F, not fitted, has none).
struct SDerivatives {
  std::array<Complex, kLadderValueCount> s11;
  std::array<Complex, kLadderValueCount> s21;
};
SParameters RespondWithDerivatives(const Ladder& ladder, double frequency, double referenceOhms,
                                   SDerivatives& derivatives) noexcept;
SParameters RespondWithDerivatives(const Ladder& ladder, double frequency, double referenceOhms,
                                   Complex load, SDerivatives& derivatives) noexcept;

// Node voltages and part currents (RMS phasors) at one frequency, the
// generator an EMF behind the source resistance and the ladder ending in
// any load impedance.
struct LadderSolution {
  std::array<Complex, kLadderNodeCount + 1> node{};  // node[0] = 0 (ground)
  std::array<Complex, kLadderPartCount> volts{};    // across each part, from -> to
  std::array<Complex, kLadderPartCount> amps{};     // through each part, from -> to
  Complex loadAmps;
  Complex inputAmps;  // from the source into node 1
};
LadderSolution Solve(const Ladder& ladder, double frequency, Complex sourceVolts,
                     Complex loadImpedance) noexcept;

}  // namespace diruruzevuv::model
