#include "platform/qpainter_canvas.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace diruruzevuv::platform {
namespace {

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

QRectF Normalised(QPointF a, QPointF b) {
  return QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                QPointF(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

// Drops the vertices of a polyline that lie within `tolerance` pixels of
// the chord joining the kept neighbours on either side. A sweep of 2001
// points spans a few hundred pixels, so most vertices change nothing
// visible but cost the stroker a join each; a thick antialiased curve
// draws several times faster with them gone.
void DropInvisibleVertices(QVector<QPointF>& points, double tolerance) {
  const qsizetype n = points.size();
  if (n < 3) return;
  constexpr qsizetype kLongestRun = 32;  // keeps the work per point bounded
  QPointF* p = points.data();            // one detach check, not one per access
  qsizetype kept = 1;
  qsizetype anchor = 0;
  QPointF a = p[0];
  for (qsizetype i = 2; i < n; ++i) {
    const QPointF b = p[i];
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    // Distance from the chord times its length, compared without dividing.
    const double length = std::sqrt(dx * dx + dy * dy);
    const double limit = tolerance * length;
    bool fits = i - anchor <= kLongestRun;
    for (qsizetype k = anchor + 1; fits && k < i; ++k) {
      const double ex = p[k].x() - a.x();
      const double ey = p[k].y() - a.y();
      fits = length > 0.0 ? std::fabs(ex * dy - ey * dx) <= limit
                          : ex * ex + ey * ey <= tolerance * tolerance;
    }
    if (!fits) {
      a = p[i - 1];
      anchor = i - 1;
      p[kept++] = a;
    }
  }
  p[kept++] = p[n - 1];
  points.resize(kept);
}

constexpr double kInvisiblePixels = 0.05;

}  // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter, QRectF area, CanvasScale scale)
    : m_painter(&painter) {
  m_font = QFont(QStringLiteral("Arial"));
  m_painter->setRenderHint(QPainter::Antialiasing, true);
  m_painter->setRenderHint(QPainter::TextAntialiasing, true);
  Fit(area, scale);
}

QPainterCanvas::QPainterCanvas(QPaintDevice* device, CanvasScale scale)
    : m_ownPainter(std::make_unique<QPainter>(device)), m_painter(m_ownPainter.get()) {
  m_font = QFont(QStringLiteral("Arial"));
  m_painter->setRenderHint(QPainter::Antialiasing, true);
  m_painter->setRenderHint(QPainter::TextAntialiasing, true);
  Fit(QRectF(0, 0, device->width(), device->height()), scale);
}

QPainterCanvas::~QPainterCanvas() {
  if (m_ownPainter && m_ownPainter->isActive()) m_ownPainter->end();
}

void QPainterCanvas::Fit(QRectF area, CanvasScale scale) {
  m_scale = scale;
  m_deviceRect = area;
  const double sx = area.width() / scale.width;
  const double sy = area.height() / scale.height;
  m_pixelsPerUnit = std::max(1e-9, std::min(sx, sy));
  m_origin = QPointF(area.left() + (area.width() - scale.width * m_pixelsPerUnit) / 2.0,
                     area.top() + (area.height() - scale.height * m_pixelsPerUnit) / 2.0);
  SetFontSize(m_fontPoints);
}

void QPainterCanvas::SetFontFamily(const QString& family) {
  m_font.setFamily(family);
  ApplyFont();
}

void QPainterCanvas::SetBackground(const QColor& colour) {
  m_background = colour;
}

void QPainterCanvas::ApplyFont() {
  m_painter->setFont(m_font);
  m_ascent = QFontMetricsF(m_font, m_painter->device()).ascent();
}

void QPainterCanvas::UsePen(Rgb colour) {
  if (m_penValid && colour == m_penColour) return;
  QPen pen(ToQColor(colour));
  pen.setWidthF(std::max(1.0, m_lineWidth) * m_scale.lineWidthScale);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  m_painter->setPen(pen);
  m_penColour = colour;
  m_penValid = true;
}

// Lines along the axes with an odd pixel width are moved onto pixel
// centres; with antialiasing they would otherwise smear over two pixels.
QPointF QPainterCanvas::Snapped(QPointF p, bool snapX, bool snapY) const noexcept {
  const double width = std::max(1.0, m_lineWidth) * m_scale.lineWidthScale;
  if (std::fmod(std::round(width), 2.0) != 1.0) return p;
  if (snapX) p.setX(std::floor(p.x()) + 0.5);
  if (snapY) p.setY(std::floor(p.y()) + 0.5);
  return p;
}

void QPainterCanvas::Clear() {
  const QPaintDevice* device = m_painter->device();
  const QRectF all = m_ownPainter ? QRectF(0, 0, device->width(), device->height()) : m_deviceRect;
  m_painter->fillRect(all, m_background);
  m_current = {};
  m_textPosition = {};
}

void QPainterCanvas::Line(GridPoint from, GridPoint to, Rgb colour) {
  UsePen(colour);
  const bool vertical = from.x == to.x;
  const bool horizontal = from.y == to.y;
  m_painter->drawLine(Snapped(Map(from), vertical, horizontal),
                      Snapped(Map(to), vertical, horizontal));
  m_current = to;
}

void QPainterCanvas::LineTo(GridPoint to, Rgb colour) {
  Line(m_current, to, colour);
}

void QPainterCanvas::Polyline(std::span<const GridPoint> points, Rgb colour) {
  if (points.empty()) return;
  UsePen(colour);
  m_buffer.resize(static_cast<qsizetype>(points.size() + 1));
  QPointF* out = m_buffer.data();
  out[0] = Map(m_current);
  const double s = m_pixelsPerUnit;
  const double ox = m_origin.x();
  const double oy = m_origin.y();
  for (std::size_t i = 0; i < points.size(); ++i) {
    out[i + 1] = QPointF(ox + points[i].x * s, oy + points[i].y * s);
  }
  // Thin lines take Qt's fast path, where the vertices cost little and
  // dropping them would change how the antialiased segments blend.
  if (m_painter->pen().widthF() > 1.5) DropInvisibleVertices(m_buffer, kInvisiblePixels);
  m_painter->drawPolyline(m_buffer.data(), static_cast<int>(m_buffer.size()));
  m_current = points.back();
}

void QPainterCanvas::Box(GridPoint corner1, GridPoint corner2, Rgb colour) {
  UsePen(colour);
  m_painter->setBrush(Qt::NoBrush);
  m_painter->drawRect(
      Normalised(Snapped(Map(corner1), true, true), Snapped(Map(corner2), true, true)));
  m_current = corner2;
}

void QPainterCanvas::FilledBox(GridPoint corner1, GridPoint corner2, Rgb colour) {
  m_painter->fillRect(Normalised(Map(corner1), Map(corner2)), ToQColor(colour));
  m_current = corner2;
}

void QPainterCanvas::Arc(GridPoint centre, double radius, double start, double end, Rgb colour) {
  UsePen(colour);
  constexpr double kDegrees = 180.0 / std::numbers::pi;
  double span = end - start;
  if (span < 0.0) span += 2.0 * std::numbers::pi;  // always counter-clockwise
  const double r = radius * m_pixelsPerUnit;
  const QPointF c = Map(centre);
  const QRectF box(c.x() - r, c.y() - r, 2.0 * r, 2.0 * r);
  // Qt's angles also run counter-clockwise on screen with y pointing down.
  QPainterPath path;
  path.arcMoveTo(box, start * kDegrees);
  path.arcTo(box, start * kDegrees, span * kDegrees);
  m_painter->setBrush(Qt::NoBrush);
  m_painter->drawPath(path);
}

void QPainterCanvas::Point(GridPoint at, Rgb colour) {
  UsePen(colour);
  m_painter->drawPoint(Map(at));
  m_current = at;
  m_textPosition = at;
}

void QPainterCanvas::SetTextPosition(GridPoint at) {
  m_current = at;
  m_textPosition = at;
}

void QPainterCanvas::Text(std::string_view text) {
  if (text.empty()) return;
  const QPointF topLeft = Map(m_textPosition);
  m_painter->setPen(QColor(Qt::black));
  m_penValid = false;
  m_painter->drawText(QPointF(topLeft.x(), topLeft.y() + m_ascent),
                      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QPainterCanvas::SetLineWidth(double pixels) {
  m_lineWidth = pixels;
  m_penValid = false;
}

void QPainterCanvas::SetFontSize(double points) {
  m_fontPoints = points;
  const double pixels = points * m_scale.unitsPerPoint * m_pixelsPerUnit;
  m_font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  ApplyFont();
}

void QPainterCanvas::SetAutoRedraw(bool on) {
  m_autoRedraw = on;
}

}  // namespace diruruzevuv::platform
