#include "cli_measurement.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/measurement_file.h"

namespace diruruzevuv::cli {

bool ReadOptionNumber(const std::string& text, double& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc{} && stop == end && std::isfinite(value);
}

bool ParseMeasurementArguments(const std::vector<std::string>& args, bool withTolerance,
                               MeasurementArguments& out) {
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--csv") {
      out.csv = true;
    } else if (a == "--floor") {
      if (++i >= args.size() || !ReadOptionNumber(args[i], out.floorDb)) return false;
    } else if (a == "--tolerance" && withTolerance) {
      if (++i >= args.size() || !ReadOptionNumber(args[i], out.tolerancePercent) ||
          !(out.tolerancePercent > 0.0))
        return false;
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return false;
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) return false;
  out.design = files[0];
  out.measured = files[1];
  return true;
}

std::optional<LoadedMeasurement> LoadMeasurement(const Context& context,
                                                 const MeasurementArguments& args) {
  StderrNotifier notifier;
  LoadedMeasurement loaded;
  files::ReadGlobalDefaults(context.locations, loaded.design, loaded.defaults, notifier);
  if (!ReadDesignOrTellWhy(args.design, loaded.design, notifier)) {
    if (!notifier.Told()) notifier.Message("diruruzevuv-cli: cannot read " + args.design);
    return std::nullopt;
  }
  model::MeasurementIntake intake =
      files::LoadMeasurementFile(args.measured, loaded.design.InputTermination);
  if (!intake.shown) {
    notifier.Message("diruruzevuv-cli: " + intake.refusal);
    return std::nullopt;
  }
  loaded.measured = std::move(intake.shown->network);
  loaded.summary = std::move(intake.summary);
  return loaded;
}

int WriteOut(const std::string& text) {
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return (written && std::fflush(stdout) == 0) ? 0 : 1;
}

}  // namespace diruruzevuv::cli
