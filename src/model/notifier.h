#pragma once

#include <string>
#include <utility>

namespace diruruzevuv::model {

// A file that could not be written.
struct WriteFailure {
  WriteFailure(std::string message_, std::string file_, std::string reason_,
               std::string title_ = {}, bool beep_ = true)
      : message(std::move(message_)),
        file(std::move(file_)),
        reason(std::move(reason_)),
        title(std::move(title_)),
        beep(beep_) {}
  std::string message;  // the screen's own text ("The file was not written correctly.")
  std::string file;     // as the user named it
  std::string reason;   // "No space left on device"
  std::string title;    // of the message box; empty: the program's own
  bool beep = true;
};

// "cannot write filter.asc: No space left on device": the one wording of
// every write failure, on the command line and as the second line on the
// screens (there with a capital).
inline std::string CannotWriteText(const WriteFailure& failure, bool capital = false) {
  return std::string(capital ? "Cannot" : "cannot") + " write " + failure.file + ": " +
         failure.reason;
}

// The screens' form: their own text, and the file and reason below it.
inline std::string WriteFailureMessage(const WriteFailure& failure) {
  const std::string line = CannotWriteText(failure, true);
  return failure.message.empty() ? line : failure.message + "\r\n" + line;
}

// How the core tells the user about a failure. The screens implement it
// with a real message box ("DIRUruzevuv" caption, one OK button); the
// command-line tool prints to standard error; tests record the calls.
class Notifier {
 public:
  virtual ~Notifier() = default;
  virtual void Message(const std::string& text) = 0;
  virtual void Beep() = 0;
  // The message with a second line naming the file and the reason.
  virtual void WriteFailed(const WriteFailure& failure) {
    if (failure.beep) Beep();
    Message(WriteFailureMessage(failure));
  }
};

// Swallows everything; for callers that have nobody to tell.
class SilentNotifier final : public Notifier {
 public:
  void Message(const std::string&) override {}
  void Beep() override {}
};

}  // namespace diruruzevuv::model
