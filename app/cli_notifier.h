#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "files/design_file.h"
#include "model/notifier.h"

namespace diruruzevuv::cli {

// Every write failure of the tool and the report renderer, in one form:
// "diruruzevuv-cli: cannot write filter.asc: No space left on device".
inline void PrintWriteFailure(const model::WriteFailure& failure) {
  std::fprintf(stderr, "diruruzevuv-cli: %s\n", model::CannotWriteText(failure).c_str());
}

// A failure: one line on standard error; exit status 1.
inline int Fail(const std::string& what) {
  std::fprintf(stderr, "diruruzevuv-cli: %s\n", what.c_str());
  return 1;
}

// A command's result on standard output; when it could not all be
// written (a full disk, a closed pipe), says why and gives exit status 1.
inline int WriteOut(const std::string& text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
    return 0;
  return Fail(std::string("cannot write standard output: ") +
              (errno != 0 ? std::strerror(errno) : "it could not all be written"));
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

// Why a design (a file's, or "the built-in design") gave no response, on
// standard error.
inline void PrintUnanalysable(const std::string& what, const std::string& reason) {
  std::fprintf(stderr, "diruruzevuv-cli: %s: cannot be analysed: %s\n", what.c_str(),
               reason.empty() ? "its values are out of the analysis's range" : reason.c_str());
}

// ReadDesignFile, saying in one line what is wrong with a file it could
// not use: "cannot read X: No such file or directory", "X: cannot be
// analysed: L1 has 0 turns", "X: no design values". The program's
// fallback message ("...20-meter band values are being used...") belongs
// on its screen: the tool uses no fallback.
inline bool ReadDesignOrTellWhy(const std::string& path, model::DesignState& design,
                                model::Notifier& notifier) {
  model::SilentNotifier quiet;
  files::DesignReadFailure failure;
  if (files::ReadDesignFile(path, design, quiet, &failure)) return true;
  if (failure.unreadable) {
    notifier.Message("diruruzevuv-cli: cannot read " + path + ": " + failure.reason);
  } else {
    notifier.Message("diruruzevuv-cli: " + path + ": " +
                     (failure.unanalysable ? "cannot be analysed: " : "") + failure.reason);
  }
  return false;
}

}  // namespace diruruzevuv::cli
