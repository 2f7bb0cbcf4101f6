#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace diruruzevuv::files {

// The program's own settings (the build sheet's choices, the analyser's
// port), kept in the working folder apart from the design and last-session
// files, whose layouts stay as they are.
inline constexpr const char* kSettingsFileName = "DIRUruzevuvSettings.TXT";

// Keys are dotted names ("buildsheet.core", "analyser.port"); values are
// one line of text.
struct ProgramSettings {
  std::map<std::string, std::string, std::less<>> values;
  std::string Get(std::string_view key, std::string_view fallback = {}) const;
  void Set(std::string_view key, std::string_view value);
};

// "* comment" lines, then "key=value" lines ending in CR LF, sorted by key.
std::string SettingsText(const ProgramSettings& settings);
ProgramSettings ParseSettings(std::string_view text);

// A missing or unreadable file gives empty settings: every choice then has
// its default. Lines that are not key=value are skipped.
ProgramSettings ReadSettingsFile(const std::filesystem::path& path);
// Sets the keys of `changes` on a fresh read of the file, just before the
// safe writer writes it back: every other key stays as the file has it
// now, so two running copies never revert each other's choices. False
// with why set (when given) on failure.
bool UpdateSettingsFile(const std::filesystem::path& path, const ProgramSettings& changes,
                        std::string* why = nullptr);

}  // namespace diruruzevuv::files
