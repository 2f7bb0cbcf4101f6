#pragma once

#include <string_view>

#include "model/circuit/design_state.h"
#include "model/circuit/global_defaults.h"
#include "model/notifier.h"
#include "model/session.h"

namespace diruruzevuv::files {

inline constexpr const char* kGlobalDefaultsName = "DIRUruzevuvGlobalDefaults.TXT";

// Reads the global defaults (working directory first, then the shipped
// data folder) into the defaults and the design's AL, terminations and Q
// values, with the range checks and their messages.
void ReadGlobalDefaults(const model::FileLocations& where, model::DesignState& design,
                        model::GlobalDefaults& defaults, model::Notifier& notifier);

// The same on the file's text. An empty text stands for a missing file.
void ReadGlobalDefaultsText(std::string_view text, model::DesignState& design,
                            model::GlobalDefaults& defaults, model::Notifier& notifier);

}  // namespace diruruzevuv::files
