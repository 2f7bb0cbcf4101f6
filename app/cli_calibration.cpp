#include "cli_calibration.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "files/calibration_file.h"
#include "instruments/calibrated_measurement.h"

namespace diruruzevuv::cli {

std::vector<Option> AnalyserSweepOptions() {
  const auto frequency = [](const char* name) {
    return Number(name, kFrequencyNeeds, kFrequencyRange, MissingValue::kGotEmpty);
  };
  return {Text("--port", "a PORT"), frequency("--start"), frequency("--stop"),
          Whole("--points", 2, instruments::kMostSweepPoints, MissingValue::kGotEmpty)};
}

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

int ChooseCorrectionForPort(const ParsedLine& parsed, Correction& correction) {
  if (const int wrong = ChooseCorrection(parsed, correction)) return wrong;
  if (parsed.Text("--port").value_or("").empty() && correction.Chosen())
    return UsageError("--calibration and --uncalibrated go with --port");
  return 0;
}

bool LoadCalibration(const Correction& correction, std::optional<files::CalibrationFile>& file,
                     std::string& name, std::string& why) {
  name = std::filesystem::path(correction.calibration).filename().string();
  if (correction.calibration.empty()) return true;
  files::CalibrationRead read = files::ReadCalibrationFile(correction.calibration);
  if (!read.file) {
    why = read.error;
    return false;
  }
  file = std::move(read.file);
  return true;
}

std::optional<model::MeasuredNetwork> MeasureCorrected(const std::string& port,
                                                       instruments::SweepRequest request,
                                                       const Correction& correction,
                                                       std::string& why) {
  if (!correction.Chosen()) return instruments::MeasureOnce(port, request, why);
  std::optional<files::CalibrationFile> calibration;
  std::string name;
  if (!LoadCalibration(correction, calibration, name, why)) return std::nullopt;
  if (calibration && std::isnan(request.startHz) && std::isnan(request.stopHz))
    request = {calibration->startHz, calibration->stopHz, calibration->points};
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
