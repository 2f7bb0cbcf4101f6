#pragma once

// Running the command-line tool through the shell as a user does, and what
// its sweep prints for the built-in design.

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>

#include "files/global_defaults_file.h"
#include "model/session.h"

namespace diruruzevuv::testing {

using CliRun = std::pair<int, std::string>;  // exit status and standard output

// Runs a shell command with its standard error into the file errors.
inline CliRun RunShell(const std::string& command, const std::string& errors = "/dev/null") {
  FILE* pipe = popen((command + " 2>\"" + errors + "\"").c_str(), "r");
  std::string out;
  for (char buffer[4096]; std::fgets(buffer, sizeof buffer, pipe) != nullptr;) out += buffer;
  const int raw = pclose(pipe);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

inline CliRun RunCli(const std::string& arguments, const std::string& errors = "/dev/null") {
  return RunShell(std::string("\"") + DIRU_CLI_PATH + "\" " + arguments, errors);
}

// The built-in design after the tool's own start-up (global defaults, then
// the design); nine significant digits bring every stored float back bit for bit.
inline std::string ExpectedSweep(const model::FileLocations& where) {
  model::Session session;
  model::SilentNotifier quiet;
  files::ReadGlobalDefaults(where, session.design, session.defaults, quiet);
  model::ApplyDefaultDesign(session.design);
  session.analysis.RunSweep(session.design);
  const model::SweepResult& r = session.analysis.Result();
  std::string text = "frequency_hz,gain_db,reflection_db\n";
  char line[80];
  for (int i = 0; i <= r.intervals; ++i) {
    std::snprintf(line, sizeof line, "%.9g,%.9g,%.9g\n", r.frequency[i], r.gain[i],
                  r.reflection[i]);
    text += line;
  }
  return text;
}

}  // namespace diruruzevuv::testing
