#include "platform/grid_form.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>

namespace diruruzevuv::platform {

GridForm::GridForm(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_surface.SetChangedCallback([this] { update(); });
  m_surface.SetFontSize(ScreenGeometry::FontPoints(kScreenFontFactor));
  m_settle.setSingleShot(true);
  m_settle.setInterval(150);
  connect(&m_settle, &QTimer::timeout, this, &GridForm::Settled);
  const QSize first = ScreenGeometry::ComfortableWindowSize(screen());
  resize(first);
  FitTo(first);
}

GridForm::~GridForm() = default;

void GridForm::Place(QWidget* control, double left, double top, double width, double height,
                     double fontFactor, const QString& family) {
  m_geometry.Place(control, left, top, width, height, fontFactor, family);
}

void GridForm::ShowComfortably(QPoint offset) {
  const QScreen* current = screen() ? screen() : QGuiApplication::primaryScreen();
  const QSize size = ScreenGeometry::ComfortableWindowSize(current);
  resize(size);
  if (current) {
    const QRect available = current->availableGeometry();
    move(available.center() - QPoint(size.width() / 2, size.height() / 2) + offset);
  }
  show();
}

std::vector<ScreenGeometry::TextNeed> GridForm::CaptionNeeds() const {
  std::vector<ScreenGeometry::TextNeed> needs;
  for (const QWidget* child : findChildren<QWidget*>()) {
    if (m_geometry.GridRect(child).isNull()) continue;
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(child)) text = label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(child)) text = button->text();
    if (!text.isEmpty()) needs.push_back({child, text});
  }
  return needs;
}

void GridForm::SetMinimumForTexts(const std::vector<ScreenGeometry::TextNeed>& needs) {
  for (const auto& need : needs) m_geometry.FitText(need.control, need.text);
  // Measured once per screen: every screen of a kind has the same controls.
  static QHash<QString, QSize> measured;
  auto known = measured.constFind(objectName());
  if (known == measured.constEnd())
    known = measured.insert(objectName(), m_geometry.MinimumClientSize(needs));
  setMinimumSize(*known);
}

void GridForm::FitTo(QSize client) {
  m_geometry.SetClientSize(client);
  m_geometry.Apply();
  // A long drawing (Monte Carlo curves piled up) takes a while to draw
  // again; while the window is being dragged to a new size it is only
  // stretched, and drawn sharply once the size has settled.
  if (m_surface.OperationCount() > kQuickRedrawOperations) {
    m_surface.Stretch(client, devicePixelRatioF());
    m_settle.start();
  } else {
    m_surface.Resize(client, devicePixelRatioF());
  }
}

void GridForm::Settled() {
  m_surface.Resize(size(), devicePixelRatioF());
  update();  // a Monte Carlo run repaints only its plot area
}

void GridForm::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QImage& image = m_surface.Image();
  const QRectF area = event->rect();
  const double ratio = image.devicePixelRatio();
  painter.drawImage(area, image, QRectF(area.topLeft() * ratio, area.size() * ratio));
  m_surface.Delivered();
}

void GridForm::resizeEvent(QResizeEvent* event) {
  // A window manager keeps the window at its minimum size or above; where
  // none does (or one ignores the hint), the window grows back itself.
  if (event->size().expandedTo(minimumSize()) != event->size()) {
    QTimer::singleShot(0, this, [this] { resize(size().expandedTo(minimumSize())); });
  }
  FitTo(event->size());
  QWidget::resizeEvent(event);
}

}  // namespace diruruzevuv::platform
