#pragma once

// Sweeps read through a host calibration: the standards measured into a
// calibration file, and measurements corrected by one, on either family.
#include <optional>
#include <string>

#include "files/calibration_file.h"
#include "instruments/analyser.h"

namespace diruruzevuv::instruments {

// The calibration's device as the analyser on port is.
files::CalibrationDevice DeviceOf(const Analyser& analyser, const std::string& port);

// The standard measured raw over the file's range and points into it:
// empty, or why not (the device's failure, look-alike standards). warning
// says when the file was made on another device.
std::string MeasureStandard(const std::string& port, files::CalibrationFile& file,
                            model::Standard standard, std::string& warning,
                            const SweepProgress& progress = {}, Timeouts timeouts = {});

// Why request reaches outside the calibration (called name), or empty.
std::string OutsideCalibration(const files::CalibrationFile& calibration, const std::string& name,
                               const SweepRequest& request);

// One raw sweep of a connected analyser corrected by calibration; without
// one, labelled uncorrected. Nothing with why set.
std::optional<model::MeasuredNetwork> SweepCalibrated(Analyser& analyser, SweepRequest request,
                                                      const files::CalibrationFile* calibration,
                                                      const std::string& name, std::string& why,
                                                      const SweepProgress& progress = {});

// One raw sweep of the analyser on port (or of the one found) corrected by
// calibration, the file called name; without one, the raw sweep labelled
// uncorrected. Nothing with why set; warning as above.
std::optional<model::MeasuredNetwork> MeasureCalibrated(
    const std::string& port, SweepRequest request, const files::CalibrationFile* calibration,
    const std::string& name, std::string& why, std::string& warning,
    const SweepProgress& progress = {}, Timeouts timeouts = {});

}  // namespace diruruzevuv::instruments
