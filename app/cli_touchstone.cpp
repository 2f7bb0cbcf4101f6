#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "model/notifier.h"
#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/touchstone_writer.h"
#include "model/circuit/analysis_problem.h"
#include "model/circuit/design_response.h"
#include "model/circuit/global_defaults.h"
#include "notation/notation.h"

namespace diruruzevuv::cli {
namespace {

// Enough for any analyser's sweep; the file stays readable (about 17 MB).
constexpr int kMaxPoints = 100000;

// A usage error: one line on standard error, exit status 2.
int Refuse(const std::string& text) {
  std::fputs(("diruruzevuv-cli: " + text + "\n").c_str(), stderr);
  return 2;
}

std::optional<double> Frequency(const std::string& text) {
  const std::optional<double> value = notation::PlainNumber(text);
  if (!value || !(*value > 0.0)) return std::nullopt;
  return value;
}

std::optional<int> Points(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end || value < 2 || value > kMaxPoints) return std::nullopt;
  return value;
}

std::string Hz(double value) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::string(buffer, result.ptr) + " Hz";
}

// The safe writer's reason starts with the file's name; the message names
// it once.
std::string WriteFailure(const std::string& path, const std::string& why) {
  const std::string prefix = path + ": ";
  const std::string reason = why.rfind(prefix, 0) == 0 ? why.substr(prefix.size()) : why;
  return "diruruzevuv-cli: " + model::CannotWriteText({"", path, reason}) + "\n";
}

}  // namespace

// touchstone DESIGN_FILE OUT.s2p [--start HZ] [--stop HZ] [--points N]: the
// design's computed S-parameters as a Touchstone 1.1 file, as an analyser
// would measure the built filter against the design's termination.
int RunTouchstoneCommand(const Context& context, const std::vector<std::string>& args) {
  std::optional<double> start, stop;
  std::optional<int> points;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    const std::string value = hasValue ? args[i + 1] : std::string();
    const std::string got = hasValue ? ", got '" + value + "'" : "";
    if (a == "--start" || a == "--stop") {
      const std::optional<double> hz = hasValue ? Frequency(value) : std::nullopt;
      if (!hz) return Refuse(a + " needs a frequency in Hz above 0" + got);
      (a == "--start" ? start : stop) = hz;
      ++i;
    } else if (a == "--points") {
      points = hasValue ? Points(value) : std::nullopt;
      if (!points)
        return Refuse("--points needs a whole number from 2 to " + std::to_string(kMaxPoints) +
                      got);
      ++i;
    } else if (a.size() > 1 && a[0] == '-') {
      return Refuse("unknown option '" + a + "' for touchstone");
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) return Refuse("touchstone needs a DESIGN_FILE");
  if (files.size() == 1) return Refuse("touchstone needs an OUT_FILE");
  if (files.size() > 2) return Refuse("touchstone takes two files, got also '" + files[2] + "'");
  if (start && stop && *start >= *stop)
    return Refuse("--start " + Hz(*start) + " is not below --stop " + Hz(*stop));

  StderrNotifier notifier;
  model::DesignState design;
  model::GlobalDefaults defaults;
  files::ReadGlobalDefaults(context.locations, design, defaults, notifier);
  const std::string& designFile = files[0];
  if (!ReadDesignOrTellWhy(designFile, design, notifier)) {
    if (!notifier.Told()) notifier.Message("diruruzevuv-cli: cannot read " + designFile);
    return 1;
  }
  model::ResponseRange range = model::DesignResponseRange(design);
  if (start) range.lowHz = *start;
  if (stop) range.highHz = *stop;
  if (points) range.points = *points;
  // One end from the command line, the other from the design's sweep.
  if (start && !stop && !(range.lowHz < range.highHz))
    return Refuse("--start " + Hz(*start) + " is not below the design's sweep end " +
                  Hz(range.highHz));
  if (stop && !start && !(range.lowHz < range.highHz))
    return Refuse("--stop " + Hz(*stop) + " is not above the design's sweep start " +
                  Hz(range.lowHz));

  if (!(std::isfinite(range.lowHz) && std::isfinite(range.highHz) && range.lowHz > 0.0 &&
        range.lowHz < range.highHz)) {
    std::fputs(("diruruzevuv-cli: " + designFile +
                ": the design's sweep range is empty; give --start and --stop\n")
                   .c_str(),
               stderr);
    return 1;
  }
  if (model::ResponseFrequencies(range).empty()) {
    return Refuse("--points " + std::to_string(range.points) + " is too many between " +
                  Hz(range.lowHz) + " and " + Hz(range.highHz));
  }
  const std::optional<model::MeasuredNetwork> network = model::DesignResponse(design, range);
  if (!network) {
    PrintUnanalysable(files[0], model::DescribeUnanalysable(design));
    return 1;
  }
  const std::string& out = files[1];
  std::string why;
  if (!files::WriteTouchstoneFile(out, *network,
                                  {"S-parameters of " + designFile + " computed by DIRUruzevuv"},
                                  &why)) {
    std::fputs(WriteFailure(out, why).c_str(), stderr);
    return 1;
  }
  return 0;
}

}  // namespace diruruzevuv::cli
