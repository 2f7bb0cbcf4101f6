#include "instruments/analyser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "instruments/analyser_v2.h"
#include "notation/printable.h"

namespace diruruzevuv::instruments {

namespace {

constexpr const char* kPrompt = "ch> ";
// Output mask bits of the scan command: frequency, S11, S21, binary.
constexpr int kMaskFrequency = 1, kMaskS11 = 2, kMaskS21 = 4, kMaskBinary = 0x80;
constexpr int kTextMask = kMaskFrequency | kMaskS11 | kMaskS21;
constexpr int kBinaryMask = kTextMask | kMaskBinary;
constexpr std::size_t kBinaryPointBytes = 4 + 8 + 8;  // uint32 Hz, two float pairs
// The longest text line of a point: a frequency and four numbers.
constexpr std::size_t kTextPointBytes = 80;
// More than any reply of the shell: a device that sends this much without
// the echo of our command is not talking its language.
constexpr std::size_t kGarbageLimit = 1 << 20;

std::string Seconds(int ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", ms / 1000.0);
  return text;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// A number as the firmware prints it, with a full stop or (set so on some
// firmware) a decimal comma; "nan" and "inf" read as such.
bool ReadNumber(std::string_view word, double& value) {
  std::string text(word);
  std::replace(text.begin(), text.end(), ',', '.');
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc{} && stop == end;
}

// Where the prompt ends the reply: at the buffer's start or a line's, or
// last of all after bytes that end no line: the device has finished, and
// what it sent before is judged as the reply (noise is named as noise,
// not taken for silence).
std::size_t FindPrompt(const std::string& buffer, std::size_t from = 0) {
  for (std::size_t at = buffer.find(kPrompt, from); at != std::string::npos;
       at = buffer.find(kPrompt, at + 1)) {
    if (at == 0 || buffer[at - 1] == '\n') return at;
  }
  if (buffer.size() >= from + std::strlen(kPrompt) && buffer.ends_with(kPrompt))
    return buffer.size() - std::strlen(kPrompt);
  return std::string::npos;
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
  return std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         }) != text.end();
}

}  // namespace

int ExchangeLimitMs(int points, std::size_t replyBytes) {
  return 2000 + kMsPerPoint * points + static_cast<int>(replyBytes / 5);
}

AnalyserShell::AnalyserShell(std::unique_ptr<ByteLink> link, std::string port, Timeouts timeouts)
    : m_link(std::move(link)), m_port(std::move(port)), m_timeouts(timeouts) {}

int ScanWaitMs(const Timeouts& timeouts, int points) {
  return timeouts.scanMs + kMsPerPoint * points;
}

bool AnalyserShell::Send(std::string_view bytes, const std::string& what, int points,
                         std::size_t replyBytes) {
  m_limitMs = ExchangeLimitMs(points, replyBytes);
  m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_limitMs);
  std::string why;
  if (m_link->Write(bytes, why)) return true;
  SetError(why + " (sending '" + what + "')");
  return false;
}

std::optional<std::string> AnalyserShell::Exchange(std::string_view bytes, std::size_t replyBytes,
                                                   const std::string& what, int points,
                                                   int firstByteMs) {
  if (!Send(bytes, what, points, replyBytes)) return std::nullopt;
  while (m_buffer.size() < replyBytes) {
    const bool started = !m_buffer.empty();
    if (!ReadMore(started ? m_timeouts.quietMs : firstByteMs, what, started)) return std::nullopt;
  }
  std::string reply = m_buffer.substr(0, replyBytes);
  m_buffer.erase(0, replyBytes);
  return reply;
}

void AnalyserShell::SendOnly(std::string_view bytes) {
  std::string ignored;
  m_link->Write(bytes, ignored);
}

