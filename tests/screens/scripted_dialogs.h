#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace diruruzevuv::testing {

// Dialogs for the screen tests: file dialogs answer from a script (empty
// text, as a cancelled dialog, when the script has run out) and every
// message, beep and dialog request is recorded.
class ScriptedDialogs final : public platform::Dialogs {
 public:
  struct Request {
    std::string kind;  // "open" or "save"
    std::string title;
    std::string filter;
    std::string presetName;
  };

  void MessageWithTitle(const std::string& text, const std::string& title) override {
    messages.push_back(text);
    titles.push_back(title);
    events.push_back(text);
  }
  void Beep() override {
    ++beeps;
    events.push_back("<beep>");
  }
  std::string OpenFile(const std::string& title, const std::string& filter,
                       const std::string& presetName) override {
    requests.push_back({"open", title, filter, presetName});
    return Next();
  }
  std::string SaveFile(const std::string& title, const std::string& filter,
                       const std::string& presetName) override {
    requests.push_back({"save", title, filter, presetName});
    return Next();
  }

  std::deque<std::string> answers;
  std::vector<std::string> messages;
  std::vector<std::string> titles;
  std::vector<std::string> events;
  std::vector<Request> requests;
  int beeps = 0;

 private:
  std::string Next() {
    if (answers.empty()) return {};
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace diruruzevuv::testing
