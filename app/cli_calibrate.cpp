#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_calibration.h"
#include "cli_commands.h"
#include "cli_notifier.h"
#include "files/calibration_file.h"
#include "instruments/calibrated_measurement.h"
#include "model/notifier.h"

namespace diruruzevuv::cli {
namespace {

// The range and points asked for, checked against an existing file's
// (which they may only repeat): 0, or says what is wrong and returns 2.
int ChooseRange(const ParsedLine& parsed, bool exists, files::CalibrationFile& file,
                const std::string& path) {
  const auto start = parsed.Number("--start"), stop = parsed.Number("--stop");
  const auto points = parsed.Number("--points");
  if (exists) {
    if ((start && *start != file.startHz) || (stop && *stop != file.stopHz) ||
        (points && *points != file.points)) {
      char range[160];
      std::snprintf(range, sizeof range, "%.0f Hz to %.0f Hz in %d points", file.startHz,
                    file.stopHz, file.points);
      return UsageError(path + " calibrates " + range +
                        ": --start, --stop and --points may only repeat them");
    }
    return 0;
  }
  if (!start || !stop) return UsageError("calibrate needs --start and --stop for a new CAL_FILE");
  file.startHz = *start, file.stopHz = *stop;
  file.points = static_cast<int>(points.value_or(instruments::kDefaultSweepPoints));
  const instruments::SweepRequest request{file.startHz, file.stopHz, file.points};
  if (const std::string problem = instruments::SweepRequestProblem(request); !problem.empty())
    return UsageError("cannot sweep " + std::to_string(file.points) +
                      " points from --start to --stop: " + problem);
  return 0;
}

}  // namespace

// calibrate CAL_FILE open|short|load|through|isolation --port PORT [--start
// HZ] [--stop HZ] [--points N] [--kit KIT_FILE]: measures one standard into
// the calibration file (making it) and says what is still missing.
int RunCalibrateCommand(const Context&, const std::vector<std::string>& args) {
  CommandLine line{.command = "calibrate",
                   .shape = OptionShape::kDash,
                   .options = AnalyserSweepOptions(),
                   .operands = {"CAL_FILE", "STANDARD"},
                   .required = 2};
  line.options.push_back(Text("--kit", "a KIT_FILE"));
  ParsedLine parsed;
  if (const int wrong = ParseCommandLine(line, args, parsed)) return wrong;
  const std::string& path = parsed.operands[0];
  const auto standard = model::StandardNamed(parsed.operands[1]);
  if (!standard)
    return UsageError("calibrate needs open, short, load, through or isolation, got '" +
                      parsed.operands[1] + "'");
  if (!parsed.Has("--port")) return UsageError("calibrate needs --port PORT");
  files::CalibrationFile file;
  std::error_code error;
  const bool exists = std::filesystem::exists(path, error);
  if (exists) {
    files::CalibrationRead read = files::ReadCalibrationFile(path);
    if (!read.file) return Fail(read.error);
    file = std::move(*read.file);
  }
  if (const int wrong = ChooseRange(parsed, exists, file, path)) return wrong;
  if (const auto kit = parsed.Text("--kit")) {
    const files::KitRead read = files::ReadKitFile(*kit);
    if (!read.kit) return Fail(read.error);
    file.calibration.kit = *read.kit;
  }
  std::string warning;
  const std::string why =
      instruments::MeasureStandard(*parsed.Text("--port"), file, *standard, warning);
  if (!warning.empty())
    std::fputs(("diruruzevuv-cli: " + path + ": " + warning + "\n").c_str(), stderr);
  if (!why.empty()) return Fail(why);
  if (std::string failed; !files::WriteCalibrationFile(path, file, failed))
    return Fail(model::CannotWriteText({"", path, failed}));
  return WriteOut(std::string(model::StandardName(*standard)) + " measured; " +
                  files::StillMissingText(file.calibration) + "\n");
}

}  // namespace diruruzevuv::cli
