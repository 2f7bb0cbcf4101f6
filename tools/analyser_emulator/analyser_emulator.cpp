#include "analyser_emulator/analyser_emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
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

using Complex = std::complex<double>;

// A number with an optional SI suffix (f p n u m k M G).
bool ReadValue(std::string_view word, double& value) {
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, value);
  if (error != std::errc{}) return false;
  if (stop == end) return true;
  static constexpr std::string_view kSuffixes = "fpnumkMG";
  static constexpr double kScale[] = {1e-15, 1e-12, 1e-9, 1e-6, 1e-3, 1e3, 1e6, 1e9};
  const std::size_t at = kSuffixes.find(*stop);
  if (at == std::string_view::npos || stop + 1 != end) return false;
  value *= kScale[at];
  return true;
}

// connect WHAT ...: a standard, the filter, or one part.
void ReadConnect(ConnectState& state, const std::string& what, std::istream& words) {
  static const std::map<std::string, Connected> kWhat = {
      {"open", Connected::kOpen},           {"short", Connected::kShort},
      {"load", Connected::kLoad},           {"through", Connected::kThrough},
      {"isolation", Connected::kIsolation}, {"filter", Connected::kFilter}};
  static const std::map<std::string, PartPlace> kPlaces = {{"series", PartPlace::kSeries},
                                                           {"shunt", PartPlace::kShunt},
                                                           {"reflection", PartPlace::kReflection}};
  if (const auto found = kWhat.find(what); found != kWhat.end()) {
    state.connected = found->second;
    return;
  }
  std::string word;
  if (what != "part" || !(words >> word) || !kPlaces.count(word)) return;
  EmulatedPart part{kPlaces.at(word)};
  while (words >> word) {
    const std::size_t eq = word.find('=');
    const std::string key = word.substr(0, eq), text = word.substr(eq + 1);
    double value = 0.0;
    if (key == "kind") part.capacitor = text == "capacitor";
    if (eq == std::string::npos || !ReadValue(text, value)) continue;
    if (key == "L") part.henries = value;
    if (key == "R") part.ohms = value;
    if (key == "C") part.farads = value;
  }
  state.connected = Connected::kPart;
  state.part = part;
}

// set PART VALUE: a part of the filter, or an inductor's turns.
void ReadSet(model::Ladder& filter, const std::string& name, const std::string& text) {
  double value = 0.0;
  if (!ReadValue(text, value)) return;
  for (int p = 0; p < model::kLadderPartCount; ++p) {
    const std::string part = model::kLadderParts[p].name;
    if (name == part) filter.value[p] = value;
    if (name == part + "_turns" && model::kLadderParts[p].kind == model::PartKind::kInductor)
      filter.value[p] = std::round(value) * std::round(value) * kEmulatedHenriesPerTurnSquared;
  }
}

Complex Delay(double hz, double ns) {
  return std::polar(1.0, -2.0 * M_PI * hz * ns * 1e-9);
}

Complex PartImpedance(const EmulatedPart& part, double hz) {
  const Complex jw(0.0, 2.0 * M_PI * hz);
  const Complex z = part.ohms + jw * part.henries;
  if (part.capacitor) return part.farads > 0.0 ? z + 1.0 / (jw * part.farads) : z;
  return part.farads > 0.0 ? z / (1.0 + jw * part.farads * z) : z;
}

}  // namespace

ConnectState ReadControl(std::string_view text) {
  ConnectState state;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line.substr(0, line.find_first_of("*#")));
    std::string verb, what, value;
    words >> verb >> what;
    if (verb == "connect") ReadConnect(state, what, words);
    if (verb == "set" && words >> value) ReadSet(state.filter, what, value);
  }
  return state;
}

