#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace diruruzevuv::testing {

// Dialogs for the screen tests: file dialogs answer from `answers` (empty,
// as a cancelled dialog, once it has run out); messages and beeps are kept.
class ScriptedDialogs final : public platform::Dialogs {
 public:
  void MessageWithTitle(const std::string& text, const std::string& title) override {
    messages.push_back(text);
    titles.push_back(title);
  }
  void Beep() override { ++beeps; }
  std::string OpenFile(const std::string&, const std::string&, const std::string&) override {
    return Next();
  }
  std::string SaveFile(const std::string&, const std::string&, const std::string&) override {
    return Next();
  }

  // The next answer when one is queued, else the current choice.
  std::string ChooseItem(const std::string&, const std::string&, const std::vector<std::string>&,
                         const std::string& current) override {
    return answers.empty() ? current : Next();
  }

  bool Confirm(const std::string& question) override {
    questions.push_back(question);
    return confirm;
  }

  std::deque<std::string> answers;
  std::vector<std::string> questions;
  bool confirm = false;
  std::vector<std::string> messages;
  std::vector<std::string> titles;
  int beeps = 0;

 private:
  std::string Next() {
    std::string answer = answers.empty() ? "" : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
};

}  // namespace diruruzevuv::testing
