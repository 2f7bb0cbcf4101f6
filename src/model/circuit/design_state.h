#pragma once

#include <cstdint>
#include <string>

namespace diruruzevuv::model {

// The program's pi: 4 * arctan(1) held in single precision (3.1415927).
// Analysis, drawing and export all use this value, not a double pi.
inline constexpr float kPi = 3.14159274101257324f;

// The one filter design. Values are in SI units without prefixes
// (farads, henries, hertz, ohms); AL in nH per turns squared.
struct DesignState {
  float C47 = 0.0f;
  float C48 = 0.0f;
  float C92 = 0.0f;  // 0 means "not fitted"
  float C49 = 0.0f;
  std::int16_t TurnsL1 = 0;
  std::int16_t TurnsL2 = 0;
  float L1 = 0.0f;  // derived by UpdateInductances only
  float L2 = 0.0f;  // derived by UpdateInductances only
  float ToroidAL = 0.0f;
  float LowerEdge = 0.0f;
  float UpperEdge = 0.0f;
  float SweepStart = 0.0f;
  float SweepStop = 0.0f;
  std::int16_t Band = 0;  // metres, 0 = none
  float InputTermination = 0.0f;
  float LoadTermination = 0.0f;  // always equal to InputTermination
  float InductorQ = 0.0f;
  float CapacitorQ = 0.0f;
  std::string CurrentFile;
};

// L = AL * 1e-9 * N^2 for both inductors, in double, stored as float.
void UpdateInductances(DesignState& design) noexcept;

// Turns and AL set together with the inductances that follow from them.
void SetTurns(DesignState& design, std::int16_t turnsL1, std::int16_t turnsL2) noexcept;
void SetToroidAL(DesignState& design, float al) noexcept;

// The whole number of turns, from 1 to 32767, whose inductance at this AL
// (henries per turns squared) comes nearest to henries; the fewer on a tie.
std::int16_t NearestWholeTurns(double henries, double henriesPerTurnSquared) noexcept;

// The one place the load termination is derived: always the input's.
void SetTermination(DesignState& design, float ohms) noexcept;

// The built-in 20-metre design. Leaves the Q values and CurrentFile alone.
void ApplyDefaultDesign(DesignState& design) noexcept;

}  // namespace diruruzevuv::model
