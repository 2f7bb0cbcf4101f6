#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace diruruzevuv::files {

// The path with the extension (".TXT") added when its file name has none,
// as a save dialog would: "design" becomes "design.TXT", "design.old"
// and "design.TXT" stay as they are.
std::string WithDefaultExtension(const std::string& path, std::string_view extension);

// The band whose preset file the path names in the working folder ("40.TXT"
// there, however the path is written, gives 40), or 0 when it names none.
std::int16_t PresetBandAt(const std::string& path, const std::filesystem::path& workDir);

}  // namespace diruruzevuv::files
