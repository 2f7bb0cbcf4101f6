#include "model/circuit/analysis_problem.h"

#include <cmath>
#include <memory>

#include "model/circuit/analysis.h"

namespace diruruzevuv::model {
namespace {

// "is 0 <unit>" or "is below 0 <unit>" for a value that must be positive;
// empty when it is.
std::string NotPositive(const std::string& what, float value, const char* unit) {
  if (value > 0.0f && std::isfinite(value)) return {};
  if (value < 0.0f) return what + " is below 0" + unit;
  if (value == 0.0f) return what + " is 0" + unit;
  return what + " is not a number";
}

}  // namespace

std::string DescribeUnanalysable(const DesignState& design) {
  const float start = design.SweepStart;
  const float stop = design.SweepStop;
  if (start == stop || (!(start > 0.0f) && !(stop > 0.0f))) return "the sweep range is empty";
  if (auto reason = NotPositive("the sweep start", start, " Hz"); !reason.empty()) return reason;
  if (auto reason = NotPositive("the sweep stop", stop, " Hz"); !reason.empty()) return reason;
  if (auto reason = NotPositive("the termination", design.InputTermination, " ohm");
      !reason.empty())
    return reason;
  // The inductors' losses are taken at the lower band edge.
  if (auto reason = NotPositive("the lower band edge", design.LowerEdge, " Hz"); !reason.empty())
    return reason;
  if (auto reason = NotPositive("the inductor Q", design.InductorQ, ""); !reason.empty())
    return reason;
  if (auto reason = NotPositive("the capacitor Q", design.CapacitorQ, ""); !reason.empty())
    return reason;
  // The trap divides by L1's reactance; L2 of 0 H is a plain short.
  if (design.TurnsL1 == 0) return "L1 has 0 turns";
  if (auto reason = NotPositive("the toroid AL", design.ToroidAL, ""); !reason.empty())
    return reason;
  if (!(design.L1 > 0.0f)) return "L1 is 0 H";

  DesignState trial = design;
  const auto analyzer = std::make_unique<Analyzer>();  // large arrays: not on the stack
  analyzer->RunSweep(trial);
  if (!analyzer->Result().valid) return "the values are out of the analysis's range";
  return {};
}

std::string UnanalysableLine(const std::string& reason) {
  return "Cannot analyse: " + reason;
}

}  // namespace diruruzevuv::model
