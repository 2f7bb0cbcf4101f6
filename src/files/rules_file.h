#pragma once

#include <string>
#include <string_view>

#include "model/circuit/harmonics.h"
#include "model/session.h"

namespace diruruzevuv::files {

// The spurious-emission rules: shipped in the data folder; a file of the
// same name in the working folder adds rules, its rows replacing every
// shipped row of a name it uses.
inline constexpr const char* kRulesFileName = "DIRUruzevuvRules.TXT";

// Reads one file's text. A row is
//   name, fundamental low MHz, fundamental high MHz, power low W,
//   power high W, relative dB, cap W, floor W, source (the rest of the line)
// with "-" for no upper bound, no cap or no floor. Empty lines and lines
// starting with "*" are skipped; a row that does not read is recorded as
// "<fileName> line <n>: <why>" and skipped.
model::RuleBook ReadRuleRows(std::string_view text, std::string_view fileName);

// The shipped rules, then the working folder's. unreadable says why when
// the shipped file, or a working copy that exists, cannot be read.
model::RuleBook ReadRules(const model::FileLocations& where, std::string& unreadable);

}  // namespace diruruzevuv::files
