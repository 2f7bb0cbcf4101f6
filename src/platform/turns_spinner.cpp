#include "platform/turns_spinner.h"

#include <QLineEdit>
#include <QResizeEvent>
#include <QToolButton>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace diruruzevuv::platform {

int ReadWholeNumber(std::string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  // Only the plain decimal form: sign, digits, point, digits, exponent.
  std::size_t end = i;
  if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
  const std::size_t digitsStart = end;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  if (end < text.size() && text[end] == '.') {
    ++end;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  }
  if (end == digitsStart || (end == digitsStart + 1 && text[digitsStart] == '.')) return 0;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t exp = end + 1;
    if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
    const std::size_t expDigits = exp;
    while (exp < text.size() && text[exp] >= '0' && text[exp] <= '9') ++exp;
    if (exp > expDigits) end = exp;
  }
  std::string number(text.substr(i, end - i));
  if (!number.empty() && number[0] == '+') number.erase(0, 1);
  double value = 0.0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec != std::errc()) {
    if (result.ec == std::errc::result_out_of_range) {
      return number[0] == '-' ? -32768 : 32767;
    }
    return 0;
  }
  const double rounded = std::nearbyint(value);  // default rounding: half to even
  return static_cast<int>(std::clamp(rounded, -32768.0, 32767.0));
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
  connect(m_up, &QToolButton::clicked, this, &TurnsSpinner::StepUp);
  connect(m_down, &QToolButton::clicked, this, &TurnsSpinner::StepDown);
}

void TurnsSpinner::Attach(QLineEdit* buddy) {
  m_buddy = buddy;
}

void TurnsSpinner::SetRange(int minimum, int maximum) noexcept {
  m_minimum = std::min(minimum, maximum);
  m_maximum = std::max(minimum, maximum);
}

void TurnsSpinner::StepUp() {
  Step(+1);
}
void TurnsSpinner::StepDown() {
  Step(-1);
}

void TurnsSpinner::Step(int delta) {
  if (!m_buddy) return;
  const int current = ReadWholeNumber(m_buddy->text().toStdString());
  const int next = std::clamp(current + delta, m_minimum, m_maximum);
  if (next == current) return;
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
