#include "files/touchstone.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "files/line_reader.h"
#include "notation/printable.h"

namespace diruruzevuv::files {
namespace {

using Complex = std::complex<double>;

constexpr double kDegree = 3.14159265358979323846 / 180.0;
constexpr std::size_t kReadPiece = 64u << 10;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsBlank(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trim(std::string_view s) noexcept {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    const std::size_t start = i;
    while (i < s.size() && !IsBlank(s[i])) ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

// A plain decimal number as the format writes it (an optional sign, digits,
// point, exponent); from_chars never looks at the locale.
bool ParseNumber(std::string_view word, double& value) {
  std::string_view digits = word;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty() || digits.front() == '+') return false;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value);
  return error == std::errc{} && stop == end;
}

// Text from the file between quotes, safe to print.
std::string Quoted(std::string_view word) {
  std::string text(1, '"');
  text += notation::PrintableExcerpt(word);
  text += '"';
  return text;
}

std::string NotANumber(std::string_view word) {
  return Quoted(word) + " is not a number";
}

// "(50+50j)", "50+50j": a complex impedance as some writers give it.
bool LooksComplex(std::string_view word) noexcept {
  return !word.empty() && (word.front() == '(' || word.back() == ')' || word.back() == 'j' ||
                           word.back() == 'J');
}
constexpr const char* kComplexReference = "complex reference impedances are not supported";

enum class Format { kMagnitudeAngle, kDecibelAngle, kRealImaginary };

// What the header says about the data; filled as the lines come.
struct Header {
  bool version2 = false;
  bool optionSeen = false;
  double unit = 1e9;  // GHz unless the option line says otherwise
  Format format = Format::kMagnitudeAngle;
  double optionReference = 50.0;
  int ports = 0;             // 0: not known yet
  bool order21First = true;  // S11 S21 S12 S22
  bool orderGiven = false;
  enum class Matrix { kFull, kLower, kUpper } matrix = Matrix::kFull;
  long long frequencyCount = -1;  // [Number of Frequencies], -1 when absent
  int frequencyCountLine = 0;
  std::vector<double> reference;  // [Reference], one per port
  bool referenceOpen = false;     // [Reference] still waits for values
};

// Takes the file a line at a time, so that a refusal can stop the reading.
class Parser {
 public:
  explicit Parser(std::string_view name) {
    m_network.name = std::string(name);
    m_error.file = std::string(name);
    // Version 1 files say their port count in their name's ending.
    const std::string lower = Lower(name);
    const std::size_t dot = lower.rfind('.');
    if (dot != std::string::npos && lower.size() >= dot + 4 && lower[dot + 1] == 's' &&
        lower.back() == 'p') {
      const std::string_view count(lower.data() + dot + 2, lower.size() - dot - 3);
      int n = 0;
      const auto [stop, error] = std::from_chars(count.data(), count.data() + count.size(), n);
      if (error == std::errc{} && stop == count.data() + count.size()) m_portsFromName = n;
    }
  }

  // The next line, without its line end. False: refused, or [End] read;
  // Ended() tells which.
  bool Feed(std::string_view line) {
    const int number = ++m_lastLine;
    if (number == 1) line = WithoutByteOrderMark(line);
    TakePortTwoMatch(line, number);
    const std::size_t bang = line.find('!');
    if (bang != std::string_view::npos) line = line.substr(0, bang);
    line = Trim(line);
    if (line.empty()) return true;
    return Line(line, number) && !m_ended;
  }
  bool Ended() const noexcept { return m_ended; }

  // A line longer than anything the format needs.
  TouchstoneRead RefuseLongLine() {
    Fail(m_lastLine + 1,
         "the line is longer than " + std::to_string(kMaxTouchstoneLine) + " bytes");
    return Result(false);
  }

  TouchstoneRead Finish(bool fed) { return Result(fed && Finish()); }

 private:
  TouchstoneRead Result(bool ok) {
    TouchstoneRead read;
    if (!ok) {
      read.error = m_error;
      return read;
    }
    read.network = std::move(m_network);
    return read;
  }

  bool Fail(int line, std::string reason) {
    m_error.line = line;
    m_error.reason = std::move(reason);
    return false;
  }

  void Warn(int line, const char* what) {
    m_network.warnings.push_back(m_network.name + ", line " + std::to_string(line) + ": " + what);
  }

