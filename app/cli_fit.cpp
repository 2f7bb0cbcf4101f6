#include "cli_commands.h"
#include "cli_measurement.h"
#include "cli_notifier.h"
#include "model/measurement/fit.h"
#include "model/measurement/measurement_text.h"

namespace diruruzevuv::cli {

// fit DESIGN_FILE MEASURED_FILE [--floor DB] [--tolerance PCT] [--csv]:
// the part values that explain the measurement, and what to change.
int RunFitCommand(const Context& context, const std::vector<std::string>& args) {
  MeasurementArguments parsed;
  if (const int wrong = ParseMeasurementArguments("fit", args, true, parsed)) return wrong;
  const auto loaded = LoadMeasurement(context, parsed, model::MeasurementUse::kFit);
  if (!loaded) return 1;
  model::FitOptions options;
  options.floorDb = parsed.floorDb;
  options.tolerancePercent = parsed.tolerancePercent;
  const model::FitResult fit = model::FitBuiltValues(loaded->design, loaded->measured, options);
  if (!fit.done) {
    std::fputs(("diruruzevuv-cli: " + fit.error + "\n").c_str(), stderr);
    return 1;
  }
  if (parsed.csv) return WriteOut(model::FitCsv(fit));
  return WriteOut("Design: " + parsed.design + "\nMeasured: " + loaded->summary + "\n" +
                  model::FitTable(fit, options));
}

}  // namespace diruruzevuv::cli