model::SParameters DeviceResponse(const ConnectState& state, double hz) {
  switch (state.connected) {
    case Connected::kOpen:
      return {1.0, 0.0, 0.0};
    case Connected::kShort:
      return {-1.0, 0.0, 0.0};
    case Connected::kLoad:
    case Connected::kIsolation:
      return {0.0, 0.0, 0.0};
    case Connected::kThrough:
      return {0.0, 1.0, 0.0};
    case Connected::kFilter:
      return model::Respond(state.filter, hz, 50.0);
    case Connected::kPart:
      break;
  }
  const Complex z = PartImpedance(state.part, hz);
  switch (state.part.place) {
    case PartPlace::kSeries:
      return {z / (z + 100.0), 100.0 / (z + 100.0), z / (z + 100.0)};
    case PartPlace::kShunt:
      return {-50.0 / (2.0 * z + 50.0), 2.0 * z / (2.0 * z + 50.0), -50.0 / (2.0 * z + 50.0)};
    case PartPlace::kReflection:
      break;
  }
  return {(z - 50.0) / (z + 50.0), 0.0, 0.0};
}

ErrorTerms EmulatedErrorBox(double hz) {
  // Smooth in frequency, every term with some phase; the tracking terms
  // fall with frequency behind a few nanoseconds of cable.
  const double ghz = hz / 1e9;
  return {0.056 * (1.0 + 0.5 * ghz) * std::polar(1.0, 2.0) * Delay(hz, 0.3),
          0.178 * std::polar(1.0, -1.0) * Delay(hz, 0.8),
          (0.93 - 0.1 * ghz) * Delay(hz, 5.0),
          (0.9 - 0.12 * ghz) * Delay(hz, 4.0),
          0.1 * std::polar(1.0, 0.5) * Delay(hz, 0.6),
          0.001 * std::polar(1.0, 1.2)};
}

model::SParameters ThroughErrorBox(const model::SParameters& device, double hz) {
  const ErrorTerms e = EmulatedErrorBox(hz);
  const Complex s11 = device.s11, s21 = device.s21, s22 = device.s22;
  const Complex delta = s11 * s22 - s21 * s21;  // reciprocal: S12 = S21
  const Complex d = 1.0 - e.e11 * s11 - e.e22 * s22 + e.e11 * e.e22 * delta;
  return {e.e00 + e.e10e01 * (s11 - e.e22 * delta) / d, e.e30 + e.e10e32 * s21 / d, s22};
}

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

AnalyserEmulator::AnalyserEmulator(EmulatorOptions options) : m_options(options) {
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
    if (spectrum)
      say("tinySA");
    else if (kind == EmulatedKind::kH4)
      say("Board: " + (m_options.board.empty() ? "NanoVNA-H 4" : m_options.board) +
          "\r\nVersion: 1.2.14 [p:401, IF:12k, ADC:384k, Lcd:480x320]");
    else
      say("Board: NanoVNA-H\r\nVersion: 1.0.45 [p:101, IF:5k, ADC:48k, Lcd:320x240]");
  } else if (command == "help") {
    say(std::string("Commands: help info version sweep frequencies data resume") +
        (old ? "" : " scan") + (kind == EmulatedKind::kH4 || spectrum ? " scan_bin" : ""));
  } else if (command == "version") {
    say("0.2.3-2-g8ac9166");
  } else if (command == "resume") {
  } else if (command == "cal" && args.size() == 1 && (args[0] == "on" || args[0] == "off")) {
    m_correcting = args[0] == "on";
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
void AnalyserEmulator::ReadControlFile() {
  if (m_options.controlFile.empty()) return;
  std::ifstream file(m_options.controlFile, std::ios::binary);
  std::ostringstream text;
  if (!(file && text << file.rdbuf())) return;  // missing: keep what was there
  if (text.str() == m_controlText) return;
  m_controlText = text.str();
  m_state = ReadControl(m_controlText);
}

void AnalyserEmulator::SendPoints(std::uint32_t start, std::uint32_t stop, int points, int mask) {
  ReadControlFile();
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
    if (i == points / 2 &&
        (fault == EmulatedFault::kStopsAnswering || fault == EmulatedFault::kClosesMidScan)) {
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
    model::SParameters s = DeviceResponse(m_state, hz);
    if (!m_correcting) s = ThroughErrorBox(s, hz);
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
