#pragma once

#include <atomic>
#include <chrono>
#include <complex>
#include <cstdint>
#include <string>
#include <string_view>
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
  // A control file (see ReadControl) re-read before each sweep; a changed
  // text takes effect, a missing file keeps what was there. Empty: none.
  std::string controlFile{};
};

// The filter inside: the built-in 20-metre design (inductor Q 200,
// capacitor Q 2000, as the shipped global defaults) as built with C48 5 %
// high and L2 10 % high (a turn too many on a slightly different core).
model::Ladder EmulatedFilter();

// The emulated filter's core: L1_turns and L2_turns set the inductance
// as turns squared times this (the built-in design's AL of 3 nH).
inline constexpr double kEmulatedHenriesPerTurnSquared = 3.0e-9;

// What is connected between the analyser's ports.
enum class Connected { kOpen, kShort, kLoad, kThrough, kIsolation, kFilter, kPart };
enum class PartPlace {
  kSeries,      // between the two ports' centre pins
  kShunt,       // from a through line to ground
  kReflection,  // across port 1 alone (S21 = 0)
};

// One part: L in series with R, all in parallel with C (0: absent); as a
// capacitor, C in series with R (its ESR) and L (its leads).
struct EmulatedPart {
  PartPlace place = PartPlace::kSeries;
  double henries = 0.0, ohms = 0.0, farads = 0.0;
  bool capacitor = false;
};

struct ConnectState {
  Connected connected = Connected::kFilter;
  EmulatedPart part{};
  model::Ladder filter = EmulatedFilter();
};

// Reads a control file's text into state, from the defaults. Lines:
//   connect open|short|load|through|isolation|filter
//   connect part series|shunt|reflection [L=H] [R=OHMS] [C=F] [kind=capacitor]
//   set C47|C48|C49|C92|L1|L2 VALUE    (farads or henries)
//   set L1_turns|L2_turns TURNS
// numbers with the suffixes f p n u m k M G; '*' or '#' starts a comment;
// anything else is ignored.
ConnectState ReadControl(std::string_view text);

// The device under test's S11, S21 and S22 at 50 ohm (it is reciprocal).
model::SParameters DeviceResponse(const ConnectState& state, double hz);

// The analyser's own imperfections, between the device under test and what
// it reports uncorrected: directivity e00, source match e11, reflection
// tracking e10e01, transmission tracking e10e32, load match e22 and
// leakage e30 (one forward path).
struct ErrorTerms {
  std::complex<double> e00, e11, e10e01, e10e32, e22, e30;
};
ErrorTerms EmulatedErrorBox(double hz);

// What the analyser reports of the device uncorrected: S11 and S21 seen
// through EmulatedErrorBox (S22 as the device's).
model::SParameters ThroughErrorBox(const model::SParameters& device, double hz);

class AnalyserEmulator {
 public:
  explicit AnalyserEmulator(EmulatorOptions options = {});
  ~AnalyserEmulator();

  // The device's path (/dev/pts/N); empty when no pseudo-terminal opened.
  const std::string& Port() const noexcept { return m_port; }
  int ScansServed() const noexcept { return m_scans.load(); }
  // Whether the text shell's correction is on ("cal on", the default).
  bool Correcting() const noexcept { return m_correcting.load(); }

 private:
  void Serve();
  void Execute(const std::string& line);
  void Send(std::string_view bytes);
  void SendPoints(std::uint32_t start, std::uint32_t stop, int points, int mask);
  void ReadControlFile();

  EmulatorOptions m_options;
  ConnectState m_state;
  std::string m_controlText;  // the control file as last read
  std::atomic<bool> m_correcting{true};  // the text shell's "cal on"
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
