#include "screens/fit_dialog.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/measurement/fitted_response.h"
#include "model/measurement/measurement_text.h"

namespace diruruzevuv::screens {

FitDialog::FitDialog(const model::Session& session, const model::FitResult& fit,
                     const model::FitOptions& options, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("DIRUruzevuv - Fit of the built filter"));
  setObjectName(QStringLiteral("frmFit"));
  std::string text;
  if (session.measurement) {
    text += "Measured: " +
            model::MeasurementSummary(
                [&] {
                  model::MeasuredNetwork asRead = session.measurement->network;
                  asRead.referenceOhms = session.measurement->measuredOhms;
                  return asRead;
                }(),
                session.design.InputTermination) +
            "\n";
  }
  text += model::FitTable(fit, options);
  if (fit.done)
    text += model::WholeTurnsText(model::WholeTurnsAtDesignAL(fit, session.design), session.design) +
            "\n";
  table = new QPlainTextEdit(QString::fromStdString(text), this);
  table->setObjectName(QStringLiteral("txtFit"));
  table->setReadOnly(true);
  table->setLineWrapMode(QPlainTextEdit::NoWrap);
  table->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  cmdUse = new QPushButton(QStringLiteral("Use fitted capacitors and Q"), this);
  cmdUse->setObjectName(QStringLiteral("cmdUse"));
  cmdUse->setEnabled(fit.done && !fit.poor);
  cmdUseTurns = new QPushButton(QStringLiteral("Use fitted values and whole turns"), this);
  cmdUseTurns->setObjectName(QStringLiteral("cmdUseTurns"));
  cmdUseTurns->setEnabled(cmdUse->isEnabled());
  connect(cmdUseTurns, &QPushButton::clicked, this, [this] { done(kUseWithTurns); });
  cmdClose = new QPushButton(QStringLiteral("Close"), this);
  cmdClose->setObjectName(QStringLiteral("cmdClose"));
  cmdClose->setDefault(true);
  connect(cmdUse, &QPushButton::clicked, this, &QDialog::accept);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdUse);
  buttons->addWidget(cmdUseTurns);
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table);
  layout->addLayout(buttons);
  const QFontMetrics metrics(table->font());
  resize(metrics.horizontalAdvance(QString(96, QLatin1Char('0'))) + 60,
         metrics.lineSpacing() * 22 + 80);
}

}  // namespace diruruzevuv::screens
