#include "platform/turns_spinner.h"

#include <QLineEdit>
#include <QResizeEvent>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "notation/leading_number.h"

namespace diruruzevuv::platform {

int ReadWholeNumber(std::string_view text) noexcept {
  const double value = notation::LeadingNumber(text);
  if (std::isnan(value)) return 0;
  return static_cast<int>(notation::RoundHalfEven(std::clamp(value, -32768.0, 32767.0)));
}

TurnsSpinner::TurnsSpinner(QWidget* parent) : QWidget(parent) {
  m_up = new QToolButton(this);
  m_up->setArrowType(Qt::UpArrow);
  m_up->setObjectName(QStringLiteral("up"));
  m_up->setAutoRepeat(true);
  m_down = new QToolButton(this);
  m_down->setArrowType(Qt::DownArrow);
  m_down->setObjectName(QStringLiteral("down"));
  m_down->setAutoRepeat(true);
  connect(m_up, &QToolButton::clicked, this, [this] { Step(+1); });
  connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TurnsSpinner::Attach(QLineEdit* buddy) {
  m_buddy = buddy;
}

void TurnsSpinner::Step(int delta) {
  if (!m_buddy) return;
  const int current = ReadWholeNumber(m_buddy->text().toStdString());
  const int next = std::clamp(current + delta, kMinimum, kMaximum);
  if (next == current) {
    emit stoppedAtLimit();
    return;
  }
  m_buddy->setText(QString::number(next));
  emit changed();
}

void TurnsSpinner::resizeEvent(QResizeEvent* event) {
  const int w = event->size().width();
  const int h = event->size().height();
  m_up->setGeometry(0, 0, w, h / 2);
  m_down->setGeometry(0, h / 2, w, h - h / 2);
  QWidget::resizeEvent(event);
}

}  // namespace diruruzevuv::platform
