#pragma once

#include <string>
#include <string_view>

#include "model/design_state.h"
#include "model/notifier.h"
#include "model/session.h"

namespace diruruzevuv::files {

inline constexpr const char* kLastSessionName = "DIRUruzevuvLastSession.TXT";
inline constexpr const char* kDesignFilter = "DIRUruzevuv files (*.TXT)|*.TXT";

// Reads a design file into the design. On failure (cannot open, 16-bit
// overflow, "Defaults" in the first value line) tells the user and falls
// back to the built-in 20-metre design. Returns false on that failure.
bool ReadDesignFile(const std::string& path, model::DesignState& design,
                    model::Notifier& notifier);

// Reads the last-session file from the working directory, likewise.
bool ReadLastSession(const model::FileLocations& where, model::DesignState& design,
                     model::Notifier& notifier);

// True when the last-session file can be opened for reading.
bool LastSessionExists(const model::FileLocations& where);

// Writes the design. Paths shorter than two characters write nothing and
// return true. A failed write beeps, shows the message, leaves any older
// file intact and returns false.
bool WriteDesignFile(const std::string& path, const model::DesignState& design,
                     model::Notifier& notifier);
bool WriteLastSession(const model::FileLocations& where, const model::DesignState& design,
                      model::Notifier& notifier);

// The current date in a short numeric form, for line 2 of a file and the
// report's footer.
std::string ShortDate();

}  // namespace diruruzevuv::files