  bool Line(std::string_view line, int number) {
    if (m_skipInformation) {
      if (line.front() == '[' && Lower(line).starts_with("[end information]"))
        m_skipInformation = false;
      return true;
    }
    if (line.front() == '[') return Keyword(line, number);
    if (m_h.referenceOpen) return ReferenceValues(line, number);
    if (line.front() == '#') return Option(line, number);
    if (m_h.version2 && !m_inData) {
      if (m_afterData) return true;  // noise data of a 2.0 file
      return Fail(number, "numbers outside [Network Data]");
    }
    if (m_afterData) return NoiseLine(line, number);
    return Numbers(line, number);
  }

  bool Option(std::string_view line, int number) {
    // Only the first option line counts, and only before the data: one
    // that came later must not rescale what was read.
    if (!m_network.frequency.empty() || !m_record.empty() || m_afterData) {
      Warn(number, "an option line after the data is ignored");
      return true;
    }
    if (m_h.optionSeen) {
      Warn(number, "a second option line is ignored; only the first counts");
      return true;
    }
    m_h.optionSeen = true;
    const auto words = Words(line.substr(1));
    for (std::size_t i = 0; i < words.size(); ++i) {
      const std::string w = Lower(words[i]);
      if (w == "hz") {
        m_h.unit = 1.0;
      } else if (w == "khz") {
        m_h.unit = 1e3;
      } else if (w == "mhz") {
        m_h.unit = 1e6;
      } else if (w == "ghz") {
        m_h.unit = 1e9;
      } else if (w == "s") {
        // S-parameters: the only kind read
      } else if (w == "y" || w == "z" || w == "h" || w == "g") {
        return Fail(number, "holds " + std::string(1, static_cast<char>(std::toupper(w[0]))) +
                                "-parameters; only S-parameters can be read");
      } else if (w == "ma") {
        m_h.format = Format::kMagnitudeAngle;
      } else if (w == "db") {
        m_h.format = Format::kDecibelAngle;
      } else if (w == "ri") {
        m_h.format = Format::kRealImaginary;
      } else if (w == "r") {
        double r = 0.0;
        if (i + 1 < words.size() && LooksComplex(words[i + 1]))
          return Fail(number, kComplexReference);
        if (i + 1 >= words.size() || !ParseNumber(words[i + 1], r))
          return Fail(number, "the option line has no number after R");
        if (!std::isfinite(r) || !(r > 0.0))
          return Fail(number, "the reference impedance must be a positive number of ohms");
        m_h.optionReference = r;
        ++i;
      } else {
        return Fail(number, "unknown option " + Quoted(words[i]));
      }
    }
    return true;
  }

  bool Keyword(std::string_view line, int number) {
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) return Fail(number, "a keyword without its closing ]");
    const std::string key = Lower(line.substr(1, close - 1));
    const std::string_view rest = Trim(line.substr(close + 1));
    if (key == "version") {
      if (!Trim(rest).starts_with("2.")) return Fail(number, "only versions 1 and 2 are read");
      m_h.version2 = true;
      return true;
    }
    if (!m_h.version2)
      return Fail(number, "the keyword [" + notation::PrintableExcerpt(line.substr(1, close - 1)) +
                              "] belongs to version 2 files but [Version] is missing");
    if (key == "number of ports") {
      long long n = 0;
      if (!Integer(rest, n)) return Fail(number, "[Number of Ports] needs a whole number");
      if (n < 1 || n > 2)
        return Fail(number, "the file has " + std::to_string(n) +
                                " ports; only one- and two-port files can be read");
      m_h.ports = static_cast<int>(n);
      return true;
    }
    if (key == "two-port data order") {
      if (rest == "12_21") {
        m_h.order21First = false;
      } else if (rest == "21_12") {
        m_h.order21First = true;
      } else {
        return Fail(number, "[Two-Port Data Order] must be 12_21 or 21_12");
      }
      m_h.orderGiven = true;
      return true;
    }
    if (key == "number of frequencies") {
      long long n = 0;
      if (!Integer(rest, n) || n < 1)
        return Fail(number, "[Number of Frequencies] needs a whole number above 0");
      m_h.frequencyCount = n;
      m_h.frequencyCountLine = number;
      return true;
    }
    if (key == "reference") {
      if (m_h.ports == 0) return Fail(number, "[Reference] before [Number of Ports]");
      m_h.referenceOpen = true;
      m_h.reference.clear();
      return rest.empty() ? true : ReferenceValues(rest, number);
    }
    if (key == "matrix format") {
      const std::string format = Lower(rest);
      if (format == "full") {
        m_h.matrix = Header::Matrix::kFull;
      } else if (format == "lower") {
        m_h.matrix = Header::Matrix::kLower;
      } else if (format == "upper") {
        m_h.matrix = Header::Matrix::kUpper;
      } else {
        return Fail(number, "[Matrix Format] must be Full, Lower or Upper");
      }
      return true;
    }
    if (key == "mixed-mode order")
      return Fail(number, "mixed-mode data cannot be read; only single-ended S-parameters");
    if (key == "begin information") {
      m_skipInformation = true;
      return true;
    }
    if (key == "network data") {
      if (m_h.ports == 0) return Fail(number, "[Network Data] before [Number of Ports]");
      if (m_h.ports == 2 && !m_h.orderGiven)
        return Fail(number, "a two-port file needs [Two-Port Data Order]");
      if (m_h.referenceOpen) return Fail(number, "[Reference] needs one value for each port");
      m_inData = true;
      return true;
    }
    if (key == "noise data") {
      if (!EndRecord(number)) return false;
      m_inData = false;
      m_afterData = true;
      return true;
    }
    if (key == "end") {
      if (!EndRecord(number)) return false;
      m_inData = false;
      m_ended = true;
      return true;
    }
    // Keywords of later versions that change nothing read here.
    return true;
  }

