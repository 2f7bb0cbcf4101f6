#include "files/data_folder.h"

#include <fstream>
#include <string>
#include <system_error>

namespace diruruzevuv::files {

namespace fs = std::filesystem;

fs::path ShippedDataFolder(const fs::path& programDir) {
  std::ifstream marker(programDir / kDataFolderMarkerName, std::ios::binary);
  std::string line;
  if (marker && std::getline(marker, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    // A relative entry is taken from the marker's folder.
    if (!line.empty()) return (programDir / fs::path(line)).lexically_normal();
  }
  return (programDir / ".." / "share" / "diruruzevuv").lexically_normal();
}

fs::path RunningProgramFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return self.parent_path();
}

fs::path UserWorkFolder(const char* xdgDataHome, const char* home) {
  // The base directory rules ignore a relative XDG_DATA_HOME.
  if (xdgDataHome != nullptr && fs::path(xdgDataHome).is_absolute())
    return fs::path(xdgDataHome) / "diruruzevuv";
  if (home != nullptr && *home != '\0') return fs::path(home) / ".local" / "share" / "diruruzevuv";
  return {};
}

}  // namespace diruruzevuv::files
