#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "model/circuit/ladder.h"

namespace diruruzevuv::testing {

// The analysers as their firmware's shell behaves, on a pseudo-terminal,
// with a filter of known parts inside: for the tests, and for trying the
// program without an analyser on the desk.
enum class EmulatedKind {
  kOlderBoard,        // no info, no scan: sweep, frequencies, data 0/1; 101 points
  kTextScanBoard,     // info, scan in text only; 101 points
  kH4,                // info, scan in text and binary; 401 points
  kSpectrumAnalyser,  // the other line, on the same USB IDs
};

enum class EmulatedFault {
  kNone,
  kSlow,            // every point of a scan takes slowMs
  kStopsAnswering,  // halfway through a scan it falls silent (port stays open)
  kClosesMidScan,   // halfway through a scan the port goes away
  kGarbage,         // a scan is answered with noise
  kShortReply,      // a scan ends five points early
  kNonFinite,       // one point of a scan is not a number (a text scan prints zeros)
  kGain,            // one point's S21 has 30 dB of gain
  kOffFrequency,    // a scan's frequencies lie 1 kHz above those asked for
  kDrips,           // a scan's reply comes one byte every slowMs
};

struct EmulatorOptions {
  EmulatedKind kind = EmulatedKind::kH4;
  EmulatedFault fault = EmulatedFault::kNone;
  int slowMs = 5;
  // Bytes per second on the line; 0 sends as fast as the terminal takes.
  // 11520 is the analysers' nominal 115200 baud.
  double bytesPerSecond = 0.0;
  bool decimalComma = false;
  // The H4's board name as its info line gives it; empty: "NanoVNA-H 4".
  std::string board{};
};

// The filter inside: the built-in 20-metre design (inductor Q 200,
// capacitor Q 2000, as the shipped global defaults) as built with C48 5 %
// high and L2 10 % high (a turn too many on a slightly different core).
model::Ladder EmulatedFilter();

class AnalyserEmulator {
 public:
  explicit AnalyserEmulator(EmulatorOptions options = {});
  ~AnalyserEmulator();

  // The device's path (/dev/pts/N); empty when no pseudo-terminal opened.
  const std::string& Port() const noexcept { return m_port; }
  int ScansServed() const noexcept { return m_scans.load(); }

 private:
  void Serve();
  void Execute(const std::string& line);
  void Send(std::string_view bytes);
  void SendPoints(std::uint32_t start, std::uint32_t stop, int points, int mask);

  EmulatorOptions m_options;
  model::Ladder m_filter;
  int m_master = -1;
  int m_slave = -1;  // held open so that a client closing it is no hang-up
  std::string m_port;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_scans{0};
  bool m_silent = false;
  bool m_closed = false;
  bool m_dripping = false;
  // The older boards' sweep settings.
  std::uint32_t m_sweepStart = 50000, m_sweepStop = 900000000;
  int m_sweepPoints = 101;
  std::chrono::steady_clock::time_point m_lineFree{};
  std::thread m_thread;
};

}  // namespace diruruzevuv::testing
