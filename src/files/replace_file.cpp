#include "files/replace_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace diruruzevuv::files {

std::string TemporaryPathFor(const std::string& path) {
  return path + ".diru-new";
}

bool ReplaceFileContents(const std::string& path, std::string_view text) {
  if (path.empty()) return false;
  const std::filesystem::path target(path);
  const std::filesystem::path staging(TemporaryPathFor(path));
  std::error_code ignored;
  bool written = false;
  {
    std::ofstream out(staging, std::ios::binary | std::ios::trunc);
    if (out) {
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      out.flush();
      written = static_cast<bool>(out);
      out.close();
      written = written && !out.fail();
    }
  }
  if (written) {
    std::error_code error;
    std::filesystem::rename(staging, target, error);
    if (!error) return true;
  }
  // Only remove what we created: a directory in the way is left alone.
  if (std::filesystem::is_regular_file(staging, ignored)) {
    std::filesystem::remove(staging, ignored);
  }
  return false;
}

}  // namespace diruruzevuv::files
