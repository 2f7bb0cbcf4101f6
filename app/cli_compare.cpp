#include "cli_commands.h"
#include "cli_measurement.h"
#include "cli_notifier.h"
#include "files/measurement_file.h"
#include "model/circuit/evaluation.h"
#include "model/measurement/comparison.h"
#include "model/measurement/measurement_text.h"
#include "model/measurement/tuning.h"

namespace diruruzevuv::cli {
namespace {

// The comparison of the measurement loaded, or nothing when it has none
// (said why).
std::optional<model::Comparison> Compare(const LoadedMeasurement& loaded, double floorDb) {
  model::Comparison comparison =
      *model::Evaluate(loaded.design, loaded.defaults, &loaded.measured, floorDb).comparison;
  if (!comparison.problem.empty()) {
    std::fputs(("diruruzevuv-cli: " + comparison.problem + "\n").c_str(), stderr);
    return std::nullopt;
  }
  return comparison;
}

// Several measured files in turn: each one's table under its "Measured:"
// line, or its CSV rows with the file first; a file that cannot be read or
// compared is said on standard error and the others still are (exit 1).
int CompareSeveral(const Context& context, const MeasurementArguments& parsed) {
  std::optional<LoadedMeasurement> loaded = LoadDesign(context, parsed.design);
  if (!loaded) return 1;
  int status = 0;
  bool first = true;
  std::string text = parsed.csv ? "" : "Design: " + parsed.design + "\n";
  for (const std::string& file : parsed.allMeasured) {
    const double ohms = loaded->design.InputTermination;
    std::optional<model::Comparison> comparison;
    if (TakeInto(*loaded, files::LoadMeasurementFile(file, ohms, model::MeasurementUse::kJudge)))
      comparison = Compare(*loaded, parsed.floorDb);
    if (!comparison) {
      status = 1;
      continue;
    }
    if (!parsed.csv) {
      text += (first ? "" : "\n") + ("Measured: " + loaded->summary + "\n") +
              model::ComparisonTable(*comparison, loaded->design);
    } else {
      const std::string rows = model::ComparisonCsv(*comparison, loaded->design);
      std::size_t at = rows.find('\n') + 1;
      if (first) text = "measurement," + rows.substr(0, at);
      for (std::size_t end; at < rows.size(); at = end) {
        end = rows.find('\n', at) + 1;
        text += model::CsvField(file) + "," + rows.substr(at, end - at);
      }
    }
    first = false;
  }
  const int written = WriteOut(text);
  return written != 0 ? written : status;
}

}  // namespace

// compare DESIGN_FILE MEASURED_FILE... [--floor DB] [--csv]: the measured
// filter against its design over the design-aid boxes.
int RunCompareCommand(const Context& context, const std::vector<std::string>& args) {
  MeasurementArguments parsed;
  if (const int wrong = ParseMeasurementArguments("compare", args, false, parsed, true))
    return wrong;
  if (parsed.allMeasured.size() > 1) return CompareSeveral(context, parsed);
  const auto loaded = LoadMeasurement(context, parsed);
  if (!loaded) return 1;
  const std::optional<model::Comparison> comparison = Compare(*loaded, parsed.floorDb);
  if (!comparison) return 1;
  if (parsed.csv) return WriteOut(model::ComparisonCsv(*comparison, loaded->design));
  return WriteOut("Design: " + parsed.design + "\nMeasured: " + loaded->summary + "\n" +
                  model::ComparisonTable(*comparison, loaded->design));
}

}  // namespace diruruzevuv::cli