bool AnalyserShell::ReadMore(int timeoutMs, const std::string& waitingFor, bool started) {
  char chunk[4096];
  ByteLink::ReadResult got;
  const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
      m_deadline - std::chrono::steady_clock::now());
  const bool lastWait = remaining.count() < timeoutMs;
  for (int left = std::max(0, static_cast<int>(lastWait ? remaining.count() : timeoutMs));;) {
    if (m_timeouts.cancel != nullptr && m_timeouts.cancel->load()) {
      SetError("cancelled");
      return false;
    }
    const int slice = m_timeouts.cancel != nullptr ? std::min(left, 100) : left;
    got = m_link->Read(chunk, sizeof chunk, slice);
    left -= slice;
    if (got.status != ByteLink::ReadStatus::kTimeout || left <= 0) break;
  }
  switch (got.status) {
    case ByteLink::ReadStatus::kData:
      m_buffer.append(chunk, got.count);
      m_received += got.count;
      m_heard = true;
      return true;
    case ByteLink::ReadStatus::kTimeout:
      if (lastWait)
        SetError("no complete answer to '" + waitingFor + "' within " + Seconds(m_limitMs));
      else if (started)
        SetError("stopped answering during '" + waitingFor + "' (nothing for " +
                 Seconds(timeoutMs) + ")");
      else
        SetError("no answer to '" + waitingFor + "' within " + Seconds(timeoutMs));
      return false;
    case ByteLink::ReadStatus::kClosed:
      SetError(got.error + " (during '" + waitingFor + "')");
      return false;
  }
  return false;
}

bool AnalyserShell::SkipToEcho(const std::string& command, int timeoutMs) {
  const std::string echo = command + "\r\n";
  for (;;) {
    if (const std::size_t at = m_buffer.find(echo); at != std::string::npos) {
      m_buffer.erase(0, at + echo.size());
      m_received = m_buffer.size();
      return true;
    }
    if (m_buffer.size() > kGarbageLimit) {
      SetError("answers '" + notation::PrintableExcerpt(m_buffer) +
               "' instead of the analyser's shell");
      return false;
    }
    if (!ReadMore(timeoutMs, command, false)) return false;
  }
}

std::optional<std::vector<std::string>> AnalyserShell::Command(const std::string& command,
                                                               int points) {
  return LineCommand(command, false, points, {});
}

std::optional<std::vector<std::string>> AnalyserShell::LineCommand(
    const std::string& command, bool scan, int points,
    const std::function<bool(std::size_t)>& progress) {
  const int firstByteMs = scan ? ScanWaitMs(m_timeouts, points) : m_timeouts.replyMs;
  const std::size_t replyBytes = kTextPointBytes * static_cast<std::size_t>(points);
  if (!Send(command + "\r", command, points, replyBytes) ||
      !SkipToEcho(command, m_timeouts.replyMs))
    return std::nullopt;
  std::size_t lines = 0;
  bool started = !m_buffer.empty();
  for (;;) {
    const std::size_t prompt = FindPrompt(m_buffer);
    if (progress) {
      const std::size_t complete = static_cast<std::size_t>(
          std::count(m_buffer.begin(),
                     prompt == std::string::npos ? m_buffer.end()
                                                 : m_buffer.begin() + static_cast<long>(prompt),
                     '\n'));
      if (complete != lines) {
        lines = complete;
        if (!progress(lines)) {
          SetError("cancelled");
          return std::nullopt;
        }
      }
    }
    if (prompt != std::string::npos) {
      std::vector<std::string> reply = SplitLines(std::string_view(m_buffer).substr(0, prompt));
      m_buffer.erase(0, prompt + std::strlen(kPrompt));
      return reply;
    }
    if (m_buffer.size() > kGarbageLimit) {
      SetError("answers '" + notation::PrintableExcerpt(m_buffer) + "' without end to '" + command +
               "'");
      return std::nullopt;
    }
    if (!ReadMore(started ? m_timeouts.quietMs : firstByteMs, command, started))
      return std::nullopt;
    started = true;
  }
}

