#include "cli_calibration.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "files/calibration_file.h"
#include "instruments/serial_port.h"

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

files::CalibrationDevice DeviceOf(const instruments::Analyser& analyser, const std::string& port) {
  files::CalibrationDevice device{analyser.Corrects(false) ? "text-shell" : "V2",
                                  analyser.Info().kind, analyser.Info().firmware, ""};
  for (const auto& found : instruments::ListSerialPorts())
    if (found.port == port) device.serial = found.serial;
  return device;
}

std::optional<model::MeasuredNetwork> MeasureCorrected(const std::string& port,
                                                       instruments::SweepRequest request,
                                                       const Correction& correction,
                                                       std::string& why) {
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
  if (!correction.Chosen()) return instruments::MeasureOnce(port, request, why);
  std::string chosen = port;
  if (chosen.empty()) {
    const auto only = instruments::OnlyAnalyserPort(why);
    if (!only) return std::nullopt;
    chosen = *only;
  }
  const auto analyser = instruments::Connect(chosen, why);
  if (!analyser) return std::nullopt;
  request.raw = true;
  const std::string name = std::filesystem::path(correction.calibration).filename().string();
  if (calibration)
    if (const std::string other =
            files::OtherDeviceText(calibration->device, DeviceOf(*analyser, chosen));
        !other.empty())
      std::fputs(("diruruzevuv-cli: " + name + ": " + other + "\n").c_str(), stderr);
  // Nothing swept in vain outside the calibration's range.
  for (const double hz : {request.startHz, request.stopHz})
    if (calibration &&
        !(why = model::OutsideRangeText(calibration->calibration.frequency, hz)).empty()) {
      why = name + ": " + why;
      return std::nullopt;
    }
  auto network = analyser->Sweep(request);
  if (!network) {
    why = analyser->Error();
    return std::nullopt;
  }
  if (!calibration) {
    if (network->uncorrected) network->name += " (uncorrected)";
    return network;
  }
  return files::Corrected(*calibration, name, *network, why);
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
