#pragma once

// What measure, fit and compare share about the analyser's corrections:
// a host calibration from a file, the device's raw readings as they are,
// or the device's own calibration.
#include <optional>
#include <string>
#include <vector>

#include "cli_options.h"
#include "files/calibration_file.h"
#include "instruments/analyser.h"
#include "model/measurement/measured_network.h"

namespace diruruzevuv::cli {

// --port PORT, --start HZ, --stop HZ and --points N: an analyser's sweep.
std::vector<Option> AnalyserSweepOptions();

// --calibration CAL_FILE and --uncalibrated.
void AddCalibrationOptions(std::vector<Option>& options);

struct Correction {
  std::string calibration;    // the host calibration's file, or empty
  bool uncalibrated = false;  // the raw readings, labelled so
  bool Chosen() const { return !calibration.empty() || uncalibrated; }
};
// What the command line chose: 0, or says what is wrong and returns 2.
int ChooseCorrection(const ParsedLine& parsed, Correction& correction);
// The same for a command that reads a file or measures on --port: a
// correction goes with --port only.
int ChooseCorrectionForPort(const ParsedLine& parsed, Correction& correction);

// The calibration chosen, read into file (none without --calibration),
// and its file's name; false with why set when it cannot be read.
bool LoadCalibration(const Correction& correction, std::optional<files::CalibrationFile>& file,
                     std::string& name, std::string& why);

// One sweep of the analyser on port (or of the one found), corrected as
// chosen; nothing with why set. The calibration's range and points stand
// in for a request without a range (NaN).
std::optional<model::MeasuredNetwork> MeasureCorrected(const std::string& port,
                                                       instruments::SweepRequest request,
                                                       const Correction& correction,
                                                       std::string& why);

// The comments of a Touchstone file of such a measurement.
std::vector<std::string> MeasurementComments(const Correction& correction);

}  // namespace diruruzevuv::cli
