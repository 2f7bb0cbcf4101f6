#include "platform/qpainter_canvas.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace diruruzevuv::platform {
namespace {

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

QRectF Normalised(QPointF a, QPointF b) {
  return QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                QPointF(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

}  // namespace

qsizetype SimplifyPolyline(QVector<QPointF>& points, double tolerance) {
  const qsizetype n = points.size();
  if (n < 3) return n;
  // Douglas-Peucker without recursion: mark the points to keep, then
  // compact them in place.
  std::vector<char> keep(static_cast<std::size_t>(n), 0);
  keep.front() = keep.back() = 1;
  std::vector<std::pair<qsizetype, qsizetype>> stack;
  stack.emplace_back(0, n - 1);
  const double limit = tolerance * tolerance;
  while (!stack.empty()) {
    const auto [first, last] = stack.back();
    stack.pop_back();
    if (last - first < 2) continue;
    const QPointF a = points[first];
    const QPointF d = points[last] - a;
    const double length2 = d.x() * d.x() + d.y() * d.y();
    double worst = -1.0;
    qsizetype worstAt = first;
    for (qsizetype i = first + 1; i < last; ++i) {
      const QPointF v = points[i] - a;
      double distance2;
      if (length2 <= 0.0) {
        distance2 = v.x() * v.x() + v.y() * v.y();
      } else {
        const double cross = v.x() * d.y() - v.y() * d.x();
        distance2 = cross * cross / length2;
        // Beyond the ends of the chord the distance is to the end point.
        const double along = v.x() * d.x() + v.y() * d.y();
        if (along < 0.0) {
          distance2 = v.x() * v.x() + v.y() * v.y();
        } else if (along > length2) {
          const QPointF w = points[i] - points[last];
          distance2 = w.x() * w.x() + w.y() * w.y();
        }
      }
      if (distance2 > worst) {
        worst = distance2;
        worstAt = i;
      }
    }
    if (worst > limit) {
      keep[static_cast<std::size_t>(worstAt)] = 1;
      stack.emplace_back(first, worstAt);
      stack.emplace_back(worstAt, last);
    }
  }
  qsizetype out = 0;
  for (qsizetype i = 0; i < n; ++i) {
    if (keep[static_cast<std::size_t>(i)]) points[out++] = points[i];
  }
  return out;
}

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
  // A high-density image (device pixel ratio above 1) is painted in its
  // logical size; Qt scales the painter itself.
  const double ratio = device->devicePixelRatioF();
  Fit(QRectF(0, 0, device->width() / ratio, device->height() / ratio), scale);
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
  pen.setWidthF(PenPixels());
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  m_painter->setPen(pen);
  m_penColour = colour;
  m_penValid = true;
}

double QPainterCanvas::PenPixels() const noexcept {
  return std::max(1.0, m_lineWidth) * m_scale.lineWidthScale;
}

void QPainterCanvas::Clear() {
  const QPaintDevice* device = m_painter->device();
  const double ratio = device->devicePixelRatioF();
  const QRectF all =
      m_ownPainter ? QRectF(0, 0, device->width() / ratio, device->height() / ratio) : m_deviceRect;
  m_painter->fillRect(all, m_background);
  m_current = {};
  m_textPosition = {};
}

void QPainterCanvas::Line(GridPoint from, GridPoint to, Rgb colour) {
  const bool vertical = from.x == to.x;
  const bool horizontal = from.y == to.y;
  if (vertical != horizontal) {
    // Grid lines, frames and most wires run along an axis: a band of whole
    // pixels is crisp and far cheaper than a stroked path.
    const QPointF a = Map(from);
    const QPointF b = Map(to);
    if (vertical) {
      FillBand(a.x(), std::min(a.y(), b.y()), std::max(a.y(), b.y()), true, colour);
    } else {
      FillBand(a.y(), std::min(a.x(), b.x()), std::max(a.x(), b.x()), false, colour);
    }
  } else {
    UsePen(colour);
    m_painter->drawLine(Map(from), Map(to));
  }
  m_current = to;
}

// A line of the current width along an axis at `across`, from `from` to
// `to` along it, as a filled band aligned to whole pixels across.
void QPainterCanvas::FillBand(double across, double from, double to, bool vertical, Rgb colour) {
  const double width = std::max(1.0, std::round(PenPixels()));
  const double start = std::floor(across - width / 2.0 + 0.5);
  const QRectF band =
      vertical ? QRectF(start, from, width, to - from) : QRectF(from, start, to - from, width);
  m_painter->fillRect(band, ToQColor(colour));
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
  // The sweep's 2001 points lie a fraction of a pixel apart, and Qt strokes
  // long wide antialiased paths slowly; dropping the points that lie within
  // a tenth of a pixel of the simplified path changes no visible pixel.
  const qsizetype kept = SimplifyPolyline(m_buffer, 0.1);
  if (PenPixels() < 1.5) {
    m_painter->drawPolyline(m_buffer.data(), static_cast<int>(kept));
  } else {
    // Qt rasterises a wide antialiased stroke over its whole bounding box;
    // short runs keep the boxes small. Each run starts where the last ended.
    constexpr qsizetype kRun = 8;
    for (qsizetype first = 0; first + 1 < kept; first += kRun - 1) {
      const qsizetype count = std::min(kRun, kept - first);
      m_painter->drawPolyline(m_buffer.data() + first, static_cast<int>(count));
    }
  }
  m_current = points.back();
}

void QPainterCanvas::Box(GridPoint corner1, GridPoint corner2, Rgb colour) {
  const QRectF r = Normalised(Map(corner1), Map(corner2));
  // The horizontal sides reach over the corners, as a mitred outline does.
  const double half = std::max(1.0, std::round(PenPixels())) / 2.0;
  FillBand(r.top(), r.left() - half, r.right() + half, false, colour);
  FillBand(r.bottom(), r.left() - half, r.right() + half, false, colour);
  FillBand(r.left(), r.top(), r.bottom(), true, colour);
  FillBand(r.right(), r.top(), r.bottom(), true, colour);
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
