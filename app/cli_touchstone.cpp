#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/design_file.h"
#include "files/global_defaults_file.h"
#include "files/touchstone_writer.h"
#include "model/circuit/analysis_problem.h"
#include "model/circuit/design_response.h"
#include "model/circuit/global_defaults.h"
#include "model/notifier.h"

namespace diruruzevuv::cli {
namespace {

// Enough for any analyser's sweep; the file stays readable (about 17 MB).
constexpr int kMaxPoints = 100000;

std::string Hz(double value) {
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::string(buffer, result.ptr) + " Hz";
}

// The safe writer's reason starts with the file's name; the message names
// it once.
std::string WriteFailure(const std::string& path, const std::string& why) {
  const std::string prefix = path + ": ";
  const std::string reason = why.rfind(prefix, 0) == 0 ? why.substr(prefix.size()) : why;
  return model::CannotWriteText({"", path, reason});
}

// What the command line asks for; the range's ends and points when given.
struct TouchstoneArguments {
  std::string design, out;
  std::optional<double> start, stop, points;
};

int ParseTouchstoneArguments(const std::vector<std::string>& args, TouchstoneArguments& out) {
  const CommandLine line{
      .command = "touchstone",
      .shape = OptionShape::kDash,
      .options = {Number("--start", kFrequencyNeeds, kFrequencyRange),
                  Number("--stop", kFrequencyNeeds, kFrequencyRange),
                  Whole("--points", 2, kMaxPoints)},
      .operands = {"DESIGN_FILE", "OUT_FILE"},
      .required = 2,
      .surplus = [](const std::vector<std::string>& operands) {
        return "touchstone takes two files, got also '" + operands[2] + "'";
      }};
  ParsedLine parsed;
  if (const int wrong = ParseCommandLine(line, args, parsed)) return wrong;
  out = {parsed.operands[0], parsed.operands[1], parsed.Number("--start"), parsed.Number("--stop"),
         parsed.Number("--points")};
  if (out.start && out.stop && *out.start >= *out.stop)
    return UsageError("--start " + Hz(*out.start) + " is not below --stop " + Hz(*out.stop));
  return 0;
}

// The design's sweep range with what the command line changes in it.
// Returns 0, or says what is wrong and returns the exit status.
int ChooseRange(const TouchstoneArguments& args, const model::DesignState& design,
                model::ResponseRange& range) {
  range = model::DesignResponseRange(design);
  if (args.start) range.lowHz = *args.start;
  if (args.stop) range.highHz = *args.stop;
  if (args.points) range.points = static_cast<int>(*args.points);
  // One end from the command line, the other from the design's sweep.
  if (args.start && !args.stop && !(range.lowHz < range.highHz))
    return UsageError("--start " + Hz(*args.start) + " is not below the design's sweep end " +
                      Hz(range.highHz));
  if (args.stop && !args.start && !(range.lowHz < range.highHz))
    return UsageError("--stop " + Hz(*args.stop) + " is not above the design's sweep start " +
                      Hz(range.lowHz));
  if (!(std::isfinite(range.lowHz) && std::isfinite(range.highHz) && range.lowHz > 0.0 &&
        range.lowHz < range.highHz))
    return Fail(args.design + ": the design's sweep range is empty; give --start and --stop");
  if (model::ResponseFrequencies(range).empty())
    return UsageError("--points " + std::to_string(range.points) + " is too many between " +
                      Hz(range.lowHz) + " and " + Hz(range.highHz));
  return 0;
}

}  // namespace

// touchstone DESIGN_FILE OUT.s2p [--start HZ] [--stop HZ] [--points N]: the
// design's computed S-parameters as a Touchstone 1.1 file, as an analyser
// would measure the built filter against the design's termination.
int RunTouchstoneCommand(const Context& context, const std::vector<std::string>& args) {
  TouchstoneArguments parsed;
  if (const int wrong = ParseTouchstoneArguments(args, parsed)) return wrong;
  StderrNotifier notifier;
  model::DesignState design;
  model::GlobalDefaults defaults;
  files::ReadGlobalDefaults(context.locations, design, defaults, notifier);
  if (!ReadDesignOrTellWhy(parsed.design, design, notifier)) {
    if (!notifier.Told()) notifier.Message("diruruzevuv-cli: cannot read " + parsed.design);
    return 1;
  }
  model::ResponseRange range;
  if (const int wrong = ChooseRange(parsed, design, range)) return wrong;
  const std::optional<model::MeasuredNetwork> network = model::DesignResponse(design, range);
  if (!network) {
    PrintUnanalysable(parsed.design, model::DescribeUnanalysable(design));
    return 1;
  }
  std::string why;
  if (!files::WriteTouchstoneFile(parsed.out, *network,
                                  {"S-parameters of " + parsed.design + " computed by DIRUruzevuv"},
                                  &why))
    return Fail(WriteFailure(parsed.out, why));
  return 0;
}

}  // namespace diruruzevuv::cli
