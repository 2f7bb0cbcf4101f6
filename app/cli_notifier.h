#pragma once

#include <cstdio>
#include <string>

#include "model/notifier.h"

namespace diruruzevuv::cli {

// The command-line tool's way of telling the user: messages go to standard
// error, one a line; a beep has no place there. Remembers whether anything
// was said, so a command can turn a reported failure into its exit status.
class StderrNotifier final : public model::Notifier {
 public:
  void Message(const std::string& text) override {
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
    m_told = true;
  }
  void Beep() override {}
  bool Told() const noexcept { return m_told; }

 private:
  bool m_told = false;
};

}  // namespace diruruzevuv::cli
