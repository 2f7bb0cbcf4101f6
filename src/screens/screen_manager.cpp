#include "screens/screen_manager.h"

#include <QPrinter>
#include <QWidget>
#include <utility>

#include "screens/frm_design.h"
#include "screens/frm_exit.h"
#include "screens/frm_opening.h"

namespace diruruzevuv::screens {

ScreenManager::ScreenManager(model::Session& session, platform::Dialogs& dialogs,
                             std::function<void()> endProgram)
    : m_session(session), m_dialogs(dialogs), m_endProgram(std::move(endProgram)) {}

ScreenManager::~ScreenManager() {
  // Deleting (not closing) the screens: no close handler runs.
  delete m_exit.data();
  delete m_design.data();
  delete m_opening.data();
}

frmOpening* ScreenManager::Opening() const noexcept {
  return m_opening.data();
}
frmDesign* ScreenManager::Design() const noexcept {
  return m_design.data();
}
frmExit* ScreenManager::Exit() const noexcept {
  return m_exit.data();
}

void ScreenManager::Present(QWidget* screen, const QWidget* previous) {
  if (!m_showScreens) return;
  auto* form = qobject_cast<platform::GridForm*>(screen);
  if (previous && previous->isVisible() && !previous->isMinimized()) {
    // The next screen takes the place and size the user gave the last one.
    screen->setGeometry(previous->geometry());
    screen->show();
  } else if (form) {
    form->ShowComfortably(m_windowOffset);
  } else {
    screen->show();
  }
}

// A screen that another replaces is hidden (no close handler runs, so the
// program does not end) and deleted once its own handler has returned.
void ScreenManager::Retire(QWidget* screen) {
  if (!screen) return;
  screen->hide();
  screen->deleteLater();
}

void ScreenManager::ShowOpening() {
  if (m_ended) return;
  QWidget* previous[] = {m_opening.data(), m_design.data()};
  m_opening = new frmOpening(m_session, m_dialogs, *this);
  Present(m_opening, previous[1] ? previous[1] : previous[0]);
  for (QWidget* screen : previous) Retire(screen);
  m_design = nullptr;
}

void ScreenManager::ShowDesign() {
  if (m_ended) return;
  QWidget* previous[] = {m_opening.data(), m_design.data()};
  m_design = new frmDesign(m_session, m_dialogs, *this);
  Present(m_design, previous[0] ? previous[0] : previous[1]);
  for (QWidget* screen : previous) Retire(screen);
  m_opening = nullptr;
}

void ScreenManager::ShowExit() {
  if (m_ended || m_exit) return;
  frmDesign* parent = m_design.data();
  // The exit screen sizes itself against the display; here the design
  // screen's layout area stands for it, as it does for the other screens.
  QSize display(1200, 900);
  if (parent) {
    const double scale = parent->Geometry().PixelsPerUnit();
    display = QSize(static_cast<int>(platform::ScreenGeometry::kGridWidth * scale),
                    static_cast<int>(platform::ScreenGeometry::kGridHeight * scale));
  }
  frmExit dialog(m_session, m_dialogs, *this, display, parent);
  m_exit = &dialog;
  if (parent) {
    dialog.move(parent->geometry().center() - QPoint(dialog.width() / 2, dialog.height() / 2));
  }
  dialog.exec();
  m_exit = nullptr;
}

void ScreenManager::EndProgram() {
  if (m_ended) return;
  m_ended = true;
  for (QWidget* screen :
       {static_cast<QWidget*>(m_opening.data()), static_cast<QWidget*>(m_design.data())}) {
    if (screen) screen->hide();
  }
  if (m_endProgram) m_endProgram();
}

void ScreenManager::ScreenClosedByUser() {
  EndProgram();
}

QPrinter& ScreenManager::Printer() {
  if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *m_printer;
}

}  // namespace diruruzevuv::screens
