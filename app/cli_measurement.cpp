#include "cli_measurement.h"

#include <cmath>
#include <cstdio>

#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/measurement_file.h"
#include "instruments/analyser.h"

namespace diruruzevuv::cli {

int ParseMeasurementArguments(const char* command, const std::vector<std::string>& args,
                              bool withTolerance, MeasurementArguments& out, bool severalFiles) {
  CommandLine line{
      .command = command,
      .options = {Flag("--csv"), Number("--floor", "a number of dB", {}, MissingValue::kGotNothing),
                  Text("--port", "a serial port", MissingValue::kGotNothing)},
      .operands = {"DESIGN_FILE", "MEASURED_FILE"},
      .required = 2,
      .insteadOfLastOperand = "--port",
      .lastOperandRepeats = severalFiles,
      .surplus = [command](const std::vector<std::string>& operands) {
        return "unexpected operand '" + operands.back() + "' for " + command;
      }};
  if (withTolerance)
    line.options.push_back(Number("--tolerance", "a percentage above 0, at most 100",
                                  {.lowest = 0.0, .lowestTaken = false, .highest = 100.0},
                                  MissingValue::kGotNothing));
  AddCalibrationOptions(line.options);
  ParsedLine parsed;
  if (const int wrong = ParseCommandLine(line, args, parsed)) return wrong;
  if (const int wrong = ChooseCorrectionForPort(parsed, out.correction)) return wrong;
  out.csv = parsed.Has("--csv");
  out.floorDb = parsed.Number("--floor").value_or(out.floorDb);
  out.tolerancePercent = parsed.Number("--tolerance").value_or(out.tolerancePercent);
  out.port = parsed.Text("--port").value_or("");
  out.design = parsed.operands[0];
  if (out.port.empty()) {
    out.measured = parsed.operands[1];
    out.allMeasured.assign(parsed.operands.begin() + 1, parsed.operands.end());
  }
  return 0;
}

std::optional<LoadedMeasurement> LoadDesign(const Context& context, const std::string& design) {
  StderrNotifier notifier;
  LoadedMeasurement loaded;
  files::ReadGlobalDefaults(context.locations, loaded.design, loaded.defaults, notifier);
  if (!ReadDesignOrTellWhy(design, loaded.design, notifier)) {
    if (!notifier.Told()) notifier.Message("diruruzevuv-cli: cannot read " + design);
    return std::nullopt;
  }
  return loaded;
}

bool TakeInto(LoadedMeasurement& loaded, model::MeasurementIntake intake) {
  StderrNotifier notifier;
  if (!intake.shown) {
    notifier.Message("diruruzevuv-cli: " + intake.refusal);
    return false;
  }
  for (const std::string& warning : intake.shown->network.warnings)
    notifier.Message("diruruzevuv-cli: " + warning);
  loaded.measured = std::move(intake.shown->network);
  loaded.summary = std::move(intake.summary);
  return true;
}

std::optional<LoadedMeasurement> LoadMeasurement(const Context& context,
                                                 const MeasurementArguments& args,
                                                 model::MeasurementUse use) {
  std::optional<LoadedMeasurement> loaded = LoadDesign(context, args.design);
  if (!loaded) return std::nullopt;
  const double ohms = loaded->design.InputTermination;
  model::MeasurementIntake intake;
  if (!args.port.empty()) {
    // A live measurement over the design's sweep range takes the same
    // way as a file from here on.
    std::string why;
    // With a calibration, over its own range and points.
    instruments::SweepRequest request =
        instruments::DesignSweep(loaded->design.SweepStart, loaded->design.SweepStop);
    if (!args.correction.calibration.empty()) request.startHz = request.stopHz = NAN;
    std::optional<model::MeasuredNetwork> network =
        MeasureCorrected(args.port, request, args.correction, why);
    if (!network) {
      std::fputs(("diruruzevuv-cli: " + why + "\n").c_str(), stderr);
      return std::nullopt;
    }
    const std::string name = network->name;
    intake = model::TakeMeasurement(std::move(*network), name, ohms, use);
  } else {
    intake = files::LoadMeasurementFile(args.measured, ohms, use);
  }
  if (!TakeInto(*loaded, std::move(intake))) return std::nullopt;
  return loaded;
}

}  // namespace diruruzevuv::cli
