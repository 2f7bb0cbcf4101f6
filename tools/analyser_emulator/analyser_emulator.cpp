#include "analyser_emulator/analyser_emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sstream>

#include "model/circuit/design_state.h"

namespace diruruzevuv::testing {

namespace {

std::uint32_t ToUint(const std::string& text) {
  return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 0));
}

// The firmware's frequency of point idx of a linear sweep: whole hertz,
// the remainder of the span spread evenly.
std::uint32_t FirmwareFrequency(std::uint32_t start, std::uint32_t stop, int points, int idx) {
  if (points < 2) return start;
  const std::uint64_t span = stop - start, n = static_cast<std::uint64_t>(points - 1);
  const std::uint64_t i = static_cast<std::uint64_t>(idx);
  return static_cast<std::uint32_t>(start + span / n * i + (n / 2 + span % n * i) / n);
}

}  // namespace

model::Ladder EmulatedFilter() {
  model::DesignState design;
  model::ApplyDefaultDesign(design);
  design.InductorQ = 200.0f;
  design.CapacitorQ = 2000.0f;
  model::Ladder ladder = model::LadderFromDesign(design);
  ladder.value[model::kC48] *= 1.05;
  ladder.value[model::kL2] *= 1.10;
  return ladder;
}

AnalyserEmulator::AnalyserEmulator(EmulatorOptions options)
    : m_options(options), m_filter(EmulatedFilter()) {
  char name[256] = {};
  if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) return;
  termios tio{};
  ::tcgetattr(m_slave, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(m_slave, TCSANOW, &tio);
  ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
  ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
  m_port = name;
  m_thread = std::thread([this] { Serve(); });
}

AnalyserEmulator::~AnalyserEmulator() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
  if (m_master >= 0 && !m_closed) ::close(m_master);
  if (m_slave >= 0) ::close(m_slave);
}

void AnalyserEmulator::Send(std::string_view bytes) {
  // Paced in small pieces as the line would carry them.
  const bool paced = m_options.bytesPerSecond > 0;
  while (!bytes.empty() && !m_stop && !m_closed && !m_silent) {
    std::size_t piece = paced ? std::min<std::size_t>(bytes.size(), 64) : bytes.size();
    if (m_dripping) {
      piece = 1;
      std::this_thread::sleep_for(std::chrono::milliseconds(m_options.slowMs));
    } else if (paced) {
      m_lineFree = std::max(m_lineFree, std::chrono::steady_clock::now()) +
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double>(piece / m_options.bytesPerSecond));
      std::this_thread::sleep_until(m_lineFree);
    }
    const ssize_t n = ::write(m_master, bytes.data(), piece);
    if (n < 0 && errno != EINTR) return;
    bytes.remove_prefix(static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
  }
}

void AnalyserEmulator::Serve() {
  Send("\r\nNanoVNA Shell\r\nch> ");
  std::string line;
  while (!m_stop && !m_closed) {
    pollfd pfd{m_master, POLLIN, 0};
    char c;
    if (::poll(&pfd, 1, 20) <= 0 || ::read(m_master, &c, 1) != 1 || m_silent) continue;
    if (c == '\r') {
      Send("\r\n");
      Execute(line);
      line.clear();
      Send("ch> ");
    } else if (static_cast<unsigned char>(c) >= 0x20 && line.size() < 47) {
      line += c;
      Send(std::string_view(&c, 1));
    }
  }
}

