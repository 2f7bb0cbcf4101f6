#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "../files/test_support.h"
#include "model/session.h"
#include "screens/frm_design.h"
#include "screens/frm_opening.h"
#include "screens/measurement_control.h"
#include "screens/screen_manager.h"
#include "scripted_dialogs.h"

namespace diruruzevuv::testing {

// While it lives, a dialog or menu still open `limitMs` after its start is
// closed and the test fails, so a fault that leaves one open fails within
// seconds instead of hanging the run.
class ModalGuard {
 public:
  explicit ModalGuard(int limitMs = 3000) {
    m_limit.setSingleShot(true);
    QObject::connect(&m_limit, &QTimer::timeout, [] {
      for (int i = 0; i < 20; ++i) {
        QWidget* up = QApplication::activePopupWidget();
        if (up == nullptr) up = QApplication::activeModalWidget();
        if (up == nullptr) return;
        ADD_FAILURE() << "still open: " << up->metaObject()->className() << " \""
                      << up->windowTitle().toStdString() << "\"";
        if (auto* dialog = qobject_cast<QDialog*>(up)) {
          dialog->reject();
        } else {
          up->close();
        }
      }
    });
    m_limit.start(limitMs);
  }

 private:
  QTimer m_limit;
};

// Runs `open`, which brings up a modal dialog (or a menu), and `act` on it
// once it is up, under a ModalGuard; fails when none came up.
inline void WhileModal(const std::function<void()>& open, const std::function<void(QWidget&)>& act,
                       int limitMs = 3000) {
  bool acted = false;
  QTimer first;
  first.setSingleShot(true);
  QObject::connect(&first, &QTimer::timeout, [&] {
    QWidget* up = QApplication::activePopupWidget();
    if (up == nullptr) up = QApplication::activeModalWidget();
    if (up == nullptr) return;
    acted = true;
    act(*up);
  });
  const ModalGuard guard(limitMs);
  first.start(0);
  open();
  EXPECT_TRUE(acted) << "no dialog came up";
}

// A design screen on a shipped band preset (20 metres unless another
// band button is named; none: the opening screen), its controls found by
// object names; `prepare` may fill the working folder before the start.
class DesignScreen {
 public:
  explicit DesignScreen(const std::function<void(const TempDir&)>& prepare = {},
                        const char* band = "cmd20") {
    session.locations.workDir = dir.path();
    session.locations.dataDir = DIRU_SOURCE_DATA_DIR;
    if (prepare) prepare(dir);
    manager.SetShowScreens(false);
    manager.ShowOpening();
    if (band) {
      Click(band);
      Settle();
    }
  }

  // Lets replaced screens go away, as the event loop would.
  static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  screens::frmDesign& Form() { return *manager.Design(); }

  template <typename T>
  T* Find(const char* name) {
    QWidget* screen = manager.Design() ? static_cast<QWidget*>(manager.Design())
                                       : static_cast<QWidget*>(manager.Opening());
    T* found = screen->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  void Click(const char* button) { Find<QPushButton>(button)->click(); }
  std::string Label(const char* name) { return Find<QLabel>(name)->text().toStdString(); }

  // Runs the plot menu's entry with this text, chosen at the middle of the plot.
  void Choose(const QString& entry) {
    std::unique_ptr<QMenu> menu(Form().Measurement().MenuAt({8500.0, 2000.0}));
    ASSERT_TRUE(menu);
    for (QAction* action : menu->actions()) {
      if (action->text() == entry) {
        ASSERT_TRUE(action->isEnabled()) << entry.toStdString();
        action->trigger();
        return;
      }
    }
    FAIL() << "no entry " << entry.toStdString();
  }

  // Replaces a box's text by typing, as a user does.
  void Type(const char* box, const char* text) {
    QLineEdit* edit = Find<QLineEdit>(box);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(text));
  }

  TempDir dir;
  model::Session session;
  ScriptedDialogs dialogs;
  int endCalls = 0;  // the program's ends
  screens::ScreenManager manager{session, dialogs, [this] { ++endCalls; }};
};

}  // namespace diruruzevuv::testing
