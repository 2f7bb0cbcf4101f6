#pragma once

#include <cstdio>
#include <string>

#include "files/design_file.h"
#include "model/notifier.h"

namespace diruruzevuv::cli {

// Every write failure of the tool and the report renderer, in one form:
// "diruruzevuv-cli: cannot write filter.asc: No space left on device".
inline void PrintWriteFailure(const model::WriteFailure& failure) {
  std::fprintf(stderr, "diruruzevuv-cli: %s\n", model::CannotWriteText(failure).c_str());
}

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
  void WriteFailed(const model::WriteFailure& failure) override {
    PrintWriteFailure(failure);
    m_told = true;
  }
  bool Told() const noexcept { return m_told; }

 private:
  bool m_told = false;
};

// Why a design gave no response, on standard error.
inline void PrintUnanalysable(const std::string& reason) {
  std::fprintf(stderr, "diruruzevuv-cli: the design cannot be analysed: %s\n",
               reason.empty() ? "its values are out of the analysis's range" : reason.c_str());
}

// ReadDesignFile, and on a design that cannot be analysed the reason too.
inline bool ReadDesignOrTellWhy(const std::string& path, model::DesignState& design,
                                model::Notifier& notifier) {
  std::string reason;
  if (files::ReadDesignFile(path, design, notifier, &reason)) return true;
  if (!reason.empty()) PrintUnanalysable(reason);
  return false;
}

}  // namespace diruruzevuv::cli
