#pragma once

#include <optional>
#include <string>

#include "model/circuit/design_state.h"
#include "model/notifier.h"

namespace diruruzevuv::files {

inline constexpr const char* kSpiceFilter = "Spice schematic files (*.ASC)|*.ASC";
inline constexpr const char* kSpiceDialogTitle = "Write Spice schematic";
inline constexpr const char* kSpiceWriteFailed =
    "We were not able to write the DIRUruzevuv LTspice file";

// The save dialog's answer is used only when it is longer than four
// characters; a cancelled dialog (empty name) writes nothing.
inline bool SpiceNameAccepted(const std::string& name) {
  return name.size() > 4;
}

// The inductor's loss as the series resistance that gives InductorQ at the
// lower band edge: 2 * pi * LowerEdge * L / InductorQ, in double, stored as
// float. Empty when it cannot be computed (InductorQ 0, non-finite).
std::optional<float> SeriesResistance(const model::DesignState& design, float inductance);

// The complete LTspice schematic (format version 4, CR LF line ends) for
// the design. Empty when a value of the design cannot be represented.
std::optional<std::string> SpiceSchematicText(const model::DesignState& design);

// Writes the schematic to the path, replacing any older file only once the
// new one is complete. On failure beeps, shows kSpiceWriteFailed, leaves an
// older file intact and returns false. Checking the name's length is the
// caller's business (SpiceNameAccepted).
bool WriteSpiceSchematic(const std::string& path, const model::DesignState& design,
                         model::Notifier& notifier);

}  // namespace diruruzevuv::files
