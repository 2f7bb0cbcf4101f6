#include "files/measurement_file.h"

#include <utility>

#include "files/touchstone.h"

namespace diruruzevuv::files {

model::MeasurementIntake LoadMeasurementFile(const std::filesystem::path& path, double designOhms,
                                             model::MeasurementUse use) {
  TouchstoneRead read = ReadTouchstoneFile(path);
  if (!read.network) {
    model::MeasurementIntake refused;
    refused.refusal = read.error.Text();
    return refused;
  }
  std::string name = read.network->name;
  return model::TakeMeasurement(std::move(*read.network), name, designOhms, use);
}

}  // namespace diruruzevuv::files
