#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/circuit/design_state.h"
#include "model/circuit/global_defaults.h"

namespace diruruzevuv::model {

// The wizard's three entries, with the texts they open with.
struct WizardEntries {
  std::string lowerEdge = "3500k";
  std::string toroid = "3";
  std::string input = "50";
};

// Captions of the eight result rows, in row order.
inline constexpr std::array<const char*, 8> kWizardRowCaptions = {
    "C47: ", "L2: ", "L2 turns: ", "C48: ", "L1: ", "L1 turns: ", "C92: ", "C49: "};

enum class WizardEntry { None, LowerEdge, Toroid, Input };

struct WizardOutcome {
  bool accepted = false;
  // When refused: the entry at fault and a message naming it.
  WizardEntry wrongEntry = WizardEntry::None;
  std::string message;
  // When accepted: the entries rewritten in normalised notation, the target
  // inductances and the eight result texts.
  WizardEntries normalised;
  float targetL2 = 0.0f;
  float targetL1 = 0.0f;
  std::array<std::string, 8> results;
};

// The nearest whole number of turns for a target inductance on a toroid
// of the given AL, a half rounding up; may exceed a turn field's range.
double WholeTurns(float targetInductance, float al) noexcept;

// Lower band edge typed: LowerEdge from the text, UpperEdge 1.1 times that.
void LowerEdgeChanged(std::string_view text, DesignState& design);

// Preview: reads the entries, synthesises the filter for that lower band
// edge, AL and termination, and writes the design and the fixed plot
// settings. Entries for which the synthesis is undefined (zero, negative,
// meaningless, or turn counts a turn field cannot hold) are refused:
// then nothing is written and the message says which entry is wrong.
WizardOutcome WizardPreview(const WizardEntries& entries, DesignState& design,
                            GlobalDefaults& defaults);

}  // namespace diruruzevuv::model
