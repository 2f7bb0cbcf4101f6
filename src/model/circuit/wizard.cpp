#include "model/circuit/wizard.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "notation/notation.h"

namespace diruruzevuv::model {
namespace {

// The fixed 50-ohm filter scaled by the lower band edge f and k = R / 50.
constexpr double kC47 = 0.0033489;
constexpr double kL2 = 7.315;
constexpr double kC48 = 0.005835;
constexpr double kL1 = 5.358;
constexpr double kC92 = 0.001148;
constexpr double kC49 = 0.0026533;

bool Positive(float value) noexcept {
  return std::isfinite(value) && value > 0.0f;
}

WizardOutcome Refuse(WizardEntry entry, std::string message) {
  WizardOutcome outcome;
  outcome.wrongEntry = entry;
  outcome.message = std::move(message);
  return outcome;
}

std::string TurnsRow(std::int16_t turns, float inductance) {
  return std::to_string(turns) + "  (result: " + notation::FormatInductance(inductance) + ")";
}

}  // namespace

double WholeTurns(float targetInductance, float al) noexcept {
  return std::floor(
      std::sqrt(static_cast<double>(targetInductance) / (static_cast<double>(al) * 1e-9)) + 0.5);
}

void LowerEdgeChanged(std::string_view text, DesignState& design) {
  design.LowerEdge = notation::ParseValue(text);
  design.UpperEdge = static_cast<float>(1.1 * static_cast<double>(design.LowerEdge));
}

WizardOutcome WizardPreview(const WizardEntries& entries, DesignState& design,
                            GlobalDefaults& defaults) {
  const float typedEdge = notation::ParseValue(entries.lowerEdge);
  const float al = notation::ParseValue(entries.toroid);
  const float r = notation::ParseValue(entries.input);

  WizardEntries normalised;
  normalised.lowerEdge = notation::FormatFrequency(typedEdge);
  normalised.toroid = notation::FormatValue(al);
  normalised.input = notation::FormatValue(r);
  // The synthesis works on the edge the rewritten entry shows.
  const float f = notation::ParseValue(normalised.lowerEdge);

  if (!Positive(typedEdge) || !Positive(f)) {
    return Refuse(WizardEntry::LowerEdge,
                  "The lower band edge must be a frequency above 0 Hz, for example 3500k.");
  }
  if (!Positive(al)) {
    return Refuse(WizardEntry::Toroid,
                  "The toroid AL must be a value above 0 nH per turns squared, for example 3.");
  }
  const float k = static_cast<float>(static_cast<double>(r) / 50.0);
  if (!Positive(r) || !Positive(k)) {
    return Refuse(WizardEntry::Input,
                  "The input termination must be a resistance above 0 ohms, for example 50.");
  }

  const double fk = static_cast<double>(f) * static_cast<double>(k);
  const float c47 = static_cast<float>(kC47 / fk);
  const float targetL2 = static_cast<float>((kL2 / f) * k);
  const double turnsL2 = WholeTurns(targetL2, al);
  const float c48 = static_cast<float>(kC48 / fk);
  const float targetL1 = static_cast<float>((kL1 / f) * k);
  const double turnsL1 = WholeTurns(targetL1, al);
  const float c92 = static_cast<float>(kC92 / fk);
  const float c49 = static_cast<float>(kC49 / fk);

  if (!(turnsL2 <= INT16_MAX) || !(turnsL1 <= INT16_MAX)) {
    return Refuse(WizardEntry::Toroid,
                  "The toroid AL is too small for these entries: the coils would need more "
                  "than 32767 turns. Enter a larger AL.");
  }
  for (const float value : {c47, targetL2, c48, targetL1, c92, c49}) {
    if (!std::isfinite(value)) {
      return Refuse(WizardEntry::LowerEdge,
                    "The lower band edge and input termination give values out of range. "
                    "Enter a larger lower band edge.");
    }
  }

  design.LowerEdge = f;
  design.UpperEdge = static_cast<float>(1.1 * static_cast<double>(f));
  SetTermination(design, r);
  design.C47 = c47;
  design.C48 = c48;
  design.C92 = c92;
  design.C49 = c49;
  design.ToroidAL = al;
  SetTurns(design, static_cast<std::int16_t>(turnsL1), static_cast<std::int16_t>(turnsL2));

  defaults.BandwidthMultiplier = 1.01f;
  defaults.PassbandBoxDb = -20.0f;
  defaults.GridDivisions = 6;
  design.SweepStart = static_cast<float>(0.5 * static_cast<double>(f));
  design.SweepStop = static_cast<float>(5.0 * static_cast<double>(f));
  design.UpperEdge = static_cast<float>(1.1 * static_cast<double>(f));
  defaults.SecondHarmonicBoxDb = -35.0f;
  defaults.ThirdHarmonicBoxDb = -35.0f;
  defaults.PlotFloorDb = -60.0f;
  design.InductorQ = 200.0f;
  design.CapacitorQ = 2000.0f;

  WizardOutcome outcome;
  outcome.accepted = true;
  outcome.normalised = std::move(normalised);
  outcome.targetL2 = targetL2;
  outcome.targetL1 = targetL1;
  outcome.results = {notation::FormatCapacitance(c47),
                     notation::FormatInductance(targetL2) + " target",
                     TurnsRow(design.TurnsL2, design.L2),
                     notation::FormatCapacitance(c48),
                     notation::FormatInductance(targetL1) + " target",
                     TurnsRow(design.TurnsL1, design.L1),
                     notation::FormatCapacitance(c92),
                     notation::FormatCapacitance(c49)};
  return outcome;
}

}  // namespace diruruzevuv::model
