#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>

#include "cli_calibration.h"
#include "cli_commands.h"
#include "cli_measurement.h"
#include "cli_notifier.h"
#include "files/calibration_file.h"
#include "instruments/analyser.h"
#include "instruments/calibrated_measurement.h"
#include "model/measurement/tuning.h"

namespace diruruzevuv::cli {
namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) {
  g_interrupted = true;
}

// The sweep: the design's range, or what the command line gives. Returns
// 0, or says what is wrong and returns the exit status.
int ChooseTuneSweep(const ParsedLine& parsed, const model::DesignState& design,
                    instruments::SweepRequest& request) {
  request = instruments::DesignSweep(
      design.SweepStart, design.SweepStop,
      static_cast<int>(parsed.Number("--points").value_or(instruments::kDefaultSweepPoints)));
  request.startHz = parsed.Number("--start").value_or(request.startHz);
  request.stopHz = parsed.Number("--stop").value_or(request.stopHz);
  const std::string problem = instruments::SweepRequestProblem(request);
  if (problem.empty()) return 0;
  const std::string what = "cannot sweep " + std::to_string(request.points) + " points ";
  // Nothing on the command line to blame: the design's own range is the problem.
  if (!parsed.Has("--start") && !parsed.Has("--stop"))
    return Fail(what + "over the sweep of " + parsed.operands[0] + ": " + problem);
  return UsageError(what + "from --start to --stop: " + problem);
}

// The calibration chosen, read and checked against the sweep: 0, or says
// why not and returns the exit status.
int ReadTuneCalibration(const Correction& correction, instruments::SweepRequest& request,
                        std::optional<files::CalibrationFile>& cal, std::string& calName) {
  request.raw = correction.Chosen();
  std::string why;
  if (!LoadCalibration(correction, cal, calName, why)) return Fail(why);
  if (cal) why = instruments::OutsideCalibration(*cal, calName, request);
  return why.empty() ? 0 : Fail(why);
}

}  // namespace

// tune DESIGN_FILE --port PORT [--start HZ] [--stop HZ] [--points N]
// [--calibration CAL_FILE | --uncalibrated] [--count N] [--csv]: sweeps and
// fits again and again, a line of advice a sweep, until --count sweeps or
// an interrupt (which ends it with 0).
int RunTuneCommand(const Context& context, const std::vector<std::string>& args) {
  CommandLine line{.command = "tune",
                   .shape = OptionShape::kDash,
                   .options = AnalyserSweepOptions(),
                   .operands = {"DESIGN_FILE"},
                   .required = 1};
  line.options.push_back(Whole("--count", 1, 1000000, MissingValue::kGotEmpty));
  line.options.push_back(Flag("--csv"));
  AddCalibrationOptions(line.options);
  ParsedLine parsed;
  if (const int wrong = ParseCommandLine(line, args, parsed)) return wrong;
  Correction correction;
  if (const int wrong = ChooseCorrection(parsed, correction)) return wrong;
  const std::string port = parsed.Text("--port").value_or("");
  if (port.empty()) return UsageError("tune needs --port PORT");
  std::optional<LoadedMeasurement> loaded = LoadDesign(context, parsed.operands[0]);
  if (!loaded) return 1;
  const model::DesignState& design = loaded->design;
  if (const std::string problem = instruments::TerminationProblem(design.InputTermination, port);
      !problem.empty())
    return Fail(parsed.operands[0] + ": " + problem);
  instruments::SweepRequest request;
  if (const int wrong = ChooseTuneSweep(parsed, design, request)) return wrong;
  std::optional<files::CalibrationFile> cal;
  std::string calName;
  if (const int wrong = ReadTuneCalibration(correction, request, cal, calName)) return wrong;

  std::signal(SIGINT, OnInterrupt);
  instruments::Timeouts timeouts;
  timeouts.cancel = &g_interrupted;  // every wait ends within a tenth of a second
  std::string why;
  std::unique_ptr<instruments::Analyser> analyser = instruments::Connect(port, why, timeouts);
  if (!analyser) return g_interrupted ? 0 : Fail(why);
  if (const std::string problem = instruments::UncorrectedProblem(*analyser, request);
      !problem.empty())
    return Fail(port + ": " + problem);
  if (cal)
    if (const std::string other =
            files::OtherDeviceText(cal->device, instruments::DeviceOf(*analyser, port));
        !other.empty())
      std::fputs(("diruruzevuv-cli: " + calName + ": " + other + "\n").c_str(), stderr);
  const auto going = [](int, int) { return !g_interrupted.load(); };
  const auto sweepOnce = [&]() -> std::optional<model::MeasuredNetwork> {
    if (correction.Chosen())
      return instruments::SweepCalibrated(*analyser, request, cal ? &*cal : nullptr, calName, why,
                                          going);
    auto network = analyser->Sweep(request, going);
    if (!network) why = analyser->Error();
    return network;
  };
  const bool csv = parsed.Has("--csv");
  if (csv && WriteOut(model::kTuningCsvHeader) != 0) return 1;
  const int count = static_cast<int>(parsed.Number("--count").value_or(0));
  const auto started = std::chrono::steady_clock::now();
  for (int sweep = 1; (count == 0 || sweep <= count) && !g_interrupted; ++sweep) {
    std::optional<model::MeasuredNetwork> network = sweepOnce();
    if (g_interrupted) break;
    if (!network) return Fail(why);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::string name = network->name;
    if (!TakeInto(*loaded,
                  model::TakeMeasurement(std::move(*network), name, design.InputTermination,
                                         model::MeasurementUse::kFit)))
      return 1;
    const model::TuningAdvice advice =
        model::AdviseTuning(model::FitBuiltValues(design, loaded->measured, model::FitOptions{}));
    if (WriteOut(csv ? model::TuningCsvRow(sweep, seconds, advice)
                     : model::TuningLine(sweep, seconds, advice)) != 0)
      return 1;
  }
  return 0;
}

}  // namespace diruruzevuv::cli
