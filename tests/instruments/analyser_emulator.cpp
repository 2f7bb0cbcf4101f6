#include "analyser_emulator.h"

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
#include <vector>

#include "model/design_state.h"

namespace diruruzevuv::testing {

namespace {

constexpr const char* kNewLine = "\r\n";
constexpr const char* kPrompt = "ch> ";

std::uint32_t ToUint(const std::string& text) {
  return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 0));
}

// The firmware's frequency of point idx of a linear sweep: whole hertz,
// the remainder of the span spread evenly.
std::uint32_t FirmwareFrequency(std::uint32_t start, std::uint32_t stop, int points, int idx) {
  if (points < 2) return start;
  const std::uint64_t span = stop - start;
  const std::uint64_t n = static_cast<std::uint64_t>(points - 1);
  const std::uint64_t delta = span / n, error = span % n;
  const std::uint64_t i = static_cast<std::uint64_t>(idx);
  return static_cast<std::uint32_t>(start + delta * i + (n / 2 + error * i) / n);
}

}  // namespace

model::DesignState EmulatedDesign() {
  model::DesignState design;
  model::ApplyDefaultDesign(design);
  design.InductorQ = 200.0f;
  design.CapacitorQ = 2000.0f;
  return design;
}

model::Ladder EmulatedFilter() {
  model::Ladder ladder = model::LadderFromDesign(EmulatedDesign());
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
  if (m_closed || m_silent) return;
  // Paced in small pieces as the line would carry them.
  while (!bytes.empty() && !m_stop) {
    const std::size_t piece = m_options.bytesPerSecond > 0 ? std::min<std::size_t>(bytes.size(), 64)
                                                          : bytes.size();
    if (m_options.bytesPerSecond > 0) {
      const auto now = std::chrono::steady_clock::now();
      if (m_lineFree < now) m_lineFree = now;
      m_lineFree += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          std::chrono::duration<double>(static_cast<double>(piece) / m_options.bytesPerSecond));
      std::this_thread::sleep_until(m_lineFree);
    }
    const ssize_t n = ::write(m_master, bytes.data(), piece);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void AnalyserEmulator::Serve() {
  Send(std::string(kNewLine) + "NanoVNA Shell" + kNewLine + kPrompt);
  std::string line;
  while (!m_stop && !m_closed) {
    pollfd pfd{m_master, POLLIN, 0};
    if (::poll(&pfd, 1, 20) <= 0) continue;
    char c;
    if (::read(m_master, &c, 1) != 1) continue;
    if (m_silent) continue;
    if (c == 8 || c == 0x7f) {
      if (!line.empty()) {
        line.pop_back();
        Send("\b \b");
      }
      continue;
    }
    if (c == '\r') {
      Send(kNewLine);
      Execute(line);
      line.clear();
      Send(kPrompt);
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x20 || line.size() >= 47) continue;
    line += c;
    Send(std::string_view(&c, 1));
  }
}

void AnalyserEmulator::Execute(const std::string& line) {
  std::vector<std::string> args;
  for (std::size_t i = 0; i < line.size();) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) args.push_back(line.substr(start, i - start));
  }
  if (args.empty()) return;
  const std::string command = args.front();
  args.erase(args.begin());
  const EmulatedKind kind = m_options.kind;
  const bool spectrum = kind == EmulatedKind::kSpectrumAnalyser;
  const bool hasScan = kind != EmulatedKind::kOlderBoard;
  const int maxPoints = kind == EmulatedKind::kH4 ? 401 : (spectrum ? 290 : 101);
  const auto say = [&](const std::string& text) { Send(text + kNewLine); };
  if (command == "info" && kind != EmulatedKind::kOlderBoard) {
    if (spectrum) {
      say("tinySA");
      say("2019-2020 Copyright @Erik Kaashoek");
      say("2016-2020 Copyright @edy555");
      say("SW licensed under GPL. See: https://github.com/erikkaashoek/tinySA");
      say("Version: tinySA_v1.3-100");
    } else if (kind == EmulatedKind::kH4) {
      say("Board: NanoVNA-H 4");
      say("2019-2022 Copyright NanoVNA.com");
      say("based on  @DiSlord @edy555 ... source");
      say("Licensed under GPL.");
      say("Version: 1.2.14 [p:401, IF:12k, ADC:384k, Lcd:480x320]");
      say("Build Time: Jan  1 2023 - 00:00:00");
      say("Platform: STM32F303");
    } else {
      say("Board: NanoVNA-H");
      say("2019-2021 Copyright @hugen     NANOVNA.COM");
      say("Based on @DiSlord @edy555 source, licensed under GPL.");
      say("Version: 1.0.45 [p:101, IF:5k, ADC:48k, Lcd:320x240]");
      say("Platform: STM32F072");
    }
  } else if (command == "help") {
    std::string list = "Commands: help info version reset sweep frequencies data pause resume";
    if (hasScan) list += " scan";
    if (kind == EmulatedKind::kH4 || spectrum) list += " scan_bin";
    say(list);
  } else if (command == "version") {
    say(spectrum ? "tinySA_v1.3-100"
                 : kind == EmulatedKind::kOlderBoard ? "0.2.3-2-g8ac9166" : "1.2.14");
  } else if (command == "resume" || command == "pause") {
  } else if ((command == "scan" && hasScan) ||
             (command == "scan_bin" && (kind == EmulatedKind::kH4 || spectrum))) {
    if (args.size() < 2 || args.size() > 4) {
      say("usage: scan {start(Hz)} {stop(Hz)} [points] [outmask]");
      return;
    }
    const std::uint32_t start = ToUint(args[0]), stop = ToUint(args[1]);
    if (start == 0 || stop == 0 || start > stop) {
      say("frequency range is invalid");
      return;
    }
    int points = m_sweepPoints;
    if (args.size() >= 3) {
      points = static_cast<int>(ToUint(args[2]));
      if (points == 0 || points > maxPoints) {
        say("sweep points exceeds range " + std::to_string(maxPoints));
        return;
      }
    }
    int mask = args.size() == 4 ? static_cast<int>(ToUint(args[3])) : 0;
    if (command == "scan_bin") mask |= 0x80;
    if (kind == EmulatedKind::kTextScanBoard) mask &= ~0x80;
    ++m_scans;
    SendPoints(start, stop, points, mask);
  } else if (command == "sweep") {
    if (args.empty()) {
      say(std::to_string(static_cast<std::uint32_t>(m_sweepStart)) + " " +
          std::to_string(static_cast<std::uint32_t>(m_sweepStop)) + " " +
          std::to_string(m_sweepPoints));
      return;
    }
    if (args.size() >= 1) m_sweepStart = ToUint(args[0]);
    if (args.size() >= 2) m_sweepStop = ToUint(args[1]);
    // The firmware leaves the count as it was when asked for too many.
    if (args.size() >= 3 && ToUint(args[2]) <= static_cast<std::uint32_t>(maxPoints))
      m_sweepPoints = static_cast<int>(ToUint(args[2]));
  } else if (command == "frequencies") {
    for (int i = 0; i < m_sweepPoints; ++i)
      say(std::to_string(FirmwareFrequency(static_cast<std::uint32_t>(m_sweepStart),
                                           static_cast<std::uint32_t>(m_sweepStop),
                                           m_sweepPoints, i)));
  } else if (command == "data") {
    const int which = args.empty() ? 0 : static_cast<int>(ToUint(args[0]));
    ++m_scans;
    SendPoints(m_sweepStart, m_sweepStop, m_sweepPoints, which == 0 ? 0x102 : 0x104);
  } else {
    say(command + "?");
  }
}

