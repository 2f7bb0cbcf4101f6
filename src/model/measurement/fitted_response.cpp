#include "model/measurement/fitted_response.h"

#include <algorithm>
#include <cmath>

#include "model/measurement/measurement_text.h"
#include "notation/notation.h"

namespace diruruzevuv::model {

PartValues FittedParts(const FitResult& fit, const DesignState& design) noexcept {
  PartValues parts = DesignParts(design);
  for (const FittedPart& row : fit.parts) parts[row.part] = row.fitted;
  return parts;
}

FittedCurves FittedResponse(const FitResult& fit, const DesignState& design,
                            const std::vector<double>& frequencies) {
  const PartValues parts = FittedParts(fit, design);
  const LossContext losses = DesignLosses(design);
  const auto db = [](std::complex<double> s) {
    const double magnitude = std::abs(s);
    return magnitude > 0.0 ? 20.0 * std::log10(magnitude) : -1e9;
  };
  FittedCurves curves;
  curves.frequency = frequencies;
  for (const double f : frequencies) {
    const NetworkResponse r = Respond(parts, losses, f, design.InputTermination);
    curves.gainDb.push_back(db(r.s21));
    curves.reflectionDb.push_back(db(r.s11));
  }
  return curves;
}

namespace {

std::int16_t NearestTurns(double henries, double al) {
  const double turns = std::sqrt(std::max(0.0, henries) / (al * 1e-9));
  return static_cast<std::int16_t>(std::clamp(std::lround(turns), 1L, 32767L));
}

}  // namespace

WholeTurns WholeTurnsAtDesignAL(const FitResult& fit, const DesignState& design) noexcept {
  const PartValues parts = FittedParts(fit, design);
  const double al = design.ToroidAL;
  WholeTurns t;
  t.fittedL2 = parts[kPartL2];
  t.fittedL1 = parts[kPartL1];
  t.turnsL2 = NearestTurns(t.fittedL2, al);
  t.turnsL1 = NearestTurns(t.fittedL1, al);
  t.l2 = al * 1e-9 * t.turnsL2 * t.turnsL2;
  t.l1 = al * 1e-9 * t.turnsL1 * t.turnsL1;
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
  for (const FittedPart& row : fit.parts) {
    const float v = static_cast<float>(row.fitted);
    switch (row.part) {
      case kPartC47:
        design.C47 = v;
        break;
      case kPartC48:
        design.C48 = v;
        break;
      case kPartC92:
        design.C92 = v;
        break;
      case kPartC49:
        design.C49 = v;
        break;
      case kPartQ:
        design.InductorQ = v;
        break;
      default:
        break;
    }
  }
  if (wholeTurns) SetTurns(design, turns.turnsL1, turns.turnsL2);
}

}  // namespace diruruzevuv::model
