#pragma once

#include <filesystem>
#include <string_view>

namespace diruruzevuv::files {

// Name of the small file the build writes next to its executables. It holds
// the path of the source tree's data folder, relative to the file's own
// folder, so that a program run from the build folder finds the presets it
// was built with. An installation has no such file.
inline constexpr const char* kDataFolderMarkerName = "diruruzevuv-data-folder";

// Where the shipped band presets and global defaults are for an executable
// in programDir: the folder the build's marker names, otherwise
// ../share/diruruzevuv as installed. Nothing is compiled in, so an
// installation works from any prefix.
std::filesystem::path ShippedDataFolder(const std::filesystem::path& programDir);

// The folder of the running executable, from /proc/self/exe; empty when the
// system does not say.
std::filesystem::path RunningProgramFolder();

// The per-user working folder of a start from the desktop menu:
// $XDG_DATA_HOME/diruruzevuv, with ~/.local/share when XDG_DATA_HOME is
// unset, empty or not absolute. Empty when neither variable helps. Null
// pointers stand for unset variables.
std::filesystem::path UserWorkFolder(const char* xdgDataHome, const char* home);

}  // namespace diruruzevuv::files
