#pragma once

#include <QDialog>

#include "model/circuit/design_state.h"
#include "model/measurement/fit.h"
#include "model/session.h"

class QPlainTextEdit;
class QPushButton;

namespace diruruzevuv::screens {

// The fit of the built values: the table per part, the turn advice, the
// residual and the verdict. Accepted only through "Use fitted capacitors
// and Q", the one way the fit changes the design.
class FitDialog final : public QDialog {
  Q_OBJECT

 public:
  FitDialog(const model::Session& session, const model::FitResult& fit,
            const model::FitOptions& options, QWidget* parent = nullptr);

  QPlainTextEdit* table = nullptr;
  QPushButton* cmdUse = nullptr;
  // Also sets the whole turns at the design's AL nearest the fitted
  // inductances (the dialog says how close those come).
  QPushButton* cmdUseTurns = nullptr;
  // The dialog's result when cmdUseTurns was pressed.
  static constexpr int kUseWithTurns = 2;
  QPushButton* cmdClose = nullptr;
};


}  // namespace diruruzevuv::screens
