// A stand-in analyser on a pseudo-terminal, for trying the program without
// one on the desk:
//   diruruzevuv-analyser-emulator [--kind h4|h|old|spectrum] [--rate BYTES_PER_S]
// prints the port to use (/dev/pts/N) and serves until interrupted.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "analyser_emulator.h"

namespace {
volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }
}  // namespace

int main(int argc, char** argv) {
  using diruruzevuv::testing::EmulatedKind;
  diruruzevuv::testing::EmulatorOptions options;
  options.bytesPerSecond = 11520.0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--kind" && i + 1 < argc) {
      const std::string k = argv[++i];
      if (k == "h4") options.kind = EmulatedKind::kH4;
      else if (k == "h") options.kind = EmulatedKind::kTextScanBoard;
      else if (k == "old") options.kind = EmulatedKind::kOlderBoard;
      else if (k == "spectrum") options.kind = EmulatedKind::kSpectrumAnalyser;
      else {
        std::fprintf(stderr, "diruruzevuv-analyser-emulator: unknown kind '%s'\n", k.c_str());
        return 2;
      }
    } else if (a == "--rate" && i + 1 < argc) {
      options.bytesPerSecond = std::atof(argv[++i]);
    } else {
      std::fputs("usage: diruruzevuv-analyser-emulator [--kind h4|h|old|spectrum] "
                 "[--rate BYTES_PER_S]\n", stderr);
      return 2;
    }
  }
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  diruruzevuv::testing::AnalyserEmulator emulator(options);
  if (emulator.Port().empty()) {
    std::fputs("diruruzevuv-analyser-emulator: cannot open a pseudo-terminal\n", stderr);
    return 1;
  }
  std::printf("%s\n", emulator.Port().c_str());
  std::fflush(stdout);
  while (!g_stop) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return 0;
}
