#include "files/line_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace diruruzevuv::files {

std::optional<std::string_view> LineReader::NextValueLine() noexcept {
  while (m_pos < m_text.size()) {
    const std::size_t end = m_text.find_first_of("\r\n", m_pos);
    std::string_view line;
    if (end == std::string_view::npos) {
      line = m_text.substr(m_pos);
      m_pos = m_text.size();
    } else {
      line = m_text.substr(m_pos, end - m_pos);
      m_pos = end + 1;
      if (m_text[end] == '\r' && m_pos < m_text.size() && m_text[m_pos] == '\n') ++m_pos;
    }
    if (line.empty() || line.front() == '*') continue;
    const std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? line : line.substr(colon + 1);
  }
  return std::nullopt;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return text;
}

std::string WhyUnreadable(const std::filesystem::path& path) {
  std::error_code error;
  const auto type = std::filesystem::status(path, error).type();
  if (type == std::filesystem::file_type::directory) return std::strerror(EISDIR);
  // Opening a pipe or a device to ask why would wait for a writer.
  if (std::filesystem::exists(std::filesystem::file_status(type)) &&
      type != std::filesystem::file_type::regular)
    return "not a regular file";
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::strerror(errno);
  std::fclose(file);
  return "it could not be read";
}

}  // namespace diruruzevuv::files
