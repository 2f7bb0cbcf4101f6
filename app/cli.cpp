#include <cstdio>
#include <string>
#include <vector>

#include "cli_commands.h"

using namespace diruruzevuv::cli;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "sweep") return RunSweepCommand(args);
  if (command == "wizard") return RunWizardCommand(args);
  if (command == "montecarlo") return RunMonteCarloCommand(args);
  if (command == "spice") return RunSpiceCommand(args);
  if (command == "compare") return RunCompareCommand(args);
  if (command == "fit") return RunFitCommand(args);
  if (command == "report") {
#ifdef DIRU_NO_REPORT
    std::fputs("diruruzevuv-cli: this build has no report (built without Qt)\n", stderr);
    return 1;
#else
    return RunReportCommand(args, argc, argv);
#endif
  }
  std::fputs(kUsage, stderr);
  return 2;
}
