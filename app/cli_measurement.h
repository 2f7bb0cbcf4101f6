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

// Returns 0, or on wrong usage says what is wrong and returns 2.
// withTolerance: whether --tolerance is allowed.
inline int ParseMeasurementArguments(const char* command, const std::vector<std::string>& args,
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

struct LoadedMeasurement {
  model::DesignState design;
  model::GlobalDefaults defaults;
  model::MeasuredNetwork measured;  // referred to the design's termination
  std::string summary;
};

// Reads everything; on failure says why on standard error and returns nothing.
inline std::optional<LoadedMeasurement> LoadMeasurement(const Context& context,
                                                        const MeasurementArguments& args) {
  StderrNotifier notifier;
  LoadedMeasurement loaded;
  files::ReadGlobalDefaults(context.locations, loaded.design, loaded.defaults, notifier);
  if (!ReadDesignOrTellWhy(args.design, loaded.design, notifier)) return std::nullopt;
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
  const double ohms = loaded.design.InputTermination;
  if (const std::string problem = model::ReferralProblem(*read.network, ohms); !problem.empty()) {
    notifier.Message("diruruzevuv-cli: " + problem);
    return std::nullopt;
  }
  if (!model::Renormalise(*read.network, ohms, loaded.measured)) {
    notifier.Message("diruruzevuv-cli: " + read.network->name +
                     ": cannot be referred to the design's termination");
    return std::nullopt;
  }
  loaded.summary = model::MeasurementSummary(*read.network, ohms);
  return loaded;
}

inline int WriteOut(const std::string& text) {
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return (written && std::fflush(stdout) == 0) ? 0 : 1;
}

}  // namespace diruruzevuv::cli
