#include "cli_calibration.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "files/calibration_file.h"
#include "instruments/calibrated_measurement.h"

namespace diruruzevuv::cli {

void AddCalibrationOptions(std::vector<Option>& options) {
  options.push_back(Text("--calibration", "a CAL_FILE", MissingValue::kGotNothing));
  options.push_back(Flag("--uncalibrated"));
}

int ChooseCorrection(const ParsedLine& parsed, Correction& correction) {
  correction.calibration = parsed.Text("--calibration").value_or("");
  correction.uncalibrated = parsed.Has("--uncalibrated");
  if (correction.uncalibrated && !correction.calibration.empty())
    return UsageError("--calibration and --uncalibrated exclude each other");
  return 0;
}

std::optional<model::MeasuredNetwork> MeasureCorrected(const std::string& port,
                                                       instruments::SweepRequest request,
                                                       const Correction& correction,
                                                       std::string& why) {
  if (!correction.Chosen()) return instruments::MeasureOnce(port, request, why);
  std::optional<files::CalibrationFile> calibration;
  if (!correction.calibration.empty()) {
    files::CalibrationRead read = files::ReadCalibrationFile(correction.calibration);
    if (!read.file) {
      why = read.error;
      return std::nullopt;
    }
    calibration = std::move(read.file);
    if (std::isnan(request.startHz) && std::isnan(request.stopHz))
      request = {calibration->startHz, calibration->stopHz, calibration->points};
  }
  const std::string name = std::filesystem::path(correction.calibration).filename().string();
  std::string warning;
  auto network = instruments::MeasureCalibrated(
      port, request, calibration ? &*calibration : nullptr, name, why, warning);
  if (!warning.empty())
    std::fputs(("diruruzevuv-cli: " + name + ": " + warning + "\n").c_str(), stderr);
  return network;
}

std::vector<std::string> MeasurementComments(const Correction& correction) {
  std::vector<std::string> comments{instruments::kOneDirectionComment};
  if (correction.uncalibrated)
    comments.push_back("uncorrected: the analyser's raw readings, no calibration applied");
  if (!correction.calibration.empty())
    comments.push_back(files::CalibratedComment(
        std::filesystem::path(correction.calibration).filename().string()));
  return comments;
}

}  // namespace diruruzevuv::cli