  static bool Integer(std::string_view text, long long& value) {
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && stop == text.data() + text.size();
  }

  bool ReferenceValues(std::string_view line, int number) {
    for (std::string_view word : Words(line)) {
      double r = 0.0;
      if (LooksComplex(word)) return Fail(number, kComplexReference);
      if (!ParseNumber(word, r)) return Fail(number, NotANumber(word));
      if (!std::isfinite(r) || !(r > 0.0))
        return Fail(number, "the reference impedance must be a positive number of ohms");
      if (static_cast<int>(m_h.reference.size()) >= m_h.ports)
        return Fail(number, "[Reference] has more values than ports");
      m_h.reference.push_back(r);
    }
    if (static_cast<int>(m_h.reference.size()) == m_h.ports) m_h.referenceOpen = false;
    return true;
  }

  int PairsPerRecord() const {
    if (m_h.ports == 1) return 1;
    return m_h.matrix == Header::Matrix::kFull ? 4 : 3;
  }

  bool DecidePorts(std::size_t numbersOnFirstLine, int number) {
    if (m_h.ports != 0) return true;
    if (m_portsFromName > 2)
      return Fail(number, "the file has " + std::to_string(m_portsFromName) +
                              " ports; only one- and two-port files can be read");
    if (m_portsFromName == 1 || m_portsFromName == 2) {
      m_h.ports = m_portsFromName;
    } else {
      // No telling ending: a one-port line holds three numbers.
      m_h.ports = numbersOnFirstLine == 3 ? 1 : 2;
    }
    return true;
  }

  bool Numbers(std::string_view line, int number) {
    const auto words = Words(line);
    if (!DecidePorts(words.size(), number)) return false;
    const std::size_t perRecord = 1 + 2 * static_cast<std::size_t>(PairsPerRecord());
    for (std::size_t i = 0; i < words.size(); ++i) {
      double v = 0.0;
      if (!ParseNumber(words[i], v)) return Fail(number, NotANumber(words[i]));
      if (!std::isfinite(v)) return Fail(number, "a number is not finite");
      if (m_record.empty()) {
        m_recordLine = number;
        // In a two-port 1.x file a falling frequency starts the noise
        // data, whose rows have five numbers; anything else is data out of order.
        if (i == 0 && !m_h.version2 && m_h.ports == 2 && !m_network.frequency.empty() &&
            v * m_h.unit < m_network.frequency.back() && words.size() == kNoiseNumbers) {
          m_afterData = true;
          return NoiseLine(line, number);
        }
      }
      m_record.push_back(v);
      if (m_record.size() == perRecord) {
        if (i + 1 != words.size())
          return Fail(number, "wrong count of numbers: " + std::to_string(perRecord) +
                                  " are needed for each frequency");
        if (!StoreRecord(number)) return false;
      }
    }
    return true;
  }