// Sends a scan's points. mask: the scan's output bits (0x80 binary); 0x100
// marks the older firmware's "data" reply, one trace without frequency.
void AnalyserEmulator::SendPoints(double start, double stop, int points, int mask) {
  const bool binary = (mask & 0x80) != 0;
  const bool dataReply = (mask & 0x100) != 0;
  const EmulatedFault fault = m_options.fault;
  int sent = points;
  if (fault == EmulatedFault::kShortReply) sent = std::max(0, points - 5);
  if (binary) {
    const std::uint16_t header[2] = {static_cast<std::uint16_t>(mask),
                                     static_cast<std::uint16_t>(points)};
    Send(std::string_view(reinterpret_cast<const char*>(header), sizeof header));
  }
  if (mask == 0) return;
  for (int i = 0; i < sent; ++i) {
    if (i == points / 2 && fault == EmulatedFault::kStopsAnswering) {
      m_silent = true;
      return;
    }
    if (i == points / 2 && fault == EmulatedFault::kClosesMidScan) {
      ::close(m_master);
      m_closed = true;
      return;
    }
    if (fault == EmulatedFault::kSlow)
      std::this_thread::sleep_for(std::chrono::milliseconds(m_options.slowMs));
    const std::uint32_t hz = FirmwareFrequency(static_cast<std::uint32_t>(start),
                                               static_cast<std::uint32_t>(stop), points, i) +
                             (fault == EmulatedFault::kOffFrequency ? 1000u : 0u);
    const model::SParameters s = model::Respond(m_filter, hz, 50.0);
    float v[4] = {static_cast<float>(s.s11.real()), static_cast<float>(s.s11.imag()),
                  static_cast<float>(s.s21.real()), static_cast<float>(s.s21.imag())};
    if (fault == EmulatedFault::kNonFinite && i == 3) v[2] = std::numeric_limits<float>::quiet_NaN();
    if (binary) {
      std::string bytes;
      if (mask & 1) bytes.append(reinterpret_cast<const char*>(&hz), 4);
      if (mask & 2) bytes.append(reinterpret_cast<const char*>(v), 8);
      if (mask & 4) bytes.append(reinterpret_cast<const char*>(v + 2), 8);
      Send(bytes);
      continue;
    }
    if (fault == EmulatedFault::kGarbage) {
      Send("\x13@#%&*(\x01 \xfe 12.5.6 ??\r\n");
      continue;
    }
    std::string text;
    char number[64];
    const auto put = [&](float value, const char* after) {
      std::snprintf(number, sizeof number, "%.9f%s", static_cast<double>(value), after);
      if (m_options.decimalComma)
        for (char* p = number; *p; ++p)
          if (*p == '.') *p = ',';
      text += number;
    };
    if (dataReply) {
      const int trace = (mask & 2) ? 0 : 2;
      put(v[trace], " ");
      put(v[trace + 1], "\r\n");
    } else {
      if (mask & 1) text += std::to_string(hz) + " ";
      if (mask & 2) put(v[0], " "), put(v[1], " ");
      if (mask & 4) put(v[2], " "), put(v[3], " ");
      text += "\r\n";
    }
    Send(text);
  }
  m_lastDataByte = std::chrono::steady_clock::now().time_since_epoch().count();
}

}  // namespace diruruzevuv::testing
