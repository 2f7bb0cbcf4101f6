#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "files/replace_file.h"
#include "cli_commands.h"
#include "files/data_folder.h"

using namespace diruruzevuv::cli;

namespace {

struct Command {
  const char* name;
  int (*run)(const Context&, const std::vector<std::string>&);
  const char* summary;  // one line for --help
};

constexpr Command kCommands[] = {
    {"sweep", RunSweepCommand,
     "print the 2001-point response as CSV (built-in 20-metre design without a file)"},
    {"wizard", RunWizardCommand, "design a filter from the band edge, AL and termination"},
    {"montecarlo", RunMonteCarloCommand, "print the worst-case figures of a Monte Carlo run"},
    {"spice", RunSpiceCommand, "write the LTspice schematic of a design"},
    {"report", RunReportCommand, "write the printed one-page report as a PDF file"},
    {"compare", RunCompareCommand, "compare a measured filter with its design"},
    {"fit", RunFitCommand, "fit the built part values to a measured filter"},
    {"touchstone", RunTouchstoneCommand, "write the design's computed S-parameters (.s2p)"},
    {"devices", RunDevicesCommand, "list the network analysers attached"},
    {"measure", RunMeasureCommand, "sweep the analyser into a Touchstone file"},
    {"buildsheet", RunBuildSheetCommand, "core, wire, standard capacitors and part stress"},
    {"harmonics", RunHarmonicsCommand, "harmonics at the antenna against a spurious-emission rule"},
};

void PrintHelp() {
  std::string text = kUsage;
  text +=
      "\nDesigns and checks the transmit low-pass filter of a small SSB transmitter\n"
      "without opening a window.\n\ncommands:\n";
  for (const Command& command : kCommands) {
    text += "  ";
    text += command.name;
    text.append(12 - std::string_view(command.name).size(), ' ');
    text += command.summary;
    text += '\n';
  }
  text +=
      "\n  --help      show this text and exit\n"
      "  --version   show the version and exit\n"
      "\nfit: a part or the Q is off when its difference from the design exceeds both\n"
      "the tolerance (--tolerance, default 3 %) and twice its uncertainty (one standard\n"
      "deviation, for at least 0.05 dB of measurement noise). POOR FIT is a verdict\n"
      "(exit 0): the measurement cannot decide, or the parts do not explain it.\n"
      "\nExit status: 0 done, 1 an error (message on standard error), 2 wrong usage,\n"
      "3 (harmonics) a harmonic does not meet the rule.\n"
      "See diruruzevuv-cli(1) for the files each command reads and writes.\n";
  std::fputs(text.c_str(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
  // A write past a file size limit then fails like any other.
  diruruzevuv::files::IgnoreFileSizeSignal();
  if (argc < 2) return UsageError("no command given; 'diruruzevuv-cli --help' lists them");
  const std::string_view command = argv[1];
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
      PrintHelp();
      return 0;
    }
  }
  if (command == "help") {
    PrintHelp();
    return 0;
  }
  if (command == "--version") {
    std::fputs("diruruzevuv-cli " DIRU_VERSION "\n", stdout);
    return 0;
  }
  for (const Command& entry : kCommands) {
    if (command != entry.name) continue;
    Context context;
    context.programDir = diruruzevuv::files::RunningProgramFolder();
    context.locations.dataDir = diruruzevuv::files::ShippedDataFolder(context.programDir);
    return entry.run(context, std::vector<std::string>(argv + 2, argv + argc));
  }
  return UsageError("unknown command '" + std::string(command) + "'");
}
