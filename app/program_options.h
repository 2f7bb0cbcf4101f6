#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace diruruzevuv::app {

// What the program's command line asks for. Options the program does not
// know are left for Qt (-platform and the like); whatever Qt does not take
// either is a usage error found after the application object exists.
struct ProgramOptions {
  enum class Action { kRun, kHelp, kVersion, kUsageError };
  Action action = Action::kRun;
  std::filesystem::path workDir;   // empty: the current folder
  bool userWorkDir = false;        // the per-user folder of a desktop start
  std::filesystem::path snapshot;  // save a picture of the opening screen here and end
  std::string error;               // what was wrong, for kUsageError
  std::vector<char*> qtArgs;       // argv[0] and everything not ours
};

ProgramOptions ParseProgramOptions(int argc, char** argv);

// Text of --help and --version, and the short hint after a usage error.
extern const char* const kProgramHelp;
std::string ProgramVersionText();

}  // namespace diruruzevuv::app
