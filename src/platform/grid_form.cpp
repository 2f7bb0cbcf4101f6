#include "platform/grid_form.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>

namespace diruruzevuv::platform {

GridForm::GridForm(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_surface.SetChangedCallback([this] { update(); });
  m_surface.SetFontSize(ScreenGeometry::FontPoints(kScreenFontFactor));
  const QSize first = ScreenGeometry::ComfortableWindowSize(screen());
  resize(first);
  FitTo(first);
}

GridForm::~GridForm() = default;

void GridForm::Place(QWidget* control, double left, double top, double width, double height,
                     double fontFactor, const QString& family) {
  m_geometry.Place(control, left, top, width, height, fontFactor, family);
}

void GridForm::ShowComfortably() {
  const QScreen* current = screen() ? screen() : QGuiApplication::primaryScreen();
  const QSize size = ScreenGeometry::ComfortableWindowSize(current);
  resize(size);
  if (current) {
    const QRect available = current->availableGeometry();
    move(available.center() - QPoint(size.width() / 2, size.height() / 2));
  }
  show();
}

void GridForm::FitTo(QSize client) {
  m_geometry.SetClientSize(client);
  m_surface.Resize(client, devicePixelRatioF());
  m_geometry.Apply();
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
  FitTo(event->size());
  QWidget::resizeEvent(event);
}

}  // namespace diruruzevuv::platform