  static constexpr std::size_t kNoiseNumbers = 5;

  // A row of a 1.x two-port file's noise block, which is not read.
  bool NoiseLine(std::string_view line, int number) {
    if (Words(line).size() != kNoiseNumbers)
      return Fail(number, "the frequencies do not increase");
    return true;
  }

  Complex Pair(double a, double b) const {
    switch (m_h.format) {
      case Format::kRealImaginary:
        return {a, b};
      case Format::kDecibelAngle:
        return std::polar(std::pow(10.0, a / 20.0), b * kDegree);
      case Format::kMagnitudeAngle:
        break;
    }
    return std::polar(a, b * kDegree);
  }

  bool StoreRecord(int number) {
    const auto& r = m_record;
    // Checked once the record is complete, with the unit it was read in.
    const double f = r[0] * m_h.unit;
    if (!std::isfinite(f) || f < 0.0)
      return Fail(m_recordLine, "the frequency must be a finite number of at least 0");
    if (!m_network.frequency.empty() && f <= m_network.frequency.back())
      return Fail(m_recordLine, "the frequencies do not increase");
    if (m_network.frequency.size() >= kMaxMeasuredPoints)
      return Fail(number, "more than " + std::to_string(kMaxMeasuredPoints) +
                              " points; no analyser measures so many");
    model::MeasuredNetwork::Matrix m{};
    std::array<Complex, 4> v{};
    const int pairs = PairsPerRecord();
    for (int k = 0; k < pairs; ++k) v[k] = Pair(r[1 + 2 * k], r[2 + 2 * k]);
    if (m_h.ports == 1) {
      m[0] = v[0];
    } else if (m_h.matrix == Header::Matrix::kLower) {
      m = {v[0], v[1], v[1], v[2]};  // S11, S21, S22
    } else if (m_h.matrix == Header::Matrix::kUpper) {
      m = {v[0], v[1], v[1], v[2]};  // S11, S12, S22
    } else if (m_h.order21First) {
      m = {v[0], v[1], v[2], v[3]};
    } else {
      m = {v[0], v[2], v[1], v[3]};
    }
    for (const Complex& c : m) {
      if (!std::isfinite(c.real()) || !std::isfinite(c.imag()))
        return Fail(number, "a value is not finite");
    }
    m_network.frequency.push_back(f);
    m_network.s.push_back(m);
    m_record.clear();
    return true;
  }

  bool EndRecord(int number) {
    if (m_record.empty()) return true;
    const std::size_t perRecord = 1 + 2 * static_cast<std::size_t>(PairsPerRecord());
    (void)number;
    return Fail(m_recordLine, "wrong count of numbers: " + std::to_string(perRecord) +
                                  " are needed for each frequency");
  }

  // "! port 2 match HZ RE IM"; anything else is an ordinary comment.
  void TakePortTwoMatch(std::string_view line, int number) {
    line = Trim(line);
    if (!line.starts_with('!')) return;
    line = Trim(line.substr(1));
    if (!line.starts_with(kPortTwoMatchComment)) return;
    const auto words = Words(line.substr(kPortTwoMatchComment.size()));
    std::array<double, 3> v{};
    for (std::size_t i = 0; i < v.size(); ++i)
      if (words.size() != v.size() || !ParseNumber(words[i], v[i]) || !std::isfinite(v[i])) return;
    if (m_match.empty()) m_matchLine = number;
    m_match.push_back(v);
  }

  // The port-2 match when it names every frequency in order.
  void KeepPortTwoMatch() {
    if (m_match.empty()) return;
    bool fits = m_network.ports == 2 && m_match.size() == m_network.frequency.size();
    for (std::size_t i = 0; fits && i < m_match.size(); ++i)
      fits = m_match[i][0] == m_network.frequency[i];
    if (!fits) return Warn(m_matchLine, "the port 2 match lines do not fit the data: ignored");
    for (const auto& v : m_match) m_network.portTwoMatch.emplace_back(v[1], v[2]);
  }

