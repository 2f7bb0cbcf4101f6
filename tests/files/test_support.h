#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "files/design_file.h"
#include "model/notifier.h"

namespace diruruzevuv::testing {

// Remembers every message and beep ("<beep>") in the order they came.
struct RecordingNotifier final : model::Notifier {
  void Message(const std::string& text) override { events.push_back(text); }
  void Beep() override { events.push_back("<beep>"); }
  std::vector<std::string> events;
};

// A fresh folder under the system's temporary directory, removed with its contents.
struct TempDir {
  ~TempDir() { std::filesystem::remove_all(m_path, m_ignored); }
  const std::filesystem::path& path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
  std::string m_template = std::filesystem::temp_directory_path() / "diru-test-XXXXXX";
  std::filesystem::path m_path = ::mkdtemp(m_template.data());
  std::error_code m_ignored;
};

inline void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Joins lines with CR LF (or another line end), the way the program writes files.
inline std::string CrLf(const std::vector<std::string>& lines, const char* end = "\r\n") {
  std::string text;
  for (const auto& line : lines) text += line + end;
  return text;
}

// The built-in design with a change, inductances brought up to date.
inline model::DesignState Design(void (*change)(model::DesignState&) = [](model::DesignState&) {}) {
  model::DesignState d;
  model::ApplyDefaultDesign(d);
  change(d);
  model::UpdateInductances(d);
  return d;
}

// A 40-metre design, different from the built-in one in every field.
inline void Forty(model::DesignState& d) {
  d.C47 = 3.9e-10f, d.TurnsL2 = 19, d.C48 = 8.2e-10f, d.TurnsL1 = 16, d.C92 = 1.5e-10f;
  d.C49 = 4.7e-10f, d.LowerEdge = 7.0e6f, d.UpperEdge = 7.3e6f, d.SweepStart = 2.4e6f;
  d.SweepStop = 2.6e7f, d.ToroidAL = 4.9f, d.InputTermination = d.LoadTermination = 75.25f;
  d.Band = 40;
}

// The lines of Forty as a design file, with changes.
inline std::vector<std::string> FortyLines(const std::string& title,
                                           const std::map<std::size_t, std::string>& edits = {}) {
  std::string text = files::DesignText(Design(Forty), files::FileKind::kDesign, title, "x");
  std::vector<std::string> lines;
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos; text.erase(0, at + 2))
    lines.push_back(text.substr(0, at));
  for (const auto& [index, edited] : edits) lines[index] = edited;
  return lines;
}

// Same values to the seven significant digits a file carries.
inline void ExpectSameDesign(const model::DesignState& got, const model::DesignState& want) {
  EXPECT_EQ(files::DesignText(got, files::FileKind::kDesign, "", ""),
            files::DesignText(want, files::FileKind::kDesign, "", ""));
  EXPECT_EQ(got.LoadTermination, got.InputTermination);
  EXPECT_EQ(std::pair(got.L1, got.L2), std::pair(want.L1, want.L2));
}

}  // namespace diruruzevuv::testing
