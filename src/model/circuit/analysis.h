#pragma once

#include <array>
#include <cstdint>

#include "model/circuit/design_state.h"

namespace diruruzevuv::model {

struct LadderElement {
  std::int16_t type = 0;  // 4 shunt C, 1 series L, 7 series L with C across
  float capacitance = 0.0f;
  float inductance = 0.0f;
};

// The sweep's 2001 points, index 0 to 2000, from SweepStart to SweepStop.
inline constexpr int kSweepIntervals = 2000;

// The exponent of point i of a logarithmic grid of the given intervals
// from e^logStart to e^logStop: the one formula the sweep and the exported
// responses space their frequencies by.
inline double LogGridExponent(double logStart, double logStop, int i, int intervals) noexcept {
  return logStart + (logStop - logStart) * i / intervals;
}

// The input reflection's magnitude is held between these limits, so that
// its level stays finite: -140 dB for a perfect match, about -8.7e-7 dB
// for a pure reactance.
inline constexpr double kReflectionMin = 1e-7;
inline constexpr double kReflectionMax = 0.9999999;
inline constexpr double kReflectionFloorDb = -140.0;  // 20 log10(kReflectionMin)

struct SweepResult {
  static constexpr int kCapacity = 4001;
  std::int16_t intervals = kSweepIntervals;
  std::array<float, kCapacity> frequency{};
  std::array<float, kCapacity> gain{};        // dB, transducer gain
  std::array<float, kCapacity> reflection{};  // dB, input reflection
  double pointGain = 0.0;                     // last AnalyzePoint results
  double pointReflection = 0.0;
  // False when the last sweep's inputs broke the arithmetic (zero or
  // negative sweep limits, L1 = 0, zero Q or terminations ...). The plot
  // and the report then draw no curves. The arrays never hold NaN.
  bool valid = false;
};

// The ladder analyser. Keeps its element table, RL, R0 and fref from the
// last RunSweep: changing the design without a new RunSweep leaves
// AnalyzePoint answering for the old design.
class Analyzer {
 public:
  // Fills the element table and parameters from the design (and sets
  // design.LoadTermination = InputTermination), then analyses 2001 points.
  void RunSweep(DesignState& design) noexcept;

  // Gain and reflection at one frequency, stored as the point results.
  // Rs and the Q values are read from the design at every call.
  void AnalyzePoint(const DesignState& design, double frequency) noexcept;

  const SweepResult& Result() const noexcept { return m_result; }
  SweepResult& Result() noexcept { return m_result; }

  static constexpr int kMaxElements = 20;

 private:
  std::array<LadderElement, kMaxElements + 1> m_elements{};  // positions 1..20
  std::int16_t m_elementCount = 0;
  float m_rl = 0.0f;
  float m_r0 = 0.0f;
  float m_fref = 0.0f;
  SweepResult m_result;
  // The frequencies depend on the sweep limits alone; sweeps over an
  // unchanged range (component steps, Monte Carlo trials) reuse them.
  std::array<float, kSweepIntervals + 1> m_frequencies{};
  float m_tableStart = 0.0f;
  float m_tableStop = 0.0f;
  bool m_tableReady = false;
};

struct EdgeGains {
  double lower = 0.0;  // gain in dB at LowerEdge
  double upper = 0.0;  // gain in dB at UpperEdge
};
// The gains at the two band edges, lower first, through the analyser's
// last sweep of this design.
EdgeGains AnalyzeEdges(Analyzer& swept, const DesignState& design) noexcept;

}  // namespace diruruzevuv::model
