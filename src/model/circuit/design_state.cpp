#include "model/circuit/design_state.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace diruruzevuv::model {

namespace {

// A hand-edited file can ask for a huge AL and 32767 turns; converting a
// double beyond the float range is undefined, so saturate instead.
float SaturatedFloat(double value) noexcept {
  if (value > FLT_MAX) return FLT_MAX;
  if (value < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(value);
}

}  // namespace

void UpdateInductances(DesignState& design) noexcept {
  const double al = static_cast<double>(design.ToroidAL) * 1e-9;
  const double n1 = design.TurnsL1;
  const double n2 = design.TurnsL2;
  design.L1 = SaturatedFloat(al * n1 * n1);
  design.L2 = SaturatedFloat(al * n2 * n2);
}

void SetTurns(DesignState& design, std::int16_t turnsL1, std::int16_t turnsL2) noexcept {
  design.TurnsL1 = turnsL1;
  design.TurnsL2 = turnsL2;
  UpdateInductances(design);
}

void SetToroidAL(DesignState& design, float al) noexcept {
  design.ToroidAL = al;
  UpdateInductances(design);
}

std::int16_t NearestWholeTurns(double henries, double al) noexcept {
  if (!(henries > 0.0) || !(al > 0.0)) return 1;
  const double exact = std::sqrt(henries / al);
  const double low = std::clamp(std::floor(exact), 1.0, 32767.0);
  const double high = std::clamp(low + 1.0, 1.0, 32767.0);
  const auto off = [&](double n) { return std::fabs(al * n * n - henries); };
  return static_cast<std::int16_t>(off(high) < off(low) ? high : low);
}

void SetTermination(DesignState& design, float ohms) noexcept {
  design.InputTermination = ohms;
  design.LoadTermination = ohms;
}

void ApplyDefaultDesign(DesignState& design) noexcept {
  design.Band = 20;
  design.C47 = 2e-10f;
  design.TurnsL2 = 14;
  design.C48 = 3.6e-10f;
  design.TurnsL1 = 12;
  design.C92 = 6.8e-11f;
  design.C49 = 2e-10f;
  design.LowerEdge = 14000000.0f;
  design.UpperEdge = 14350000.0f;
  design.SweepStart = 5000000.0f;
  design.SweepStop = 50000000.0f;
  design.ToroidAL = 3.0f;
  SetTermination(design, 50.0f);
  UpdateInductances(design);
}

}  // namespace diruruzevuv::model
