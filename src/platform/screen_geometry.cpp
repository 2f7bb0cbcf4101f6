#include "platform/screen_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace diruruzevuv::platform {

ScreenGeometry::ScreenGeometry(QSize client) {
  SetClientSize(client);
}

void ScreenGeometry::SetClientSize(QSize client) {
  m_client = client.expandedTo(QSize(1, 1));
  m_pixelsPerUnit = std::min(m_client.width() / kGridWidth, m_client.height() / kGridHeight);
  m_origin = QPointF((m_client.width() - kGridWidth * m_pixelsPerUnit) / 2.0,
                     (m_client.height() - kGridHeight * m_pixelsPerUnit) / 2.0);
}

QRect ScreenGeometry::Map(double left, double top, double width, double height) const noexcept {
  // Both edges are rounded, so that neighbouring controls keep their gaps.
  const int x1 = static_cast<int>(std::lround(m_origin.x() + left * m_pixelsPerUnit));
  const int y1 = static_cast<int>(std::lround(m_origin.y() + top * m_pixelsPerUnit));
  const int x2 = static_cast<int>(std::lround(m_origin.x() + (left + width) * m_pixelsPerUnit));
  const int y2 = static_cast<int>(std::lround(m_origin.y() + (top + height) * m_pixelsPerUnit));
  return QRect(x1, y1, std::max(1, x2 - x1), std::max(1, y2 - y1));
}

int ScreenGeometry::FontPixels(double factor) const noexcept {
  const double units = FontPoints(factor) * kTwipsPerPoint;
  return std::max(1, static_cast<int>(std::lround(units * m_pixelsPerUnit)));
}

QFont ScreenGeometry::Font(const QString& family, double factor) const {
  QFont font(family);
  font.setPixelSize(FontPixels(factor));
  return font;
}

void ScreenGeometry::Place(QWidget* control, double left, double top, double width, double height,
                           double fontFactor, const QString& family) {
  m_placed.push_back({control, QRectF(left, top, width, height), fontFactor, family});
  control->setGeometry(Map(left, top, width, height));
  control->setFont(Font(family, fontFactor));
}

void ScreenGeometry::Apply() const {
  for (const Placed& p : m_placed) {
    if (!p.control) continue;
    p.control->setGeometry(Map(p.grid.left(), p.grid.top(), p.grid.width(), p.grid.height()));
    p.control->setFont(Font(p.family, p.fontFactor));
  }
}

QRectF ScreenGeometry::GridRect(const QWidget* control) const {
  for (const Placed& p : m_placed) {
    if (p.control == control) return p.grid;
  }
  return {};
}

QSize ScreenGeometry::ComfortableWindowSize(const QScreen* screen) {
  if (!screen) screen = QGuiApplication::primaryScreen();
  QSize available = screen ? screen->availableGeometry().size() : QSize(1280, 960);
  if (available.isEmpty()) available = QSize(1280, 960);
  const double width = std::min(available.width() * 0.8, available.height() * 0.8 * 4.0 / 3.0);
  return QSize(static_cast<int>(width), static_cast<int>(width * 3.0 / 4.0));
}

}  // namespace diruruzevuv::platform
