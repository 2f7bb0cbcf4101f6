#include "model/measurement/fitted_response.h"

#include <algorithm>
#include <cmath>

#include "model/measurement/measurement_text.h"
#include "notation/notation.h"

namespace diruruzevuv::model {

Ladder FittedLadder(const FitResult& fit, const DesignState& design) noexcept {
  Ladder ladder = LadderFromDesign(design);
  for (const FittedPart& row : fit.parts) ValueOf(ladder, row.part) = row.fitted;
  return ladder;
}

FittedCurves FittedResponse(const FitResult& fit, const DesignState& design,
                            const std::vector<double>& frequencies) {
  const Ladder ladder = FittedLadder(fit, design);
  const auto db = [](std::complex<double> s) {
    const double magnitude = std::abs(s);
    return magnitude > 0.0 ? 20.0 * std::log10(magnitude) : -1e9;
  };
  FittedCurves curves;
  curves.frequency = frequencies;
  for (const double f : frequencies) {
    const SParameters r = Respond(ladder, f, design.InputTermination);
    curves.gainDb.push_back(db(r.s21));
    curves.reflectionDb.push_back(db(r.s11));
  }
  return curves;
}

WholeTurns WholeTurnsAtDesignAL(const FitResult& fit, const DesignState& design) noexcept {
  const Ladder ladder = FittedLadder(fit, design);
  const double al = design.ToroidAL * 1e-9;
  WholeTurns t;
  t.fittedL2 = ladder.value[kL2];
  t.fittedL1 = ladder.value[kL1];
  t.turnsL2 = NearestWholeTurns(t.fittedL2, al);
  t.turnsL1 = NearestWholeTurns(t.fittedL1, al);
  t.l2 = al * t.turnsL2 * t.turnsL2;
  t.l1 = al * t.turnsL1 * t.turnsL1;
  return t;
}

std::string WholeTurnsText(const WholeTurns& t, const DesignState& design) {
  const auto uh = [](double henries) { return Fixed(henries * 1e6, 3) + " uH"; };
  return "Whole turns at AL " + notation::ShortestFloatText(design.ToroidAL) +
         " nH per turns squared come only this close:\nL2 " + std::to_string(t.turnsL2) +
         " turns " + uh(t.l2) + " (fitted " + uh(t.fittedL2) + "), L1 " +
         std::to_string(t.turnsL1) + " turns " + uh(t.l1) + " (fitted " + uh(t.fittedL1) + ")";
}

void ApplyFit(const FitResult& fit, DesignState& design, bool wholeTurns) {
  const WholeTurns turns = WholeTurnsAtDesignAL(fit, design);
  // The turns stand for the inductances; the fit's capacitors and Q are kept.
  for (const FittedPart& row : fit.parts) {
    const float v = static_cast<float>(row.fitted);
    if (row.part == kInductorQ) {
      design.InductorQ = v;
    } else if (kLadderParts[row.part].kind == PartKind::kCapacitor) {
      DesignValue(design, static_cast<LadderPart>(row.part)) = v;
    }
  }
  if (wholeTurns) SetTurns(design, turns.turnsL1, turns.turnsL2);
}

}  // namespace diruruzevuv::model
