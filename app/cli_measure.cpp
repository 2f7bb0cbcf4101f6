#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_calibration.h"
#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/global_defaults_file.h"
#include "files/replace_file.h"
#include "files/touchstone_writer.h"
#include "instruments/analyser.h"
#include "model/notifier.h"
#include "notation/printable.h"

namespace diruruzevuv::cli {

namespace {

// The analyser's range and points from the command line, the missing
// ends from the design's sweep when one is named. Returns 0, or says
// what is wrong and returns the exit status.
int ChooseSweep(const Context& context, const ParsedLine& parsed,
                instruments::SweepRequest& request) {
  request.startHz = parsed.Number("--start").value_or(NAN);
  request.stopHz = parsed.Number("--stop").value_or(NAN);
  request.points =
      static_cast<int>(parsed.Number("--points").value_or(instruments::kDefaultSweepPoints));
  const std::string design = parsed.Text("--design").value_or("");
  const std::string port = parsed.Text("--port").value_or("");
  // A calibration's own range stands in for none at all.
  const bool calibrationRange =
      parsed.Has("--calibration") && std::isnan(request.startHz) && std::isnan(request.stopHz);
  if (design.empty() && (std::isnan(request.startHz) || std::isnan(request.stopHz))) {
    if (calibrationRange) return 0;
    return UsageError("measure needs --start and --stop, or --design");
  }
  if (!design.empty()) {
    StderrNotifier notifier;
    model::DesignState state;
    model::GlobalDefaults defaults;
    files::ReadGlobalDefaults(context.locations, state, defaults, notifier);
    if (!ReadDesignOrTellWhy(design, state, notifier)) {
      if (!notifier.Told()) notifier.Message("diruruzevuv-cli: cannot read " + design);
      return 1;
    }
    if (const std::string problem = instruments::TerminationProblem(
            state.InputTermination, port.empty() ? "the analyser" : port);
        !problem.empty())
      return Fail(design + ": " + problem);
    const auto range = instruments::DesignSweep(state.SweepStart, state.SweepStop);
    const bool own = std::isnan(request.startHz) && std::isnan(request.stopHz);
    if (std::isnan(request.startHz)) request.startHz = range.startHz;
    if (std::isnan(request.stopHz)) request.stopHz = range.stopHz;
    // Nothing on the command line to blame: the design's own range is the problem.
    if (const std::string problem = instruments::SweepRequestProblem(request);
        own && !problem.empty())
      return Fail("cannot sweep " + std::to_string(request.points) + " points over the sweep of " +
                  design + ": " + problem);
  }
  if (const std::string problem = instruments::SweepRequestProblem(request); !problem.empty())
    return UsageError("cannot sweep " + std::to_string(request.points) +
                      " points from --start to --stop: " + problem);
  return 0;
}

// Whether the output can be written, tried as it will be (a temporary
// file beside it, removed again), before the sweep takes its time: why
// not, or empty.
std::string OutputProblem(const std::string& out) {
  static constexpr const char* kWritable = "writable";
  std::string why;
  files::ReplaceFileUsing(
      out,
      [](int, const std::string&, std::string& reason) {
        reason = kWritable;
        return false;
      },
      &why);
  return why == kWritable ? std::string() : why;
}

}  // namespace

// measure [--design DESIGN_FILE] [--port PORT] [--start HZ] [--stop HZ]
// [--points N] OUT.s2p: one sweep of the analyser into a Touchstone file.
int RunMeasureCommand(const Context& context, const std::vector<std::string>& args) {
  CommandLine line{.command = "measure",
                   .shape = OptionShape::kDash,
                   .options = {Text("--design", "a DESIGN_FILE")},
                   .operands = {"OUT_FILE"},
                   .required = 1,
                   .surplusAtOnce = true,
                   .surplus = [](const std::vector<std::string>& operands) {
                     return "measure takes one OUT_FILE, got '" + operands[0] + "' and '" +
                            operands[1] + "'";
                   }};
  for (Option& option : AnalyserSweepOptions()) line.options.push_back(std::move(option));
  AddCalibrationOptions(line.options);
  ParsedLine parsed;
  if (const int wrong = ParseCommandLine(line, args, parsed)) return wrong;
  Correction correction;
  if (const int wrong = ChooseCorrection(parsed, correction)) return wrong;
  instruments::SweepRequest request;
  if (const int wrong = ChooseSweep(context, parsed, request)) return wrong;
  const std::string& out = parsed.operands[0];
  std::string why = OutputProblem(out);
  if (!why.empty()) return Fail(model::CannotWriteText({"", out, why}));
  const auto network =
      MeasureCorrected(parsed.Text("--port").value_or(""), request, correction, why);
  if (!network) return Fail(why);
  if (!files::WriteTouchstoneFile(out, *network, MeasurementComments(correction), &why))
    return Fail(model::CannotWriteText({"", out, why}));
  return 0;
}

// devices [--port PORT]: one line per analyser found, tab-separated: port,
// kind and firmware version.
int RunDevicesCommand(const Context&, const std::vector<std::string>& args) {
  const CommandLine line{
      .command = "devices", .shape = OptionShape::kAnything, .options = {Text("--port", "a PORT")}};
  ParsedLine parsed;
  if (const int wrong = ParseCommandLine(line, args, parsed)) return wrong;
  std::vector<std::string> ports = parsed.All("--port");
  if (ports.empty())
    for (const auto& found : instruments::AnalyserPorts(instruments::ListSerialPorts()))
      ports.push_back(found.port);
  std::string text;
  std::vector<std::string> refused;
  for (const std::string& port : ports) {
    std::string why;
    const auto analyser = instruments::Connect(port, why);
    if (!analyser) {
      refused.push_back(why);
      continue;
    }
    // The board and version lines are the device's own text.
    text += port + "\t" + notation::PrintableExcerpt(analyser->Info().kind) + "\t" +
            notation::PrintableExcerpt(analyser->Info().firmware) + "\n";
  }
  for (const std::string& why : refused)
    std::fputs(("diruruzevuv-cli: " + why + "\n").c_str(), stderr);
  // Ports named on the command line have each said why they failed.
  if (text.empty()) return parsed.Has("--port") ? 1 : Fail("no analyser found");
  return WriteOut(text);
}

}  // namespace diruruzevuv::cli
