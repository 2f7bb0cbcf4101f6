#include "instruments/calibrated_measurement.h"

namespace diruruzevuv::instruments {

files::CalibrationDevice DeviceOf(const Analyser& analyser, const std::string& port) {
  files::CalibrationDevice device{analyser.Corrects(false) ? "text-shell" : "V2",
                                  analyser.Info().kind, analyser.Info().firmware, ""};
  for (const auto& found : ListSerialPorts())
    if (found.port == port) device.serial = found.serial;
  return device;
}

std::string MeasureStandard(const std::string& port, files::CalibrationFile& file,
                            model::Standard standard, std::string& warning,
                            const SweepProgress& progress, Timeouts timeouts) {
  std::string why;
  const auto analyser = Connect(port, why, timeouts);
  if (!analyser) return why;
  const files::CalibrationDevice device = DeviceOf(*analyser, port);
  if (!file.calibration.frequency.empty()) warning = files::OtherDeviceText(file.device, device);
  const auto raw = analyser->Sweep({file.startHz, file.stopHz, file.points, true}, progress);
  if (!raw) return analyser->Error();
  return files::RecordStandard(file, standard, *raw, device);
}

std::string OutsideCalibration(const files::CalibrationFile& calibration, const std::string& name,
                               const SweepRequest& request) {
  for (const double hz : {request.startHz, request.stopHz})
    if (std::string why = model::OutsideRangeText(calibration.calibration.frequency, hz);
        !why.empty())
      return name + ": " + why;
  return {};
}

std::optional<model::MeasuredNetwork> SweepCalibrated(Analyser& analyser, SweepRequest request,
                                                      const files::CalibrationFile* calibration,
                                                      const std::string& name, std::string& why,
                                                      const SweepProgress& progress) {
  request.raw = true;
  auto network = analyser.Sweep(request, progress);
  if (!network) {
    why = analyser.Error();
    return std::nullopt;
  }
  if (!calibration) {
    if (network->uncorrected) network->name += " (uncorrected)";
    return network;
  }
  return files::Corrected(*calibration, name, *network, why);
}

std::optional<model::MeasuredNetwork> MeasureCalibrated(
    const std::string& port, SweepRequest request, const files::CalibrationFile* calibration,
    const std::string& name, std::string& why, std::string& warning, const SweepProgress& progress,
    Timeouts timeouts) {
  // Nothing swept in vain outside the calibration's range.
  if (calibration && !(why = OutsideCalibration(*calibration, name, request)).empty())
    return std::nullopt;
  std::string chosen = port;
  if (chosen.empty()) {
    const auto only = OnlyAnalyserPort(why);
    if (!only) return std::nullopt;
    chosen = *only;
  }
  const auto analyser = Connect(chosen, why, timeouts);
  if (!analyser) return std::nullopt;
  if (calibration)
    warning = files::OtherDeviceText(calibration->device, DeviceOf(*analyser, chosen));
  return SweepCalibrated(*analyser, request, calibration, name, why, progress);
}

}  // namespace diruruzevuv::instruments
