#pragma once

// What compare and fit share: their arguments, and reading the design,
// the global defaults and the measurement referred to the design's
// termination.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/touchstone.h"
#include "instruments/analyser.h"
#include "model/design_state.h"
#include "model/fit.h"
#include "model/global_defaults.h"
#include "model/measured_network.h"
#include "model/measurement_text.h"
#include "model/session.h"

namespace diruruzevuv::cli {

struct MeasurementArguments {
  std::string design;
  std::string measured;
  std::string port;  // measure with the analyser there instead of reading a file
  double floorDb = model::kDefaultFloorDb;
  double tolerancePercent = model::kDefaultTolerancePercent;
  bool csv = false;
};

inline bool ReadOptionNumber(const std::string& text, double& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc{} && stop == end && std::isfinite(value);
}

// False on wrong usage. withTolerance: whether --tolerance is allowed.
inline bool ParseMeasurementArguments(const std::vector<std::string>& args, bool withTolerance,
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
    } else if (a == "--port") {
      if (++i >= args.size()) return false;
      out.port = args[i];
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return false;
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != (out.port.empty() ? 2u : 1u)) return false;
  out.design = files[0];
  if (out.port.empty()) out.measured = files[1];
  return true;
}

struct LoadedMeasurement {
  model::DesignState design;
  model::GlobalDefaults defaults;
  model::MeasuredNetwork measured;  // referred to the design's termination
  std::string summary;
};

// Reads everything; on failure says why on standard error and returns nothing.
inline std::optional<LoadedMeasurement> LoadMeasurement(
    const Context& context, const MeasurementArguments& args,
    model::MeasurementUse use = model::MeasurementUse::kJudge) {
  StderrNotifier notifier;
  LoadedMeasurement loaded;
  files::ReadGlobalDefaults(context.locations, loaded.design, loaded.defaults, notifier);
  if (!ReadDesignOrTellWhy(args.design, loaded.design, notifier)) {
    if (!notifier.Told()) notifier.Message("diruruzevuv-cli: cannot read " + args.design);
    return std::nullopt;
  }
  files::TouchstoneRead read;
  if (!args.port.empty()) {
    // A live measurement over the design's sweep range takes the same
    // way as a file from here on.
    std::string why;
    read.network = instruments::MeasureOnce(
        args.port, {loaded.design.SweepStart, loaded.design.SweepStop, 401}, why);
    if (!read.network) {
      notifier.Message("diruruzevuv-cli: " + why);
      return std::nullopt;
    }
  } else {
    read = files::ReadTouchstoneFile(args.measured);
  }
  if (!read.network) {
    notifier.Message("diruruzevuv-cli: " + read.error.Text());
    return std::nullopt;
  }
  for (const std::string& warning : read.network->warnings)
    notifier.Message("diruruzevuv-cli: " + warning);
  const double ohms = loaded.design.InputTermination;
  model::PreparedMeasurement prepared = model::PrepareMeasurement(*read.network, ohms, use);
  if (!prepared.network) {
    notifier.Message("diruruzevuv-cli: " + prepared.problem);
    return std::nullopt;
  }
  loaded.measured = std::move(*prepared.network);
  loaded.summary = model::MeasurementSummary(*read.network, ohms);
  return loaded;
}

inline int WriteOut(const std::string& text) {
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return (written && std::fflush(stdout) == 0) ? 0 : 1;
}

}  // namespace diruruzevuv::cli
