#pragma once

// One part measured before it is soldered: a wound toroid or a capacitor
// in a fixture on the analyser. Its impedance is fitted with a model of
// the part up to just past its first resonance, and read below it.

#include <complex>
#include <optional>
#include <string>
#include <string_view>

#include "model/build/build_sheet.h"
#include "model/circuit/design_state.h"
#include "model/circuit/ladder.h"  // PartKind
#include "model/measurement/measured_network.h"

namespace diruruzevuv::model {

// How the part sits on the analyser. Each resolves its own span of |Z|:
// series-through high, shunt-through low, reflection near the reference.
enum class Fixture { kSeries, kShunt, kReflection };

const char* FixtureKey(Fixture fixture) noexcept;    // "series", as the command line takes it
const char* FixtureTitle(Fixture fixture) noexcept;  // "series-through"
std::optional<Fixture> ParseFixture(std::string_view text) noexcept;

// The part's impedance from what its fixture measures, at the reference z0;
// a through fixture's S21 from a calibrated one-path analyser is the wave
// ratio with port 2 matched by its reflection portTwo, S21 / (1 - S22 portTwo).
std::complex<double> SeriesThroughImpedance(std::complex<double> s21, double z0,
                                            std::complex<double> portTwo = {});
std::complex<double> ShuntThroughImpedance(std::complex<double> s21, double z0,
                                           std::complex<double> portTwo = {});
std::complex<double> ReflectionImpedance(std::complex<double> s11, double z0);

// A toroid: L in series with its loss R, all in parallel with the
// winding's C. A capacitor: C in series with its ESR and lead inductance.
struct PartModel {
  PartKind kind = PartKind::kInductor;
  double l = 0.0;  // henries
  double r = 0.0;  // ohms
  double c = 0.0;  // farads
  std::complex<double> Impedance(double hz) const noexcept;
  // The first resonance, 0 when there is none.
  double SelfResonanceHz() const noexcept;
};

// A straight lead adds about this much inductance: the figure builders
// use (a straight round wire's self-inductance, 2 l (ln(2 l / r) - 0.75)
// nH with l and r in cm, gives 0.8 to 1.0 nH/mm for 10 to 30 mm of
// 0.5 mm wire).
inline constexpr double kLeadNhPerMm = 1.0;

struct PartRequest {
  Fixture fixture = Fixture::kSeries;
  PartKind kind = PartKind::kInductor;
  int turns = 0;        // a toroid's turns; 0: not told
  double leadMm = 0.0;  // each of the two leads; 0: not subtracted
  double lowHz = 0.0;   // the range used; 0: the measurement's own ends
  double highHz = 0.0;
  double centreHz = 0.0;  // where the part is read; 0: the range's geometric middle
};

// The range a design asks for: a fifth of its lower edge to three times
// its upper edge, read at the band's centre.
void UseDesignRange(const DesignState& design, PartRequest& request);

struct PartMeasurement {
  bool done = false;  // false: error says why
  std::string error;
  PartRequest request;  // with the range and centre as used
  PartModel model;
  double value = 0.0;  // L or C at the centre as the part shows it, H or F
  double valueUncertaintyPercent = 0.0;
  double lowestPercent = 0.0;  // the value's spread over the range, below the resonance
  double highestPercent = 0.0;
  double spreadTopHz = 0.0;  // where that spread ends
  double q = 0.0;            // at the centre; the lower bound when qIsLowerBound
  double qUncertaintyPercent = 0.0;
  bool qIsLowerBound = false;
  double selfResonanceHz = 0.0;  // 0: above the range
  double selfResonanceUncertaintyPercent = 0.0;
  double alNh = 0.0;     // nH per turn squared, less the leads; 0 without turns
  double leadsNh = 0.0;  // what the leads were taken to add
  int pointsUsed = 0;
  double residualDb = 0.0;
};

PartMeasurement MeasurePart(const MeasuredNetwork& measured, const PartRequest& request);

// The figures as a person reads them, one per line (LF); the CSV header
// and its row.
std::string PartLines(const PartMeasurement& part);
std::string PartCsv(const PartMeasurement& part, const std::string& consistentCores);

// A toroid's measured AL as a core of its own, wound on a catalogue core
// (its material, sizes, tolerance and range); the source says how it was
// measured: "measured, 12 turns, series-through, 2026-12-07".
Core MeasuredCore(const PartMeasurement& part, const Core& woundOn, std::string name,
                  std::string_view date);

// What a toroid's AL says about the catalogue's cores ("Cores: consistent
// with T50-2; T50-6 is 18 % off"), and with a design, whether its own core
// (the catalogue's nearest to its AL) holds it; empty without an AL.
std::string PartCoreLines(const PartMeasurement& part, const CoreCatalogue& catalogue,
                          const DesignState* design);

}  // namespace diruruzevuv::model
