#include "cli_commands.h"
#include "cli_measurement.h"
#include "cli_notifier.h"
#include "model/measurement/comparison.h"
#include "model/circuit/evaluation.h"
#include "model/measurement/measurement_text.h"

namespace diruruzevuv::cli {

// compare DESIGN_FILE MEASURED_FILE [--floor DB] [--csv]: the measured
// filter against its design over the design-aid boxes.
int RunCompareCommand(const Context& context, const std::vector<std::string>& args) {
  MeasurementArguments parsed;
  if (const int wrong = ParseMeasurementArguments("compare", args, false, parsed)) return wrong;
  const auto loaded = LoadMeasurement(context, parsed);
  if (!loaded) return 1;
  const model::Comparison comparison =
      *model::Evaluate(loaded->design, loaded->defaults, &loaded->measured, parsed.floorDb)
           .comparison;
  if (!comparison.problem.empty()) {
    std::fputs(("diruruzevuv-cli: " + comparison.problem + "\n").c_str(), stderr);
    return 1;
  }
  if (parsed.csv) return WriteOut(model::ComparisonCsv(comparison, loaded->design));
  return WriteOut("Design: " + parsed.design + "\nMeasured: " + loaded->summary + "\n" +
                  model::ComparisonTable(comparison, loaded->design));
}

}  // namespace diruruzevuv::cli
