#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "model/notifier.h"

namespace diruruzevuv::testing {

// Remembers every message and beep in the order they came.
class RecordingNotifier final : public model::Notifier {
 public:
  void Message(const std::string& text) override { events.push_back(text); }
  void Beep() override { events.push_back("<beep>"); }
  std::vector<std::string> events;
};

// A fresh folder under the system's temporary directory, removed again
// with everything in it.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() /
             ("diru-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

inline void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Joins lines with CR LF, the way the program writes files.
inline std::string CrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace diruruzevuv::testing
