#pragma once

#include <string>

#include "model/circuit/design_state.h"

namespace diruruzevuv::model {

// Why the design cannot be analysed, in the user's terms ("L1 has 0
// turns", "the sweep range is empty", "the termination is 0 ohm"), or
// empty text when it can be. Judges what a sweep uses: the values, the
// terminations and the Q values; when these look sound but the sweep
// still breaks, says that the values are out of range.
std::string DescribeUnanalysable(const DesignState& design);

// The one line the plot and the report show in place of a response:
// "Cannot analyse: " and the reason.
std::string UnanalysableLine(const std::string& reason);

}  // namespace diruruzevuv::model
