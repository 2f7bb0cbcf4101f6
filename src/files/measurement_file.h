#pragma once

#include <filesystem>

#include "model/measurement/measurement.h"

namespace diruruzevuv::files {

// Reads a Touchstone file and takes it as a measurement of a design
// terminated in designOhms; a file that cannot be read is refused with
// the reader's text ("built.s2p, line 12: ...").
model::MeasurementIntake LoadMeasurementFile(
    const std::filesystem::path& path, double designOhms,
    model::MeasurementUse use = model::MeasurementUse::kJudge);

}  // namespace diruruzevuv::files
