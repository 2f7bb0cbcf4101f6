#include "files/calibration_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "files/line_reader.h"
#include "files/replace_file.h"
#include "notation/printable.h"

namespace diruruzevuv::files {
namespace {

using model::Complex;
using model::Standard;

// 'text', as a refusal quotes it. (Built by appending: gcc 12 warns wrongly
// about a literal added to a temporary string.)
std::string Quoted(std::string_view text) {
  std::string out = "'";
  out += notation::PrintableExcerpt(std::string(text));
  return out += "'";
}

// The largest calibration file read: five standards of the most points.
constexpr std::size_t kMostBytes = 64u << 20;

void Append(std::string& out, double value) {
  char buffer[32];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// Frequencies in plain digits, still the shortest text that reads back.
void AppendHz(std::string& out, double hz) {
  char buffer[400];
  out.append(buffer,
             std::to_chars(buffer, buffer + sizeof buffer, hz, std::chars_format::fixed).ptr);
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
  return words;
}

bool Number(std::string_view word, double& value) {
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  return error == std::errc{} && end == word.data() + word.size() && std::isfinite(value);
}

// The numbers after the first word, exactly count of them.
bool Numbers(const std::vector<std::string_view>& words, std::size_t count, double* out) {
  if (words.size() != count + 1) return false;
  for (std::size_t i = 0; i < count; ++i)
    if (!Number(words[i + 1], out[i])) return false;
  return true;
}

// One kit line into kit: empty, or what is wrong with it.
std::string KitLine(const std::vector<std::string_view>& words, model::CalibrationKit& kit) {
  double v[5];
  const std::string_view what = words[0];
  if (what == "open" || what == "short") {
    if (!Numbers(words, 5, v))
      return std::string(what) + " needs " + (what == "open" ? "C0 C1 C2 C3" : "L0 L1 L2 L3") +
             " and the delay in ps";
    auto& poly = what == "open" ? kit.openC : kit.shortL;
    poly = {v[0], v[1], v[2], v[3]};
    (what == "open" ? kit.openDelayPs : kit.shortDelayPs) = v[4];
  } else if (what == "load") {
    if (!Numbers(words, 1, v) || !(v[0] >= 0.0)) return "load needs its resistance in ohms";
    kit.loadOhms = v[0];
  } else if (what == "through") {
    if (!Numbers(words, 1, v)) return "through needs its delay in ps";
    kit.throughDelayPs = v[0];
  } else {
    return Quoted(what) + " is not a standard";
  }
  return {};
}

// Calls take(line number, line) for each line that is not blank or a
// comment, until take returns an error.
template <class Take>
std::string EachLine(std::string_view text, std::string_view name, Take&& take) {
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto words = Words(line);
    if (words.empty() || words[0].front() == '*') continue;
    if (std::string why = take(number, line, words); !why.empty())
      return std::string(name) + ", line " + std::to_string(number) + ": " + why;
  }
  return {};
}

std::string KitText(const model::CalibrationKit& kit) {
  std::string out;
  for (const char* what : {"open", "short"}) {
    const bool open = what[0] == 'o';
    out += std::string("kit ") + what;
    for (double c : open ? kit.openC : kit.shortL) out += ' ', Append(out, c);
    out += ' ';
    Append(out, open ? kit.openDelayPs : kit.shortDelayPs);
    out += "\r\n";
  }
  out += "kit load ";
  Append(out, kit.loadOhms);
  out += "\r\nkit through ";
  Append(out, kit.throughDelayPs);
  return out + "\r\n";
}

std::optional<std::string> ReadLimited(const std::string& path, std::string& error) {
  std::error_code failed;
  const auto size = std::filesystem::file_size(path, failed);
  auto text = failed || size > kMostBytes ? std::nullopt : ReadWholeFile(path);
  if (!text)
    error = "cannot read " + path + ": " +
            (!failed && size > kMostBytes ? "the file is too large" : WhyUnreadable(path));
  return text;
}

}  // namespace

std::string CalibrationText(const CalibrationFile& file) {
  const CalibrationDevice& d = file.device;
  std::string out = "* DIRUruzevuv analyser calibration: the raw standards and the kit\r\n";
  out += "family " + d.family + "\r\ndevice " + d.kind + "\r\nfirmware " + d.firmware +
         "\r\nserial " + d.serial + "\r\nrange ";
  AppendHz(out, file.startHz);
  out += ' ';
  AppendHz(out, file.stopHz);
  out += ' ' + std::to_string(file.points) + "\r\n" + KitText(file.calibration.kit);
  const model::Calibration& cal = file.calibration;
  for (int k = 0; k < model::kStandardCount; ++k) {
    if (!cal.raw[k]) continue;
    out += "standard ";
    out += model::StandardName(static_cast<Standard>(k));
    out += "\r\n";
    for (std::size_t i = 0; i < cal.frequency.size(); ++i) {
      AppendHz(out, cal.frequency[i]);
      for (const Complex& v : {cal.raw[k]->s11[i], cal.raw[k]->s21[i]}) {
        out += ' ';
        Append(out, v.real());
        out += ' ';
        Append(out, v.imag());
      }
      out += "\r\n";
    }
  }
  return out;
}

CalibrationRead ParseCalibration(std::string_view text, std::string_view name) {
  CalibrationFile file;
  model::Calibration& cal = file.calibration;
  model::RawSweep* block = nullptr;
  std::string blockName;
  bool gridDone = false, ranged = false;
  // The standard before a new one (or the end) has the grid's length.
  const auto close = [&]() -> std::string {
    if (block && block->s11.size() != cal.frequency.size())
      return "the " + blockName + " has " + std::to_string(block->s11.size()) +
             " frequencies, the standards before it " + std::to_string(cal.frequency.size());
    gridDone = gridDone || block;
    return {};
  };
  const auto take = [&](int, std::string_view line,
                        const std::vector<std::string_view>& words) -> std::string {
    const std::string_view key = words[0];
    double v[5];
    if (Number(key, v[0])) {
      if (!block) return "numbers before the first standard";
      if (!Numbers(words, 4, v + 1) || !Number(key, v[0]))
        return "a standard's line needs Hz and four numbers";
      const std::size_t row = block->s11.size();
      if (!gridDone) {
        if (!cal.frequency.empty() && !(v[0] > cal.frequency.back()))
          return "the frequencies must increase";
        cal.frequency.push_back(v[0]);
      } else if (row >= cal.frequency.size() || cal.frequency[row] != v[0]) {
        return "the " + blockName + "'s frequencies differ from those of the standards before it";
      }
      block->s11.emplace_back(v[1], v[2]);
      block->s21.emplace_back(v[3], v[4]);
      return {};
    }
    if (key == "standard") {
      const auto standard =
          words.size() == 2 ? model::StandardNamed(std::string(words[1])) : std::nullopt;
      if (!standard) return "standard needs open, short, load, through or isolation";
      if (std::string why = close(); !why.empty()) return why;
      auto& raw = cal.raw[static_cast<int>(*standard)];
      if (raw) return "the " + std::string(words[1]) + " is given twice";
      block = &raw.emplace();
      blockName = std::string(words[1]);
      return {};
    }
    if (block) return Quoted(key) + " among the numbers";
    std::string* const fields[] = {&file.device.family, &file.device.kind, &file.device.firmware,
                                   &file.device.serial};
    const std::string_view names[] = {"family", "device", "firmware", "serial"};
    for (int k = 0; k < 4; ++k) {
      if (key != names[k]) continue;
      const std::size_t at = line.find(key) + key.size() + 1;
      *fields[k] = std::string(line.substr(std::min(at, line.size())));
      return {};
    }
    if (key == "range") {
      if (!Numbers(words, 3, v) || !(v[0] > 0.0 && v[1] > v[0] && v[2] >= 2.0 && v[2] <= 1e6) ||
          v[2] != std::floor(v[2]))
        return "range needs the start and stop in Hz and the points";
      file.startHz = v[0], file.stopHz = v[1], file.points = static_cast<int>(v[2]);
      ranged = true;
      return {};
    }
    if (key == "kit" && words.size() > 1) return KitLine({words.begin() + 1, words.end()}, cal.kit);
    return Quoted(key) + " is not a calibration line";
  };
  CalibrationRead read;
  read.error = EachLine(text, name, take);
  if (read.error.empty()) {
    if (std::string why = close(); !why.empty())
      read.error = std::string(name) + ": " + why;
    else if (!ranged)
      read.error = std::string(name) + ": the range line is missing";
  }
  if (read.error.empty()) read.file = std::move(file);
  return read;
}

CalibrationRead ReadCalibrationFile(const std::string& path) {
  CalibrationRead read;
  const auto text = ReadLimited(path, read.error);
  if (text) read = ParseCalibration(*text, std::filesystem::path(path).filename().string());
  return read;
}

bool WriteCalibrationFile(const std::string& path, const CalibrationFile& file, std::string& why) {
  return ReplaceFileContents(path, CalibrationText(file), &why);
}

std::string RecordStandard(CalibrationFile& file, Standard standard,
                           const model::MeasuredNetwork& raw, const CalibrationDevice& device) {
  model::Calibration tried = file.calibration;
  const bool first =
      std::none_of(tried.raw.begin(), tried.raw.end(), [](const auto& r) { return r.has_value(); });
  if (first) tried.frequency = raw.frequency;
  if (raw.frequency != tried.frequency)
    return "the analyser swept other frequencies than the calibration's standards";
  model::RawSweep& sweep = tried.raw[static_cast<int>(standard)].emplace();
  for (const auto& s : raw.s) sweep.s11.push_back(s[0]), sweep.s21.push_back(s[1]);
  if (std::string why = model::LookAlike(tried, standard); !why.empty()) return why;
  file.calibration = std::move(tried);
  if (first) file.device = device;
  return {};
}

std::string StillMissingText(const model::Calibration& calibration) {
  const auto missing = model::MissingStandards(calibration, true);
  if (missing.empty())
    return std::string("S11 and S21 can be corrected") +
           (calibration.raw[4] ? "" : " (the isolation is optional)");
  std::string text = "still to measure:";
  for (Standard standard : missing)
    text += std::string(text.back() == ':' ? " " : ", ") + model::StandardName(standard);
  return text;
}

std::string OtherDeviceText(const CalibrationDevice& made, const CalibrationDevice& now) {
  const bool same = made.family == now.family && made.kind == now.kind &&
                    (made.serial.empty() || now.serial.empty() || made.serial == now.serial);
  if (same) return {};
  const auto named = [](const CalibrationDevice& d) {
    return d.kind + (d.serial.empty() ? "" : " (serial " + d.serial + ")");
  };
  return "the calibration was made on " + named(made) + ", not on this " + named(now) +
         ": its corrections may not hold";
}

std::optional<model::MeasuredNetwork> Corrected(const CalibrationFile& file,
                                                const std::string& name,
                                                const model::MeasuredNetwork& raw,
                                                std::string& why) {
  const auto model = model::SolveCalibration(file.calibration, why);
  auto corrected = model ? model::ApplyCalibration(*model, raw, why) : std::nullopt;
  if (!corrected) {
    why = name + ": " + why;
    return std::nullopt;
  }
  corrected->name = raw.name + ", calibrated with " + name;
  return corrected;
}

std::string CalibratedComment(const std::string& name) {
  return "corrected with the calibration " + name +
         ": S11 and S21 as the filter gives them into the analyser's port 2, whose match follows";
}

KitRead ParseKit(std::string_view text, std::string_view name) {
  KitRead read;
  model::CalibrationKit kit;
  read.error = EachLine(
      text, name, [&](int, std::string_view, const auto& words) { return KitLine(words, kit); });
  if (read.error.empty()) read.kit = kit;
  return read;
}

KitRead ReadKitFile(const std::string& path) {
  KitRead read;
  const auto text = ReadLimited(path, read.error);
  if (text) read = ParseKit(*text, std::filesystem::path(path).filename().string());
  return read;
}

}  // namespace diruruzevuv::files
