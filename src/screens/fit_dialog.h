#pragma once

#include <QDialog>

#include "model/design_state.h"
#include "model/fit.h"
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
  QPushButton* cmdClose = nullptr;
};

// Writes the fitted capacitors and inductor Q into the design; the turns
// and AL stay (the turn advice says what to change on the toroids).
void ApplyFittedValues(const model::FitResult& fit, model::DesignState& design);

}  // namespace diruruzevuv::screens
