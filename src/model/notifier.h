#pragma once

#include <string>

namespace diruruzevuv::model {

// How the core tells the user about a failure. The screens implement it
// with a real message box ("DIRUruzevuv" caption, one OK button); the
// command-line tool prints to standard error; tests record the calls.
class Notifier {
 public:
  virtual ~Notifier() = default;
  virtual void Message(const std::string& text) = 0;
  virtual void Beep() = 0;
};

// Swallows everything; for callers that have nobody to tell.
class SilentNotifier final : public Notifier {
 public:
  void Message(const std::string&) override {}
  void Beep() override {}
};

}  // namespace diruruzevuv::model