void AnalyserEmulator::Execute(const std::string& line) {
  std::istringstream words(line);
  std::string command, word;
  std::vector<std::string> args;
  words >> command;
  while (words >> word) args.push_back(word);
  const EmulatedKind kind = m_options.kind;
  const bool spectrum = kind == EmulatedKind::kSpectrumAnalyser;
  const bool old = kind == EmulatedKind::kOlderBoard;
  const int maxPoints = kind == EmulatedKind::kH4 ? 401 : 101;
  const auto say = [&](const std::string& text) { Send(text + "\r\n"); };
  if (command.empty()) {
  } else if (command == "info" && !old) {
    if (spectrum) say("tinySA");
    else if (kind == EmulatedKind::kH4)
      say("Board: " + (m_options.board.empty() ? "NanoVNA-H 4" : m_options.board) +
          "\r\nVersion: 1.2.14 [p:401, IF:12k, ADC:384k, Lcd:480x320]");
    else say("Board: NanoVNA-H\r\nVersion: 1.0.45 [p:101, IF:5k, ADC:48k, Lcd:320x240]");
  } else if (command == "help") {
    say(std::string("Commands: help info version sweep frequencies data resume") +
        (old ? "" : " scan") + (kind == EmulatedKind::kH4 || spectrum ? " scan_bin" : ""));
  } else if (command == "version") {
    say("0.2.3-2-g8ac9166");
  } else if (command == "resume") {
  } else if (command == "scan" && !old && args.size() == 4) {
    const int points = static_cast<int>(ToUint(args[2]));
    if (points == 0 || points > maxPoints) {
      say("sweep points exceeds range " + std::to_string(maxPoints));
      return;
    }
    int mask = static_cast<int>(ToUint(args[3]));
    if (kind == EmulatedKind::kTextScanBoard) mask &= ~0x80;
    ++m_scans;
    SendPoints(ToUint(args[0]), ToUint(args[1]), points, mask);
  } else if (command == "sweep" && args.size() == 3) {
    m_sweepStart = ToUint(args[0]);
    m_sweepStop = ToUint(args[1]);
    m_sweepPoints = static_cast<int>(ToUint(args[2]));
  } else if (command == "frequencies") {
    for (int i = 0; i < m_sweepPoints; ++i)
      say(std::to_string(FirmwareFrequency(m_sweepStart, m_sweepStop, m_sweepPoints, i)));
  } else if (command == "data") {
    ++m_scans;
    SendPoints(m_sweepStart, m_sweepStop, m_sweepPoints,
               !args.empty() && args[0] == "1" ? 0x104 : 0x102);
  } else {
    say(command + "?");
  }
}

// Sends a scan's points. mask: the scan's output bits (1 frequency, 2 S11,
// 4 S21, 0x80 binary); 0x100 marks the older firmware's "data" reply, one
// trace without frequency.
void AnalyserEmulator::SendPoints(std::uint32_t start, std::uint32_t stop, int points, int mask) {
  const bool binary = (mask & 0x80) != 0;
  const EmulatedFault fault = m_options.fault;
  const int sent = fault == EmulatedFault::kShortReply ? std::max(0, points - 5) : points;
  m_dripping = fault == EmulatedFault::kDrips;
  if (binary) {
    const std::uint16_t header[2] = {static_cast<std::uint16_t>(mask),
                                     static_cast<std::uint16_t>(points)};
    Send(std::string_view(reinterpret_cast<const char*>(header), sizeof header));
  }
  for (int i = 0; i < sent; ++i) {
    if (i == points / 2 && (fault == EmulatedFault::kStopsAnswering ||
                            fault == EmulatedFault::kClosesMidScan)) {
      m_closed = fault == EmulatedFault::kClosesMidScan;
      m_silent = !m_closed;
      if (m_closed) ::close(m_master);
      return;
    }
    if (fault == EmulatedFault::kSlow)
      std::this_thread::sleep_for(std::chrono::milliseconds(m_options.slowMs));
    if (fault == EmulatedFault::kGarbage) {
      // The last line of noise ends without a line end, so that the prompt
      // follows it on the same line.
      Send(i + 1 < sent ? "\x13@#%&*(\x01 \xfe 12.5.6 ??\r\n" : "\x13@#%&*(\x01 \xfe");
      continue;
    }
    const std::uint32_t hz = FirmwareFrequency(start, stop, points, i) +
                             (fault == EmulatedFault::kOffFrequency ? 1000u : 0u);
    const model::SParameters s = model::Respond(m_filter, hz, 50.0);
    float v[4] = {static_cast<float>(s.s11.real()), static_cast<float>(s.s11.imag()),
                  static_cast<float>(s.s21.real()), static_cast<float>(s.s21.imag())};
    if (fault == EmulatedFault::kNonFinite && i == 3)
      for (float& value : v) value = std::numeric_limits<float>::quiet_NaN();
    if (fault == EmulatedFault::kGain && i == 3) v[2] *= 30.0f;
    std::string text;
    const auto put = [&](int first) {  // one trace: v[first], v[first + 1]
      if (binary) return void(text.append(reinterpret_cast<const char*>(v + first), 8));
      for (int j = first; j < first + 2; ++j) {
        char number[64];
        // The firmware's own formatter prints a value that is not a
        // number as zeros.
        const double value = std::isfinite(v[j]) ? static_cast<double>(v[j]) : 0.0;
        std::snprintf(number, sizeof number, "%.9f ", value);
        if (m_options.decimalComma) *std::strchr(number, '.') = ',';
        text += number;
      }
    };
    if ((mask & 1) && binary) text.append(reinterpret_cast<const char*>(&hz), 4);
    if ((mask & 1) && !binary) text += std::to_string(hz) + " ";
    if (mask & 2) put(0);
    if (mask & 4) put(2);
    if (!binary) text.back() = '\r', text += '\n';
    Send(text);
  }
  m_dripping = false;
}

}  // namespace diruruzevuv::testing