std::optional<std::string> AnalyserShell::BinaryCommand(
    const std::string& command, std::size_t bytes, int points,
    const std::function<bool(std::size_t)>& progress) {
  m_shortReply = false;
  if (!Send(command + "\r", command, points, bytes) || !SkipToEcho(command, m_timeouts.replyMs))
    return std::nullopt;
  bool started = !m_buffer.empty();
  while (m_buffer.size() < bytes) {
    if (progress && !progress(m_buffer.size())) {
      SetError("cancelled");
      return std::nullopt;
    }
    if (!ReadMore(started ? m_timeouts.quietMs : ScanWaitMs(m_timeouts, points), command,
                  started)) {
      m_received = m_buffer.size();
      // The prompt at the end of what came: the device sent fewer points.
      m_shortReply = m_buffer.size() >= 4 && m_buffer.compare(m_buffer.size() - 4, 4, kPrompt) == 0;
      if (m_shortReply) m_received -= 4;
      return std::nullopt;
    }
    started = true;
  }
  if (progress && !progress(bytes)) {
    SetError("cancelled");
    return std::nullopt;
  }
  std::string data = m_buffer.substr(0, bytes);
  m_buffer.erase(0, bytes);
  // The prompt follows at once; anything else there means the count was wrong.
  while (FindPrompt(m_buffer) == std::string::npos) {
    if (m_buffer.size() > 64 || !ReadMore(m_timeouts.quietMs, command, true)) {
      SetError("sent more than the " + std::to_string(bytes) + " bytes of '" + command + "'");
      return std::nullopt;
    }
  }
  if (FindPrompt(m_buffer) != 0) {
    SetError("sent more than the " + std::to_string(bytes) + " bytes of '" + command + "'");
    return std::nullopt;
  }
  m_buffer.erase(0, std::strlen(kPrompt));
  return data;
}

std::optional<AnalyserInfo> Identify(AnalyserShell& shell) {
  const auto info = shell.Command("info");
  if (!info) return std::nullopt;
  std::string all;
  for (const std::string& line : *info) all += line + "\n";
  if (ContainsNoCase(all, "tinySA") || ContainsNoCase(all, "spectrum")) {
    shell.SetError("this is a spectrum analyser, not a vector network analyser");
    return std::nullopt;
  }
  AnalyserInfo result;
  const bool hasInfo = !(info->size() == 1 && (*info)[0] == "info?");
  if (hasInfo) {
    for (const std::string& line : *info) {
      if (line.rfind("Board: ", 0) == 0) result.kind = line.substr(7);
      if (line.rfind("Version: ", 0) == 0) result.firmware = line.substr(9);
    }
    if (result.kind.empty() && !info->empty()) result.kind = info->front();
  }
  const auto help = shell.Command("help");
  if (!help) return std::nullopt;
  std::vector<std::string_view> commands;
  for (const std::string& line : *help) {
    if (line.rfind("Commands:", 0) != 0) continue;
    commands = Words(std::string_view(line).substr(9));
  }
  const auto has = [&](std::string_view name) {
    return std::find(commands.begin(), commands.end(), name) != commands.end();
  };
  if (has("scan_bin")) {
    result.method = ScanMethod::kBinaryScan;
  } else if (has("scan")) {
    result.method = ScanMethod::kTextScan;
  } else if (has("sweep") && has("data") && has("frequencies")) {
    result.method = ScanMethod::kSweepData;
  } else {
    shell.SetError("does not answer as a vector network analyser ('help' gave '" +
                   notation::PrintableExcerpt(help->empty() ? std::string() : help->front()) +
                   "')");
    return std::nullopt;
  }
  if (result.firmware.empty()) {
    const auto version = shell.Command("version");
    if (!version) return std::nullopt;
    if (!version->empty()) result.firmware = version->front();
  }
  if (result.kind.empty()) result.kind = "NanoVNA";
  // The point limit: stated in newer version texts as "[p:401, ...";
  // otherwise the H4 boards take 401 and the older ones 101.
  if (const std::size_t p = result.firmware.find("p:"); p != std::string::npos) {
    int points = 0;
    const char* begin = result.firmware.data() + p + 2;
    const auto [end, error] =
        std::from_chars(begin, result.firmware.data() + result.firmware.size(), points);
    if (error == std::errc{} && end != begin && points >= 2) result.maxPoints = points;
  } else if (ContainsNoCase(result.kind, "H4") || ContainsNoCase(result.kind, "H 4")) {
    result.maxPoints = 401;
  }
  return result;
}