  bool Finish() {
    if (m_h.referenceOpen) return Fail(m_lastLine, "[Reference] needs one value for each port");
    if (!EndRecord(m_lastLine)) return false;
    if (m_network.frequency.empty()) return Fail(0, "the file holds no network data");
    if (m_h.version2 && m_h.frequencyCount >= 0 &&
        m_h.frequencyCount != static_cast<long long>(m_network.frequency.size()))
      return Fail(m_h.frequencyCountLine,
                  "[Number of Frequencies] says " + std::to_string(m_h.frequencyCount) +
                      " but the file holds " + std::to_string(m_network.frequency.size()));
    m_network.ports = m_h.ports;
    if (!m_h.reference.empty()) {
      m_network.referenceOhms = {m_h.reference[0], m_h.reference.back()};
    } else {
      m_network.referenceOhms = {m_h.optionReference, m_h.optionReference};
    }
    KeepPortTwoMatch();
    return true;
  }

  Header m_h;
  int m_portsFromName = 0;
  bool m_inData = false;
  bool m_afterData = false;
  bool m_ended = false;
  bool m_skipInformation = false;
  std::vector<double> m_record;
  std::vector<std::array<double, 3>> m_match;
  int m_matchLine = 0;
  int m_recordLine = 0;
  int m_lastLine = 0;
  model::MeasuredNetwork m_network;
  TouchstoneError m_error;
};

// LF, CR LF and a lone CR each end a line, as in the program's other
// readers. The line at the start of `text` and where the next one begins;
// nothing while its end has not arrived (a CR at the very end may yet be
// followed by its LF), unless `last`, when the rest is the last line.
std::optional<std::pair<std::string_view, std::size_t>> NextLine(std::string_view text,
                                                                 bool last) {
  const std::size_t end = text.find_first_of("\r\n");
  if (end == std::string_view::npos) {
    if (!last || text.empty()) return std::nullopt;
    return std::pair(text, text.size());
  }
  if (text[end] == '\r' && end + 1 == text.size() && !last) return std::nullopt;
  const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
  return std::pair(text.substr(0, end), end + (crlf ? 2 : 1));
}

}  // namespace

std::string TouchstoneError::Text() const {
  if (unreadable) return "cannot read " + file + ": " + reason;
  if (line > 0) return file + ", line " + std::to_string(line) + ": " + reason;
  return file + ": " + reason;
}

TouchstoneRead ParseTouchstone(std::string_view text, std::string_view name) {
  Parser parser(name);
  std::size_t at = 0;
  while (at < text.size()) {
    // Looks no further than one byte past the longest line.
    const std::string_view ahead = text.substr(at, kMaxTouchstoneLine + 2);
    const auto line = NextLine(ahead, at + ahead.size() == text.size());
    if (!line || line->first.size() > kMaxTouchstoneLine) return parser.RefuseLongLine();
    at += line->second;
    if (!parser.Feed(line->first)) return parser.Finish(parser.Ended());
  }
  return parser.Finish(true);
}

TouchstoneRead ReadTouchstoneFile(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  TouchstoneRead read;
  read.error.file = name;
  std::error_code error;
  const auto unreadable = [&] {
    read.error = {path.string(), 0, WhyUnreadable(path), true};
    return read;
  };
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return unreadable();
  if (size > kMaxTouchstoneBytes) {
    read.error.reason = "is too large to be a measurement";
    return read;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return unreadable();
  // A piece at a time: the lines so far and a partial last one are all
  // that is held besides the network, and a refusal stops the reading.
  Parser parser(name);
  std::string pending;
  std::vector<char> piece(kReadPiece);
  std::uintmax_t total = 0;
  while (in) {
    in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    total += got;
    if (total > kMaxTouchstoneBytes) {
      read.error.reason = "is too large to be a measurement";
      return read;
    }
    pending.append(piece.data(), got);
    std::string_view rest(pending);
    while (const auto line = NextLine(rest, false)) {
      if (line->first.size() > kMaxTouchstoneLine) return parser.RefuseLongLine();
      if (!parser.Feed(line->first)) return parser.Finish(parser.Ended());
      rest.remove_prefix(line->second);
    }
    pending.erase(0, pending.size() - rest.size());
    if (pending.size() > kMaxTouchstoneLine + 1) return parser.RefuseLongLine();
  }
  if (in.bad()) return unreadable();
  std::string_view rest(pending);
  while (const auto line = NextLine(rest, true)) {
    if (line->first.size() > kMaxTouchstoneLine) return parser.RefuseLongLine();
    if (!parser.Feed(line->first)) return parser.Finish(parser.Ended());
    rest.remove_prefix(line->second);
  }
  return parser.Finish(true);
}

}  // namespace diruruzevuv::files
