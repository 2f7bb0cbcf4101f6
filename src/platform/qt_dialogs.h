#pragma once

#include <QString>
#include <QWidget>
#include <string>

#include "platform/dialogs.h"

namespace diruruzevuv::platform {

// "DIRUruzevuv files (*.TXT)|*.TXT" -> "DIRUruzevuv files (*.TXT)": Qt wants
// "description (patterns)" entries separated by ";;". A description that
// does not show its pattern gets it appended in brackets; ";" between
// patterns becomes a blank.
QString TranslateFilter(const std::string& filter);

// Message boxes, beep and file dialogs on Qt. Dialogs are parented to the
// active window so that they open over the screen that asked.
class QtDialogs final : public Dialogs {
 public:
  void MessageWithTitle(const std::string& text, const std::string& title) override;
  void Beep() override;
  std::string OpenFile(const std::string& title, const std::string& filter,
                       const std::string& presetName) override;
  std::string SaveFile(const std::string& title, const std::string& filter,
                       const std::string& presetName) override;
  bool Confirm(const std::string& question) override;
  std::string ChooseItem(const std::string& title, const std::string& label,
                         const std::vector<std::string>& items,
                         const std::string& current) override;

  // Where a file dialog starts: a bare preset name (or none) in the folder
  // where the last file dialog of this run ended.
  QString StartPath(const std::string& presetName) const;
  void Remember(const QString& chosen);
};

}  // namespace diruruzevuv::platform
