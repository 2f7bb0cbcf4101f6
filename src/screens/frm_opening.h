#pragma once

#include <QLabel>
#include <QPushButton>
#include <array>
#include <cstdint>

#include "model/session.h"
#include "platform/dialogs.h"
#include "platform/grid_form.h"

class QCloseEvent;

namespace diruruzevuv::screens {

class ScreenManager;

// The screen the program starts with: title, version, credit, the
// schematic, and the column of ways into a design (ten band buttons,
// "Last session", "Design Wizard", "Get old").
class frmOpening final : public platform::GridForm {
  Q_OBJECT

 public:
  // The bands of the button column, top to bottom.
  static constexpr std::array<std::int16_t, 10> kBands = {10, 12, 15, 17, 20, 30, 40, 60, 80, 160};

  // Runs the start-up sequence: constants, global defaults, schematic,
  // the last-session probe, layout and captions.
  frmOpening(model::Session& session, platform::Dialogs& dialogs, ScreenManager& manager);
  ~frmOpening() override;

  // Draws the filter on this screen (moved right and down, width 2).
  void Schematic();

  // The controls, by their names.
  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblCredit = nullptr;
  QLabel* lblWebsite = nullptr;
  QPushButton* cmd10 = nullptr;
  QPushButton* cmd12 = nullptr;
  QPushButton* cmd15 = nullptr;
  QPushButton* cmd17 = nullptr;
  QPushButton* cmd20 = nullptr;
  QPushButton* cmd30 = nullptr;
  QPushButton* cmd40 = nullptr;
  QPushButton* cmd60 = nullptr;
  QPushButton* cmd80 = nullptr;
  QPushButton* cmd160 = nullptr;
  QPushButton* cmdLast = nullptr;
  QPushButton* cmdWizard = nullptr;
  QPushButton* cmdGetOld = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void cmdBand_Click(std::int16_t band);
  void cmdLast_Click();
  void cmdGetOld_Click();
  void cmdWizard_Click();

  model::Session& m_session;
  platform::Dialogs& m_dialogs;
  ScreenManager& m_manager;
};

}  // namespace diruruzevuv::screens
