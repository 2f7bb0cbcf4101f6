#pragma once

#include <QCoreApplication>
#include <string>

#include "model/circuit/design_state.h"
#include "model/session.h"
#include "platform/dialogs.h"
#include "screens/frm_design.h"
#include "screens/screen_manager.h"

namespace diruruzevuv::bench {

// The built-in 20-metre design with the shipped defaults' Q values and plot
// settings, as the design screen would show it.
inline model::Session TwentyMetreSession() {
  model::Session session;
  model::ApplyDefaultDesign(session.design);
  session.design.InductorQ = 200.0f;
  session.design.CapacitorQ = 2000.0f;
  session.defaults = {-20.0f, -35.0f, -35.0f, 1.01f, 6, -60.0f};
  return session;
}

// Dialogs that show nothing and answer every file question with "cancel".
class QuietDialogs : public platform::Dialogs {
 public:
  void MessageWithTitle(const std::string&, const std::string&) override {}
  void Beep() override {}
  std::string OpenFile(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::string SaveFile(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
};

// The design screen shown at 1600 x 1200, drawn once.
inline screens::frmDesign& ShowDesignScreen(screens::ScreenManager& manager) {
  manager.SetShowScreens(false);
  manager.ShowDesign();
  screens::frmDesign& form = *manager.Design();
  form.resize(1600, 1200);
  form.show();
  QCoreApplication::processEvents();
  return form;
}

}  // namespace diruruzevuv::bench
