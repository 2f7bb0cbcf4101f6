#include "report/page_painter.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "report/report.h"

namespace diruruzevuv::report {

using platform::GridPoint;
using platform::Rgb;

namespace {

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

}  // namespace

PagePainterCanvas::PagePainterCanvas(QPainter& painter, QSizeF deviceSize)
    : m_painter(painter),
      m_size(deviceSize),
      m_sx(deviceSize.width() / kPageWidth),
      m_sy(deviceSize.height() / kPageHeight) {
  m_painter.setRenderHint(QPainter::Antialiasing, true);
  m_painter.setRenderHint(QPainter::TextAntialiasing, true);
  m_painter.setBrush(Qt::NoBrush);
}

QPointF PagePainterCanvas::Map(GridPoint p) const {
  return {p.x * m_sx, p.y * m_sy};
}

void PagePainterCanvas::UsePen(Rgb colour) {
  QPen pen(ToQColor(colour));
  pen.setWidthF(std::max(1.0, m_lineWidth));
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  m_painter.setPen(pen);
  m_painter.setBrush(Qt::NoBrush);
}

void PagePainterCanvas::Clear() {
  m_painter.fillRect(QRectF(QPointF(0, 0), m_size), Qt::white);
  m_current = {};
  m_textPosition = {};
}

void PagePainterCanvas::Line(GridPoint from, GridPoint to, Rgb colour) {
  UsePen(colour);
  m_painter.drawLine(Map(from), Map(to));
  m_current = to;
}

void PagePainterCanvas::LineTo(GridPoint to, Rgb colour) {
  Line(m_current, to, colour);
}

void PagePainterCanvas::Polyline(std::span<const GridPoint> points, Rgb colour) {
  if (points.empty()) return;
  QPolygonF path;
  path.reserve(static_cast<qsizetype>(points.size()) + 1);
  path << Map(m_current);
  for (const GridPoint& p : points) path << Map(p);
  UsePen(colour);
  m_painter.drawPolyline(path);
  m_current = points.back();
}

void PagePainterCanvas::Box(GridPoint corner1, GridPoint corner2, Rgb colour) {
  UsePen(colour);
  QPen pen = m_painter.pen();
  pen.setJoinStyle(Qt::MiterJoin);
  m_painter.setPen(pen);
  m_painter.drawRect(QRectF(Map(corner1), Map(corner2)).normalized());
  m_current = corner2;
}

void PagePainterCanvas::FilledBox(GridPoint corner1, GridPoint corner2, Rgb colour) {
  m_painter.fillRect(QRectF(Map(corner1), Map(corner2)).normalized(), ToQColor(colour));
  m_current = corner2;
}

void PagePainterCanvas::Arc(GridPoint centre, double radius, double start, double end, Rgb colour) {
  // The radius is in horizontal units; the arc stays round on the device.
  const double r = radius * m_sx;
  const QPointF c = Map(centre);
  double span = end - start;
  if (span < 0) span += 2 * std::numbers::pi;
  const double toSixteenths = 180.0 / std::numbers::pi * 16.0;
  UsePen(colour);
  // Qt's positive angles turn counter-clockwise as seen on the device.
  m_painter.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r),
                    static_cast<int>(std::lround(start * toSixteenths)),
                    static_cast<int>(std::lround(span * toSixteenths)));
}

void PagePainterCanvas::Point(GridPoint at, Rgb colour) {
  UsePen(colour);
  m_painter.drawPoint(Map(at));
  m_current = at;
  m_textPosition = at;
}

void PagePainterCanvas::SetTextPosition(GridPoint at) {
  m_textPosition = at;
}

void PagePainterCanvas::Text(std::string_view text) {
  const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const QFontMetricsF metrics(m_painter.font(), m_painter.device());
  m_painter.setPen(Qt::black);
  const QPointF corner = Map(m_textPosition);
  m_painter.drawText(QPointF(corner.x(), corner.y() + metrics.ascent()), s);
  // Each print ends the line: the next one would start at the left edge,
  // one line lower.
  m_textPosition = {0.0, m_textPosition.y + metrics.lineSpacing() / m_sy};
}

void PagePainterCanvas::SetLineWidth(double pixels) {
  m_lineWidth = pixels;
}

void PagePainterCanvas::SetFontSize(double points) {
  QFont font = m_painter.font();
  if (points > 0) font.setPointSizeF(points);
  m_painter.setFont(font);
}

}  // namespace diruruzevuv::report
