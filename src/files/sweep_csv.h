#pragma once

#include <string>

#include "model/circuit/analysis.h"

namespace diruruzevuv::files {

// The computed response as CSV: a header line, then one line per sweep
// point with nine significant digits (every float comes back unchanged),
// LF line ends, never the locale's decimal comma. An invalid sweep gives
// the header alone.
std::string SweepCsvText(const model::SweepResult& result);

}  // namespace diruruzevuv::files
