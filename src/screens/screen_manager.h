#pragma once

#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>

#include "model/session.h"
#include "platform/dialogs.h"

class QPrinter;
class QWidget;

namespace diruruzevuv::screens {

class frmOpening;
class frmDesign;
class frmExit;

// Owns the screens and switches between them: one of the opening and
// design screens is up at a time, the exit screen opens modally over the
// design screen. Ending the program goes through the callback given here
// (the program quits its event loop; tests just note it).
class ScreenManager {
 public:
  ScreenManager(model::Session& session, platform::Dialogs& dialogs,
                std::function<void()> endProgram);
  ~ScreenManager();

  ScreenManager(const ScreenManager&) = delete;
  ScreenManager& operator=(const ScreenManager&) = delete;

  // Loads a new opening screen (its start-up sequence runs), shows it and
  // closes whatever screen was up.
  void ShowOpening();
  // Loads a new design screen (layout, band caption, redisplay), shows it
  // and closes whatever screen was up.
  void ShowDesign();
  // The exit screen, modal over the design screen. Returns when it closes.
  void ShowExit();
  // Hides every screen and ends the program; nothing of the screens runs
  // after it. Calling it again does nothing.
  void EndProgram();

  // A screen's window was closed by the user.
  void ScreenClosedByUser();

  frmOpening* Opening() const noexcept;
  frmDesign* Design() const noexcept;
  frmExit* Exit() const noexcept;
  bool Ended() const noexcept { return m_ended; }

  // The exit screen's pause (2 seconds; tests shorten it).
  void SetExitPause(float seconds) noexcept { m_exitPause = seconds; }
  float ExitPause() const noexcept { return m_exitPause; }
  // Whether screens are shown on the display (tests may keep them hidden).
  void SetShowScreens(bool show) noexcept { m_showScreens = show; }
  // Where a screen opened afresh lies from the centre of the display.
  void SetWindowOffset(QPoint offset) noexcept { m_windowOffset = offset; }

  model::Session& Session() noexcept { return m_session; }
  // The printer the design screens print on; it keeps the user's choices
  // (printer, print to file and its folder) for the whole run.
  QPrinter& Printer();
  platform::Dialogs& Dialogs() noexcept { return m_dialogs; }

 private:
  void Retire(QWidget* screen);
  void Present(QWidget* screen, const QWidget* previous);

  model::Session& m_session;
  platform::Dialogs& m_dialogs;
  std::function<void()> m_endProgram;
  QPointer<frmOpening> m_opening;
  QPointer<frmDesign> m_design;
  QPointer<frmExit> m_exit;
  float m_exitPause = 2.0f;
  bool m_showScreens = true;
  QPoint m_windowOffset;
  bool m_ended = false;
  std::unique_ptr<QPrinter> m_printer;
};

}  // namespace diruruzevuv::screens