SweepRequest DesignSweep(double start, double stop, int points) {
  return {std::min(start, stop), std::max(start, stop), points};
}

std::string SweepRequestProblem(const SweepRequest& request) {
  if (!(std::isfinite(request.startHz) && std::isfinite(request.stopHz)) || request.startHz < 1.0 ||
      request.stopHz > 4.0e9)
    return "the range must lie between 1 Hz and 4 GHz";
  if (!(request.stopHz > request.startHz)) return "the stop frequency must lie above the start";
  if (request.points < 2 || request.points > kMostSweepPoints)
    return "the number of points must lie between 2 and " + std::to_string(kMostSweepPoints);
  if ((request.stopHz - request.startHz) / (request.points - 1) < 1.0)
    return "the points would lie closer than 1 Hz";
  return {};
}

namespace {

using Point = SweepPoint;

std::string Hz(double hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f Hz", hz);
  return text;
}

// One scan of the device: count points from first to last Hz (whole
// hertz), asked for as text "first last" and "count".
struct ScanAsk {
  std::string range;
  std::string count;
  int points;
};

using ScanProgress = std::function<bool(int)>;

bool TooFew(AnalyserShell& shell, const ScanAsk& ask, std::size_t got, const std::string& command) {
  shell.SetError("sent " + std::to_string(got) + " of " + ask.count + " points for '" + command +
                 "'");
  return false;
}

bool NotData(AnalyserShell& shell, const std::string& command, const std::string& line) {
  shell.SetError("answered '" + command + "' with '" + notation::PrintableExcerpt(line) +
                 "', which is not a measurement");
  return false;
}

bool ScanBinary(AnalyserShell& shell, const ScanAsk& ask, const ScanProgress& progress,
                std::vector<Point>& out) {
  const std::string command =
      "scan " + ask.range + " " + ask.count + " " + std::to_string(kBinaryMask);
  const std::size_t bytes = 4 + kBinaryPointBytes * static_cast<std::size_t>(ask.points);
  const auto data = shell.BinaryCommand(command, bytes, ask.points, [&](std::size_t got) {
    return progress(got < 4 ? 0 : static_cast<int>((got - 4) / kBinaryPointBytes));
  });
  if (!data) {
    if (!shell.ShortReply()) return false;
    const std::size_t got = shell.Received();
    return TooFew(shell, ask, got < 4 ? 0 : (got - 4) / kBinaryPointBytes, command);
  }
  std::uint16_t mask, points;
  std::memcpy(&mask, data->data(), 2);  // little-endian, as is this machine
  std::memcpy(&points, data->data() + 2, 2);
  if (mask != kBinaryMask || points != ask.points) {
    shell.SetError("answered '" + command + "' with mask " + std::to_string(mask) + " and " +
                   std::to_string(points) + " points");
    return false;
  }
  for (int i = 0; i < ask.points; ++i) {
    const char* p = data->data() + 4 + kBinaryPointBytes * static_cast<std::size_t>(i);
    std::uint32_t hz;
    float v[4];
    std::memcpy(&hz, p, 4);
    std::memcpy(v, p + 4, 16);
    out.push_back({static_cast<double>(hz), {v[0], v[1]}, {v[2], v[3]}});
  }
  return true;
}

bool ScanText(AnalyserShell& shell, const ScanAsk& ask, const ScanProgress& progress,
              std::vector<Point>& out) {
  const std::string command =
      "scan " + ask.range + " " + ask.count + " " + std::to_string(kTextMask);
  const auto lines = shell.LineCommand(command, true, ask.points, [&](std::size_t got) {
    return progress(static_cast<int>(std::min(got, static_cast<std::size_t>(ask.points))));
  });
  if (!lines) return false;
  for (const std::string& line : *lines) {
    const auto words = Words(line);
    double v[5];
    if (words.size() != 5) return NotData(shell, command, line);
    for (int k = 0; k < 5; ++k)
      if (!ReadNumber(words[static_cast<std::size_t>(k)], v[k]))
        return NotData(shell, command, line);
    out.push_back({v[0], {v[1], v[2]}, {v[3], v[4]}});
  }
  if (lines->size() != static_cast<std::size_t>(ask.points))
    return TooFew(shell, ask, lines->size(), command);
  return true;
}

// Older firmware: set the sweep, then read its frequencies and both traces.
bool ScanSweepData(AnalyserShell& shell, const ScanAsk& ask, const ScanProgress& progress,
                   std::vector<Point>& out) {
  const std::size_t count = static_cast<std::size_t>(ask.points);
  const std::string sweep = "sweep " + ask.range + " " + ask.count;
  const auto set = shell.Command(sweep, ask.points);
  if (!set) return false;
  if (!set->empty()) return NotData(shell, sweep, set->front());
  const auto frequencies = shell.Command("frequencies", ask.points);
  if (!frequencies) return false;
  if (frequencies->size() != count) return TooFew(shell, ask, frequencies->size(), "frequencies");
  std::vector<double> hz;
  for (const std::string& line : *frequencies) {
    double f;
    if (!ReadNumber(line, f)) return NotData(shell, "frequencies", line);
    hz.push_back(f);
  }
  std::vector<std::complex<double>> trace[2];
  for (int which = 0; which < 2; ++which) {
    const std::string command = "data " + std::to_string(which);
    const auto lines = shell.Command(command, ask.points);
    if (!lines) return false;
    for (const std::string& line : *lines) {
      const auto words = Words(line);
      double re, im;
      if (words.size() != 2 || !ReadNumber(words[0], re) || !ReadNumber(words[1], im))
        return NotData(shell, command, line);
      trace[which].emplace_back(re, im);
    }
    if (lines->size() != count) return TooFew(shell, ask, lines->size(), command);
    if (!progress(ask.points * (which + 1) / 2)) return false;
  }
  for (std::size_t i = 0; i < count; ++i) out.push_back({hz[i], trace[0][i], trace[1][i]});
  return true;
}

}  // namespace

