#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "model/notifier.h"

namespace diruruzevuv::platform {

// The common dialogs, message box and beep, as the screens see them.
// Filters use the "description|pattern" form ("DIRUruzevuv files
// (*.TXT)|*.TXT"). A cancelled file dialog returns empty text.
class Dialogs : public model::Notifier {
 public:
  // Message box with one OK button and the caption "DIRUruzevuv".
  void Message(const std::string& text) override { MessageWithTitle(text, "DIRUruzevuv"); }
  void WriteFailed(const model::WriteFailure& failure) override {
    if (failure.beep) Beep();
    MessageWithTitle(model::WriteFailureMessage(failure),
                     failure.title.empty() ? "DIRUruzevuv" : failure.title);
  }
  virtual void MessageWithTitle(const std::string& text, const std::string& title) = 0;
  virtual std::string OpenFile(const std::string& title, const std::string& filter,
                               const std::string& presetName) = 0;
  virtual std::string SaveFile(const std::string& title, const std::string& filter,
                               const std::string& presetName) = 0;
  // A question with Yes and No, captioned "DIRUruzevuv"; true for Yes.
  // Where nobody can answer, the answer is No.
  virtual bool Confirm(const std::string& /*question*/) { return false; }
  // One of the items, or any text typed in their place; empty when
  // cancelled. Where nobody can answer, the answer is the current choice.
  virtual std::string ChooseItem(const std::string& /*title*/, const std::string& /*label*/,
                                 const std::vector<std::string>& /*items*/,
                                 const std::string& current) {
    return current;
  }

  // The folder of the last file chosen in this run (file dialogs and a
  // print to a file); empty before the first.
  const std::string& LastFolder() const noexcept { return m_lastFolder; }
  void RememberFolderOf(const std::string& chosen) {
    if (chosen.empty()) return;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(chosen, error);
    if (!error) m_lastFolder = absolute.parent_path().string();
  }

 private:
  std::string m_lastFolder;
};

}  // namespace diruruzevuv::platform
