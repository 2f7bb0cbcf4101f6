#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/measurement/calibration.h"

namespace diruruzevuv::files {

// The analyser a calibration was made on: a calibration holds for its
// own cables and its own board only.
struct CalibrationDevice {
  std::string family;    // "text-shell" or "V2"
  std::string kind;      // the board's name as it gives it
  std::string firmware;  // its version text
  std::string serial;    // the port's USB serial number, empty when it has none
};

struct CalibrationFile {
  CalibrationDevice device;
  double startHz = 0.0;
  double stopHz = 0.0;
  int points = 0;
  model::Calibration calibration;  // its grid is the standards' frequencies
};

// Text, CR LF: "*" comment lines; "family", "device", "firmware", "serial"
// lines with the rest of the line as text; "range START STOP POINTS";
// "kit " and a kit file's line for each standard; then for each measured
// standard "standard NAME" and one line a frequency: Hz, S11 and S21 raw,
// real and imaginary. Every number reads back as the same double.
std::string CalibrationText(const CalibrationFile& file);

struct CalibrationRead {
  std::optional<CalibrationFile> file;
  std::string error;  // "fixture.cal, line 7: ..." when refused
};
CalibrationRead ParseCalibration(std::string_view text, std::string_view name);
CalibrationRead ReadCalibrationFile(const std::string& path);
// Through the safe writer; false with why set on failure.
bool WriteCalibrationFile(const std::string& path, const CalibrationFile& file, std::string& why);

// Keeps the raw sweep of a standard measured on device (the first one sets
// the grid and the device): empty, or why not (another grid than the
// standards before it; two standards that look alike).
std::string RecordStandard(CalibrationFile& file, model::Standard standard,
                           const model::MeasuredNetwork& raw, const CalibrationDevice& device);
// "still to measure: short, load, through", or that S11 and S21 can be
// corrected.
std::string StillMissingText(const model::Calibration& calibration);
// A warning when the device is not the one the calibration was made on, or empty.
std::string OtherDeviceText(const CalibrationDevice& made, const CalibrationDevice& now);

// The raw measurement corrected by the calibration in the file called
// name, which its name and comments then carry; nothing with why set.
std::optional<model::MeasuredNetwork> Corrected(const CalibrationFile& file,
                                                const std::string& name,
                                                const model::MeasuredNetwork& raw,
                                                std::string& why);
// What a Touchstone file of such a measurement says about it.
std::string CalibratedComment(const std::string& name);

// A kit file: one standard a line, "open C0 C1 C2 C3 DELAY_PS", "short L0
// L1 L2 L3 DELAY_PS", "load R", "through DELAY_PS", in the kit's units;
// "*" starts a comment; a standard without a line is ideal.
struct KitRead {
  std::optional<model::CalibrationKit> kit;
  std::string error;
};
KitRead ParseKit(std::string_view text, std::string_view name);
KitRead ReadKitFile(const std::string& path);

}  // namespace diruruzevuv::files
