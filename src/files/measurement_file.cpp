#include "files/measurement_file.h"

#include <utility>

#include "files/design_file.h"
#include "files/line_reader.h"
#include "files/touchstone.h"

namespace diruruzevuv::files {

model::MeasurementIntake LoadMeasurementFile(const std::filesystem::path& path, double designOhms,
                                             model::MeasurementUse use) {
  TouchstoneRead read = ReadTouchstoneFile(path);
  if (!read.network) {
    // A line to blame may be a design file's: the usual slip of picking
    // the wrong file is named as such.
    if (read.error.line > 0) {
      const auto text = ReadWholeFile(path);
      if (text && ReadsAsDesignFile(*text))
        read.error = {read.error.file, 0, "is a design file, not a measurement"};
    }
    model::MeasurementIntake refused;
    refused.refusal = read.error.Text();
    return refused;
  }
  std::string name = read.network->name;
  return model::TakeMeasurement(std::move(*read.network), name, designOhms, use);
}

}  // namespace diruruzevuv::files