bool ShellAnalyser::Scan(const SweepGrid& grid, int first, int count, const ScanProgress& progress,
                         std::vector<SweepPoint>& out) {
  const ScanAsk ask{std::to_string(std::llround(grid.At(first))) + " " +
                        std::to_string(std::llround(grid.At(first + count - 1))),
                    std::to_string(count), count};
  switch (Info().method) {
    case ScanMethod::kBinaryScan:
      return ScanBinary(*m_shell, ask, progress, out);
    case ScanMethod::kTextScan:
      return ScanText(*m_shell, ask, progress, out);
    case ScanMethod::kSweepData:
      break;
  }
  return ScanSweepData(*m_shell, ask, progress, out);
}

bool ShellAnalyser::Prepare(bool raw) {
  if (!raw) return true;
  const auto reply = m_shell->Command("cal off");
  if (reply && reply->empty()) return true;
  if (reply)
    SetError("answered 'cal off' with '" + notation::PrintableExcerpt(reply->front()) +
             "': its correction cannot be turned off");
  return false;
}

void ShellAnalyser::Restore(bool raw, bool succeeded) {
  // A scan leaves the device's own screen paused; let it sweep again, with
  // its correction on. After a failure the device may be silent: the
  // commands go out without waiting for a reply.
  const bool paused = Info().method != ScanMethod::kSweepData;
  for (const char* command : {"cal on", "resume"}) {
    if (command == std::string_view("cal on") ? !raw : !paused) continue;
    if (succeeded)
      m_shell->Command(command);
    else
      m_shell->SendOnly(command + std::string("\r"));
  }
}

