#pragma once

#include <string>
#include <vector>

#include "model/measurement/measured_network.h"

namespace diruruzevuv::files {

// Touchstone 1.1 text of a network: "!" comment lines, the option line
// "# Hz S RI R <ohms>", then one line per frequency with S11 (one port) or
// S11 S21 S12 S22 (two ports) as real and imaginary parts. Every number is
// the shortest text that reads back as the same double; lines end in CR LF.
// Empty when the network cannot be written as such a file: no points,
// frequencies that are not positive, finite and strictly increasing,
// values that are not finite, or ports with different references.
std::string TouchstoneText(const model::MeasuredNetwork& network,
                           const std::vector<std::string>& comments = {});

// Writes that text through the safe writer. False with why set (when given)
// when the network cannot be written or the file cannot be replaced; an
// older file is then left as it was.
bool WriteTouchstoneFile(const std::string& path, const model::MeasuredNetwork& network,
                         const std::vector<std::string>& comments, std::string* why = nullptr);

}  // namespace diruruzevuv::files
