#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSize>

#include "model/session.h"
#include "platform/dialogs.h"

namespace diruruzevuv::screens {

class ScreenManager;

// The confirmation between the design screen and the end of the program.
// "Exit / Quit" writes the last-session file, says so, pauses and ends
// the program; "Cancel / Continue" goes back to the design screen.
class frmExit final : public QDialog {
  Q_OBJECT

 public:
  // `display` is the area the screen sizes itself against (the design
  // window, standing for the display, or the screen).
  frmExit(model::Session& session, platform::Dialogs& dialogs, ScreenManager& manager,
          QSize display, QWidget* parent = nullptr);
  ~frmExit() override;

  QLabel* Label1 = nullptr;
  QPushButton* cmdCancel = nullptr;
  QPushButton* cmdExit = nullptr;

 private:
  void cmdCancel_Click();
  void cmdExit_Click();

  model::Session& m_session;
  platform::Dialogs& m_dialogs;
  ScreenManager& m_manager;
};

}  // namespace diruruzevuv::screens