std::optional<model::MeasuredNetwork> Analyser::Sweep(const SweepRequest& request,
                                                      const SweepProgress& progress) {
  if (const std::string problem = SweepRequestProblem(request); !problem.empty()) {
    SetError(problem);
    return std::nullopt;
  }
  if (!Prepare(request.raw)) {
    Restore(request.raw, false);
    return std::nullopt;
  }
  auto network = SweepScans(request, progress);
  Restore(request.raw, network.has_value());
  return network;
}

std::optional<model::MeasuredNetwork> Analyser::SweepScans(const SweepRequest& request,
                                                           const SweepProgress& progress) {
  const int total = request.points;
  const int maxPoints = std::max(2, Info().maxPoints);
  const int scans = (total + maxPoints - 1) / maxPoints;
  const SweepGrid sweepGrid{request.startHz, request.stopHz, total};
  const auto grid = [&](int i) { return sweepGrid.At(i); };
  model::MeasuredNetwork network;
  network.ports = 2;
  network.name = Port();
  network.referenceOhms = {50.0, 50.0};
  network.uncorrected = !Corrects(request.raw);
  int first = 0;
  bool cancelled = false;
  for (int scan = 0; scan < scans; ++scan) {
    // Scans as equal as can be, each at least two points, none overlapping.
    const int count = total / scans + (scan < total % scans ? 1 : 0);
    const int last = first + count - 1;
    std::vector<Point> points;
    const int before = first;
    const bool done = Scan(
        sweepGrid, first, count,
        [&](int got) {
          if (!progress || progress(before + got, total)) return true;
          cancelled = true;
          return false;
        },
        points);
    if (!done) {
      if (cancelled) SetError("cancelled");
      return std::nullopt;
    }
    for (int k = 0; k < count; ++k) {
      const Point& p = points[static_cast<std::size_t>(k)];
      const double asked = grid(first + k);
      if (!(std::fabs(p.hz - asked) <= 1.0 + 1e-9 * asked)) {
        SetError("answered " + Hz(p.hz) + " where " + Hz(asked) + " was asked");
        return std::nullopt;
      }
      if (!network.frequency.empty() && !(p.hz > network.frequency.back())) {
        SetError("answered " + Hz(p.hz) + " twice or out of order");
        return std::nullopt;
      }
      // The text shell prints a value that is not a number as zeros; no
      // real measurement is exactly nothing on both traces.
      if (!(std::isfinite(p.s11.real()) && std::isfinite(p.s11.imag()) &&
            std::isfinite(p.s21.real()) && std::isfinite(p.s21.imag())) ||
          (p.s11 == 0.0 && p.s21 == 0.0)) {
        SetError("answered a value that is not a number at " + Hz(p.hz));
        return std::nullopt;
      }
      // Uncorrected readings may lie above 0 dB; a host calibration judges them.
      if (!network.uncorrected && !(std::abs(p.s11) <= model::kMostPassiveMagnitude &&
                                    std::abs(p.s21) <= model::kMostPassiveMagnitude)) {
        SetError("answered " + std::string(model::kGainProblem) + " (at " + Hz(p.hz) + ")");
        return std::nullopt;
      }
      network.frequency.push_back(p.hz);
      network.s.push_back({p.s11, p.s21, p.s21, {0.0, 0.0}});
    }
    first = last + 1;
  }
  return network;
}

std::string UncorrectedProblem(const Analyser& analyser, const SweepRequest& request) {
  if (request.raw || analyser.Corrects(false)) return {};
  return "this analyser sends uncorrected data: calibrate first, see the README's \"Measuring "
         "with an analyser\" section";
}

std::string TerminationProblem(double designOhms, const std::string& port) {
  model::MeasuredNetwork probe;
  probe.ports = 2;
  probe.name = port;
  probe.frequency = {1.0};
  const std::complex<double> s11(0.5), s21(0.5);
  probe.s = {model::MeasuredNetwork::Matrix{s11, s21, s21, 0.0}};
  return model::ReferralProblem(probe, designOhms);
}

