#include <cmath>
#include <string>
#include <vector>

#include "cli_calibration.h"
#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/core_catalogue.h"
#include "files/global_defaults_file.h"
#include "files/touchstone.h"
#include "instruments/analyser.h"
#include "model/build/build_sheet.h"
#include "model/measurement/part_measurement.h"

namespace diruruzevuv::cli {
namespace {

// Without a design or --start and --stop, the analyser sweeps the HF bands.
constexpr double kPartStartHz = 1e6;
constexpr double kPartStopHz = 30e6;

// The cores the AL is consistent with, joined by ";".
std::string ConsistentCores(const model::PartMeasurement& part,
                            const model::CoreCatalogue& catalogue) {
  if (part.alNh == 0.0) return {};
  std::string joined;
  for (const std::string& name : model::MatchCores(catalogue, part.alNh).consistent)
    joined += (joined.empty() ? "" : ";") + name;
  return joined;
}

// The measurement from the file or the analyser, or nothing after saying why.
std::optional<model::MeasuredNetwork> PartNetwork(const ParsedLine& parsed,
                                                  const model::PartRequest& range,
                                                  const Correction& correction) {
  if (!parsed.operands.empty()) {
    files::TouchstoneRead read = files::ReadTouchstoneFile(parsed.operands[0]);
    if (!read.network) {
      Fail(read.error.Text());
      return std::nullopt;
    }
    for (const std::string& warning : read.network->warnings) Fail(warning);
    return read.network;
  }
  instruments::SweepRequest request;
  request.startHz = parsed.Number("--start").value_or(range.lowHz > 0 ? range.lowHz : kPartStartHz);
  request.stopHz = parsed.Number("--stop").value_or(range.highHz > 0 ? range.highHz : kPartStopHz);
  request.points =
      static_cast<int>(parsed.Number("--points").value_or(instruments::kDefaultSweepPoints));
  // A calibration's own range stands in where none is asked for.
  const bool calibrationRange = !correction.calibration.empty() && !parsed.Has("--start") &&
                                !parsed.Has("--stop") && range.lowHz <= 0 && range.highHz <= 0;
  std::string why = calibrationRange ? "" : instruments::SweepRequestProblem(request);
  if (!why.empty()) {
    Fail("cannot sweep " + std::to_string(request.points) + " points from " +
         std::to_string(request.startHz) + " to " + std::to_string(request.stopHz) + " Hz: " + why);
    return std::nullopt;
  }
  if (calibrationRange) request.startHz = request.stopHz = NAN;
  auto network = MeasureCorrected(parsed.Text("--port").value_or(""), request, correction, why);
  if (!network) Fail(why);
  return network;
}

}  // namespace

// part (FILE | [--port PORT] [--start HZ] [--stop HZ] [--points N]
// [--calibration CAL_FILE | --uncalibrated]) --fixture series|shunt|reflection
// [--kind inductor|capacitor] [--turns N] [--lead MM] [--design DESIGN_FILE]
// [--csv]: one part's value, Q, self-resonance and a toroid's AL.
int RunPartCommand(const Context& context, const std::vector<std::string>& args) {
  CommandLine line{
      .command = "part",
      .shape = OptionShape::kDash,
      .options = {Choice("--fixture", "series, shunt or reflection",
                         [](const std::string& v) { return !!model::ParseFixture(v); }),
                  Choice("--kind", "inductor or capacitor",
                         [](const std::string& v) { return v == "inductor" || v == "capacitor"; }),
                  Whole("--turns", 1, 1000),
                  Within("--lead", "a length of lead in mm", model::kLeadRangeMm),
                  Text("--design", "a DESIGN_FILE"), Flag("--csv")},
      .operands = {"FILE"},
      .surplusAtOnce = true,
      .surplus = [](const std::vector<std::string>& operands) {
        return "part takes one FILE, got '" + operands[0] + "' and '" + operands[1] + "'";
      }};
  const std::vector<Option> sweep = AnalyserSweepOptions();
  line.options.insert(line.options.begin(), sweep.begin(), sweep.end());
  AddCalibrationOptions(line.options);
  ParsedLine parsed;
  if (const int wrong = ParseCommandLine(line, args, parsed)) return wrong;
  Correction correction;
  if (const int wrong = ChooseCorrection(parsed, correction)) return wrong;
  if (!parsed.Has("--fixture"))
    return UsageError("part needs --fixture series, shunt or reflection");
  const bool analyser = parsed.Has("--port") || parsed.Has("--start") || parsed.Has("--stop") ||
                        parsed.Has("--points") || correction.Chosen();
  if (!parsed.operands.empty() && analyser)
    return UsageError(
        "part measures a FILE or with the analyser (--port, --start, --stop, "
        "--points, --calibration, --uncalibrated), not both");
  model::PartRequest request;
  request.fixture = *model::ParseFixture(*parsed.Text("--fixture"));
  if (parsed.Text("--kind") == "capacitor") request.kind = model::PartKind::kCapacitor;
  request.turns = static_cast<int>(parsed.Number("--turns").value_or(0));
  request.leadMm = parsed.Number("--lead").value_or(0.0);
  std::optional<model::DesignState> design;
  if (const auto path = parsed.Text("--design")) {
    StderrNotifier notifier;
    design.emplace();
    model::GlobalDefaults defaults;
    files::ReadGlobalDefaults(context.locations, *design, defaults, notifier);
    if (!ReadDesignOrTellWhy(*path, *design, notifier)) return 1;
    model::UseDesignRange(*design, request);
  }
  const auto network = PartNetwork(parsed, request, correction);
  if (!network) return 1;
  const model::PartMeasurement part = model::MeasurePart(*network, request);
  if (!part.done) return Fail(part.error);
  const model::CoreCatalogue catalogue = files::ReadCoreCatalogue(context.locations);
  if (parsed.Has("--csv")) return WriteOut(model::PartCsv(part, ConsistentCores(part, catalogue)));
  return WriteOut(model::PartLines(part) +
                  model::PartCoreLines(part, catalogue, design ? &*design : nullptr));
}

}  // namespace diruruzevuv::cli
