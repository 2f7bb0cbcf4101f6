#pragma once

#include <string>

#include "model/circuit/design_state.h"
#include "model/session.h"
#include "platform/dialogs.h"

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
class QuietDialogs final : public platform::Dialogs {
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

}  // namespace diruruzevuv::bench
