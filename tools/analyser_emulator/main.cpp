// A stand-in analyser on a pseudo-terminal, for trying the program without
// one on the desk:
//   diruruzevuv-analyser-emulator [--kind h4|h|old|spectrum|v2] [--control FILE]
//                                 [--ms-per-point MS]
// prints the port to use (/dev/pts/N) and serves, at the analysers' serial
// speed, until interrupted. FILE says what is connected and changes the
// filter's parts while it runs (read before each sweep). MS is how long each
// point takes to measure, as with a narrow IF bandwidth: a binary scan then
// answers only once all its points are measured.
#include <unistd.h>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <map>
#include <string>

#include "analyser_emulator/analyser_emulator.h"

int main(int argc, char** argv) {
  using diruruzevuv::testing::EmulatedKind;
  const std::map<std::string, EmulatedKind> kinds = {{"h4", EmulatedKind::kH4},
                                                     {"h", EmulatedKind::kTextScanBoard},
                                                     {"old", EmulatedKind::kOlderBoard},
                                                     {"spectrum", EmulatedKind::kSpectrumAnalyser},
                                                     {"v2", EmulatedKind::kV2}};
  diruruzevuv::testing::EmulatorOptions options;
  options.bytesPerSecond = 11520.0;
  for (int i = 1; i < argc; i += 2) {
    const std::string option = argv[i], value = i + 1 < argc ? argv[i + 1] : "";
    if (option == "--kind" && kinds.count(value)) {
      options.kind = kinds.at(value);
    } else if (option == "--control" && !value.empty()) {
      options.controlFile = value;
    } else if (option == "--ms-per-point" &&
               std::from_chars(value.data(), value.data() + value.size(), options.slowMs).ec ==
                   std::errc{} &&
               options.slowMs > 0 && options.slowMs <= 10000) {
      options.fault = diruruzevuv::testing::EmulatedFault::kSlow;
    } else {
      std::fputs(
          "usage: diruruzevuv-analyser-emulator [--kind h4|h|old|spectrum|v2] [--control FILE]\n"
          "                                     [--ms-per-point MS]\n",
          stderr);
      return 2;
    }
  }
  diruruzevuv::testing::AnalyserEmulator emulator(options);
  if (emulator.Port().empty()) {
    std::fputs("diruruzevuv-analyser-emulator: cannot open a pseudo-terminal\n", stderr);
    return 1;
  }
  std::printf("%s\n", emulator.Port().c_str());
  std::fflush(stdout);
  std::signal(SIGINT, SIG_DFL);  // a shell starting it in the background ignores SIGINT
  for (;;) ::pause();            // the serving thread answers until a signal ends the process
}
