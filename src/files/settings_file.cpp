#include "files/settings_file.h"

#include <fstream>
#include <sstream>

#include "files/replace_file.h"

namespace diruruzevuv::files {
namespace {

// A value or key must stay on its line and keep the "=" unambiguous.
std::string OneLine(std::string_view text, bool isKey) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f || (isKey && c == '=')) continue;
    out += c;
  }
  return out;
}

}  // namespace

std::string ProgramSettings::Get(std::string_view key, std::string_view fallback) const {
  const auto it = values.find(key);
  return it == values.end() ? std::string(fallback) : it->second;
}

void ProgramSettings::Set(std::string_view key, std::string_view value) {
  const std::string k = OneLine(key, true);
  if (!k.empty()) values[k] = OneLine(value, false);
}

std::string SettingsText(const ProgramSettings& settings) {
  std::string out = "* DIRUruzevuv settings: build sheet and analyser choices\r\n";
  for (const auto& [key, value] : settings.values) out += key + "=" + value + "\r\n";
  return out;
}

ProgramSettings ParseSettings(std::string_view text) {
  ProgramSettings settings;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    if (line.empty() || line.front() == '*' || equals == std::string_view::npos || equals == 0) {
      continue;
    }
    settings.Set(line.substr(0, equals), line.substr(equals + 1));
  }
  return settings;
}

ProgramSettings ReadSettingsFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  // A settings file is a few lines; anything larger is not ours.
  constexpr std::streamsize kMaxBytes = 1 << 20;
  std::string text(static_cast<std::size_t>(kMaxBytes), '\0');
  in.read(text.data(), kMaxBytes);
  text.resize(static_cast<std::size_t>(in.gcount()));
  return ParseSettings(text);
}

bool UpdateSettingsFile(const std::filesystem::path& path, const ProgramSettings& changes,
                        std::string* why) {
  ProgramSettings settings = ReadSettingsFile(path);
  for (const auto& [key, value] : changes.values) settings.values[key] = value;
  return ReplaceFileContents(path.string(), SettingsText(settings), why);
}

}  // namespace diruruzevuv::files
