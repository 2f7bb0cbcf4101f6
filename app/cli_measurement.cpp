#include "cli_measurement.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/measurement_file.h"
#include "instruments/analyser.h"
#include "notation/notation.h"

namespace diruruzevuv::cli {

bool ReadOptionNumber(const std::string& text, double& value) {
  const std::optional<double> number = notation::PlainNumber(text);
  if (number) value = *number;
  return number.has_value();
}

int ParseMeasurementArguments(const char* command, const std::vector<std::string>& args,
                              bool withTolerance, MeasurementArguments& out) {
  std::vector<std::string> files;
  const auto got = [&args](std::size_t i) {
    return i < args.size() ? ", got '" + args[i] + "'" : std::string(", got nothing");
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--csv") {
      out.csv = true;
    } else if (a == "--floor") {
      if (++i >= args.size() || !ReadOptionNumber(args[i], out.floorDb))
        return UsageError("--floor needs a number of dB" + got(i));
    } else if (a == "--tolerance" && withTolerance) {
      if (++i >= args.size() || !ReadOptionNumber(args[i], out.tolerancePercent) ||
          !(out.tolerancePercent > 0.0))
        return UsageError("--tolerance needs a percentage above 0" + got(i));
    } else if (a == "--port") {
      if (++i >= args.size()) return UsageError("--port needs a serial port, got nothing");
      out.port = args[i];
    } else if (LooksLikeOption(a)) {
      return UsageError("unknown option '" + a + "' for " + command);
    } else {
      files.push_back(a);
    }
  }
  if (files.empty() || (out.port.empty() && files.size() < 2))
    return UsageError(std::string(command) + " needs a " +
                      (files.empty() ? "DESIGN_FILE" : "MEASURED_FILE"));
  if (files.size() > (out.port.empty() ? 2u : 1u))
    return UsageError("unexpected operand '" + files.back() + "' for " + command);
  out.design = files[0];
  if (out.port.empty()) out.measured = files[1];
  return 0;
}

std::optional<LoadedMeasurement> LoadMeasurement(const Context& context,
                                                 const MeasurementArguments& args,
                                                 model::MeasurementUse use) {
  StderrNotifier notifier;
  LoadedMeasurement loaded;
  files::ReadGlobalDefaults(context.locations, loaded.design, loaded.defaults, notifier);
  if (!ReadDesignOrTellWhy(args.design, loaded.design, notifier)) {
    if (!notifier.Told()) notifier.Message("diruruzevuv-cli: cannot read " + args.design);
    return std::nullopt;
  }
  const double ohms = loaded.design.InputTermination;
  model::MeasurementIntake intake;
  if (!args.port.empty()) {
    // A live measurement over the design's sweep range takes the same
    // way as a file from here on.
    std::string why;
    std::optional<model::MeasuredNetwork> network = instruments::MeasureOnce(
        args.port, {loaded.design.SweepStart, loaded.design.SweepStop, 401}, why);
    if (!network) {
      notifier.Message("diruruzevuv-cli: " + why);
      return std::nullopt;
    }
    const std::string name = network->name;
    intake = model::TakeMeasurement(std::move(*network), name, ohms, use);
  } else {
    intake = files::LoadMeasurementFile(args.measured, ohms, use);
  }
  if (!intake.shown) {
    notifier.Message("diruruzevuv-cli: " + intake.refusal);
    return std::nullopt;
  }
  for (const std::string& warning : intake.shown->network.warnings)
    notifier.Message("diruruzevuv-cli: " + warning);
  loaded.measured = std::move(intake.shown->network);
  loaded.summary = std::move(intake.summary);
  return loaded;
}

int WriteOut(const std::string& text) {
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return (written && std::fflush(stdout) == 0) ? 0 : 1;
}

}  // namespace diruruzevuv::cli