std::vector<SerialPortInfo> AnalyserPorts(const std::vector<SerialPortInfo>& ports) {
  std::vector<SerialPortInfo> found;
  for (const SerialPortInfo& port : ports)
    for (const UsbId& id : kAnalyserUsbIds)
      if (port.vendorId == id.vendorId && port.productId == id.productId) found.push_back(port);
  return found;
}

namespace {

std::unique_ptr<Analyser> ConnectShell(std::unique_ptr<AnalyserShell>& shell) {
  const auto info = Identify(*shell);
  return info ? std::make_unique<ShellAnalyser>(std::move(shell), *info) : nullptr;
}

// The families in the order they are tried: a later one only on a device
// that has said nothing at all to those before (a register-protocol board
// ignores the text shell's commands).
using Probe = std::unique_ptr<Analyser> (*)(std::unique_ptr<AnalyserShell>&);
constexpr Probe kFamilies[] = {ConnectShell, ConnectRegisters};

std::unique_ptr<AnalyserShell> OpenShell(const std::string& port, std::string& why,
                                         const Timeouts& timeouts) {
  std::string reason;
  auto link = OpenSerialPort(port, reason);
  if (!link) {
    why = (reason == kNotASerialPort ? port + ": " : "cannot open " + port + ": ") + reason;
    return nullptr;
  }
  return std::make_unique<AnalyserShell>(std::move(link), port, timeouts);
}

}  // namespace

std::unique_ptr<Analyser> Connect(const std::string& port, std::string& why, Timeouts timeouts) {
  constexpr int kFamilyCount = static_cast<int>(std::size(kFamilies));
  const int known = timeouts.family ? timeouts.family->load() : 0;
  if (known > 0 && known < kFamilyCount) {
    auto shell = OpenShell(port, why, timeouts);
    if (!shell) return nullptr;
    if (auto analyser = kFamilies[known](shell)) return analyser;
    // Another device on the port since: asked afresh, in the usual order.
  }
  auto shell = OpenShell(port, why, timeouts);
  if (!shell) return nullptr;
  std::string first;  // the first family's reason, unless a later one knew the device
  for (int family = 0; family < kFamilyCount; ++family) {
    if (auto analyser = kFamilies[family](shell)) {
      if (timeouts.family) timeouts.family->store(family);
      return analyser;
    }
    if (first.empty()) first = shell->Error();
    if (shell->HeardAnything()) break;
  }
  why = shell->Error().empty() ? first : shell->Error();
  return nullptr;
}

std::optional<std::string> OnlyAnalyserPort(std::string& why) {
  std::vector<std::string> analysers, refused;
  for (const SerialPortInfo& port : AnalyserPorts(ListSerialPorts())) {
    std::string reason;
    if (Connect(port.port, reason))
      analysers.push_back(port.port);
    else
      refused.push_back(reason);
  }
  if (analysers.size() == 1) return analysers.front();
  if (analysers.empty()) {
    why = "no analyser found";
    for (const std::string& reason : refused) why += "; " + reason;
  } else {
    why = "several analysers found (";
    for (std::size_t i = 0; i < analysers.size(); ++i) why += (i ? ", " : "") + analysers[i];
    why += "): name one with --port";
  }
  return std::nullopt;
}

std::optional<model::MeasuredNetwork> MeasureOnce(const std::string& port,
                                                  const SweepRequest& request, std::string& why,
                                                  const SweepProgress& progress,
                                                  Timeouts timeouts) {
  std::string chosen = port;
  if (chosen.empty()) {
    const auto only = OnlyAnalyserPort(why);
    if (!only) return std::nullopt;
    chosen = *only;
  }
  auto analyser = Connect(chosen, why, timeouts);
  if (!analyser) return std::nullopt;
  if (const std::string problem = UncorrectedProblem(*analyser, request); !problem.empty()) {
    why = chosen + ": " + problem;
    return std::nullopt;
  }
  auto network = analyser->Sweep(request, progress);
  if (!network) why = analyser->Error();
  return network;
}

}  // namespace diruruzevuv::instruments
