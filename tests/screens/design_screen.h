#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <string>

#include "../files/test_support.h"
#include "model/session.h"
#include "screens/frm_design.h"
#include "screens/frm_opening.h"
#include "screens/screen_manager.h"
#include "scripted_dialogs.h"

namespace diruruzevuv::testing {

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
