#include "screens/tuning_window.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace diruruzevuv::screens {

TuningWindow::TuningWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("DIRUruzevuv - Tuning advice"));
  setObjectName(QStringLiteral("frmTuning"));
  setModal(false);
  lblStatus = new QLabel(QStringLiteral("Waiting for the first sweep..."), this);
  lblStatus->setObjectName(QStringLiteral("lblTuningStatus"));
  txtAdvice = new QPlainTextEdit(this);
  txtAdvice->setObjectName(QStringLiteral("txtTuning"));
  txtAdvice->setReadOnly(true);
  txtAdvice->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtAdvice->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  cmdClose = new QPushButton(QStringLiteral("Close"), this);
  cmdClose->setObjectName(QStringLiteral("cmdCloseTuning"));
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblStatus);
  layout->addWidget(txtAdvice);
  layout->addLayout(buttons);
  const QFontMetrics metrics(txtAdvice->font());
  resize(metrics.horizontalAdvance(QString(90, QLatin1Char('0'))) + 60,
         metrics.lineSpacing() * 18 + 100);
}

void TuningWindow::PlaceBeside(const QWidget& form) {
  const QRect beside = form.frameGeometry();
  const QRect room = form.screen()->availableGeometry();
  const QSize size = frameGeometry().size();
  QPoint at(beside.right() + 1, beside.top());
  if (at.x() + size.width() > room.right()) at.setX(beside.left() - size.width());
  if (at.x() < room.left()) at = room.topLeft();
  move(at);
}

void TuningWindow::ShowAdvice(const std::string& text) {
  txtAdvice->setPlainText(QString::fromStdString(text));
}

void TuningWindow::ShowStatus(const std::string& text) {
  lblStatus->setText(QString::fromStdString(text));
}

}  // namespace diruruzevuv::screens
