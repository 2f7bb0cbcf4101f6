#include "files/file_names.h"

#include <array>
#include <system_error>

namespace diruruzevuv::files {
namespace {

constexpr std::array<std::int16_t, 10> kPresetBands = {10, 12, 15, 17, 20, 30, 40, 60, 80, 160};

}  // namespace

std::string WithDefaultExtension(const std::string& path, std::string_view extension) {
  const std::string name = std::filesystem::path(path).filename().string();
  // A name that is all extension (".TXT") or ends in a folder has none to add to.
  if (name.empty() || name == "." || name == "..") return path;
  if (name.find('.', 1) != std::string::npos) return path;
  return path + std::string(extension);
}

std::int16_t PresetBandAt(const std::string& path, const std::filesystem::path& workDir) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path target = fs::weakly_canonical(fs::absolute(path, error), error);
  if (error) return 0;
  const fs::path folder = fs::weakly_canonical(fs::absolute(workDir, error), error);
  if (error || target.parent_path() != folder) return 0;
  for (const std::int16_t band : kPresetBands)
    if (target.filename() == std::to_string(band) + ".TXT") return band;
  return 0;
}

}  // namespace diruruzevuv::files
