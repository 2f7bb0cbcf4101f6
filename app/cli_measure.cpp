#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "model/notifier.h"
#include "cli_commands.h"
#include "cli_measurement.h"
#include "cli_notifier.h"
#include "files/global_defaults_file.h"
#include "files/touchstone_writer.h"
#include "instruments/analyser.h"

namespace diruruzevuv::cli {

namespace {

int Usage(const std::string& message) {
  std::fputs(("diruruzevuv-cli: " + message + "\n").c_str(), stderr);
  return 2;
}

int Fail(const std::string& message) {
  std::fputs(("diruruzevuv-cli: " + message + "\n").c_str(), stderr);
  return 1;
}

bool ReadWholeNumber(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc{} && stop == end;
}

}  // namespace

// measure [--design DESIGN_FILE] [--port PORT] [--start HZ] [--stop HZ]
// [--points N] OUT.s2p: one sweep of the analyser into a Touchstone file.
int RunMeasureCommand(const Context& context, const std::vector<std::string>& args) {
  std::string design, port, out;
  double start = NAN, stop = NAN;
  int points = 401;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--design" || a == "--port") {
      if (!hasValue) return Usage(a + " needs a " + (a == "--port" ? "PORT" : "DESIGN_FILE"));
      (a == "--design" ? design : port) = args[++i];
    } else if (a == "--start" || a == "--stop") {
      double& value = a == "--start" ? start : stop;
      if (!hasValue || !ReadOptionNumber(args[i + 1], value) || !(value > 0.0))
        return Usage(a + " needs a frequency in Hz, got '" + (hasValue ? args[i + 1] : "") + "'");
      ++i;
    } else if (a == "--points") {
      if (!hasValue || !ReadWholeNumber(args[i + 1], points) || points < 2 || points > 100001)
        return Usage("--points needs a whole number from 2 to 100001, got '" +
                     (hasValue ? args[i + 1] : "") + "'");
      ++i;
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage("unknown option '" + a + "' for measure");
    } else if (out.empty()) {
      out = a;
    } else {
      return Usage("measure takes one OUT_FILE, got '" + out + "' and '" + a + "'");
    }
  }
  if (out.empty()) return Usage("measure needs an OUT_FILE");
  if (design.empty() && (std::isnan(start) || std::isnan(stop)))
    return Usage("measure needs --start and --stop, or --design");
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
    if (std::isnan(start)) start = state.SweepStart;
    if (std::isnan(stop)) stop = state.SweepStop;
  }
  const instruments::SweepRequest request{start, stop, points};
  if (const std::string problem = instruments::SweepRequestProblem(request); !problem.empty())
    return Usage("cannot sweep " + std::to_string(points) + " points from --start to --stop: " +
                 problem);
  std::string why;
  const auto network = instruments::MeasureOnce(port, request, why);
  if (!network) return Fail(why);
  if (!files::WriteTouchstoneFile(out, *network, {instruments::kOneDirectionComment}, &why))
    return Fail(model::CannotWriteText({"", out, why}));
  return 0;
}

// devices [--port PORT]: one line per analyser found, tab-separated: port,
// kind and firmware version.
int RunDevicesCommand(const Context&, const std::vector<std::string>& args) {
  std::vector<std::string> ports;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--port") {
      if (i + 1 >= args.size()) return Usage("--port needs a PORT");
      ports.push_back(args[++i]);
    } else {
      return Usage("unknown option '" + args[i] + "' for devices");
    }
  }
  if (ports.empty())
    for (const auto& found : instruments::AnalyserPorts(instruments::ListSerialPorts()))
      ports.push_back(found.port);
  std::string text;
  std::vector<std::string> refused;
  for (const std::string& port : ports) {
    std::string why;
    const auto connection = instruments::Connect(port, why);
    if (!connection) {
      refused.push_back(why);
      continue;
    }
    text += port + "\t" + connection->info.kind + "\t" + connection->info.firmware + "\n";
  }
  for (const std::string& why : refused) std::fputs(("diruruzevuv-cli: " + why + "\n").c_str(), stderr);
  if (text.empty()) return Fail("no analyser found");
  return WriteOut(text);
}

}  // namespace diruruzevuv::cli
