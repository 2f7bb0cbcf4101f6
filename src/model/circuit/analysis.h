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

struct SweepResult {
  static constexpr int kCapacity = 4001;
  std::int16_t intervals = 2000;  // 2001 points, index 0..2000
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
  std::array<float, 2001> m_frequencies{};
  float m_tableStart = 0.0f;
  float m_tableStop = 0.0f;
  bool m_tableReady = false;
};

}  // namespace diruruzevuv::model
