#pragma once

#include <cstdio>
#include <string>

#include "model/notifier.h"

namespace diruruzevuv::cli {

// The command-line tool has no message boxes: messages go to standard
// error, one per line, and the command can ask afterwards whether the
// user was told about a failure.
class StderrNotifier final : public model::Notifier {
 public:
  void Message(const std::string& text) override {
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
    m_shown = true;
  }
  void Beep() override {}  // no bell on a terminal that pipes its output

  bool Shown() const noexcept { return m_shown; }

 private:
  bool m_shown = false;
};

}  // namespace diruruzevuv::cli
