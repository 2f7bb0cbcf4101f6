#include "platform/qpainter_canvas.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainterPath>
#include <QTransform>
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
  // The page writes in the font the printer's painter was given.
  m_font = scale.page ? painter.font() : QFont(QStringLiteral("Arial"));
  m_painter->setRenderHint(QPainter::Antialiasing, true);
  m_painter->setRenderHint(QPainter::TextAntialiasing, true);
  m_painter->setBrush(Qt::NoBrush);
  Fit(area, scale);
}

QPainterCanvas::QPainterCanvas(QPaintDevice* device, CanvasScale scale)
    : m_ownPainter(std::make_unique<QPainter>(device)), m_painter(m_ownPainter.get()) {
  m_font = QFont(QStringLiteral("Arial"));
  m_painter->setRenderHint(QPainter::Antialiasing, true);
  m_painter->setRenderHint(QPainter::TextAntialiasing, true);
  m_keeps = device->devType() == QInternal::Image;
  if (m_keeps) {
    QImage* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
        format == QImage::Format_ARGB32_Premultiplied) {
      m_image = image;
    }
  }
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
  if (scale.page) {
    m_pixelsPerUnit = sx;
    m_pixelsPerUnitY = sy;
    m_origin = area.topLeft();
    return;
  }
  m_pixelsPerUnit = m_pixelsPerUnitY = std::max(1e-9, std::min(sx, sy));
  m_origin = QPointF(area.left() + (area.width() - scale.width * m_pixelsPerUnit) / 2.0,
                     area.top() + (area.height() - scale.height * m_pixelsPerUnit) / 2.0);
  SetFontSize(m_fontPoints);
}

void QPainterCanvas::ApplyFont() {
  m_painter->setFont(m_font);
  m_ascent = QFontMetricsF(m_font, m_painter->device()).ascent();
}

void QPainterCanvas::UsePen(Rgb colour) {
  if (m_penValid && colour == m_penColour) return;
  QPen pen(ToQColor(colour));
  pen.setWidthF(PenPixels());
  // Round ends join the page's stroked lines at the corners of the drawing.
  pen.setCapStyle(m_scale.page ? Qt::RoundCap : Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  // Long dashes and gaps wide enough for the page's round ends.
  if (m_dashed) pen.setDashPattern({6.0, 4.0});
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
  m_painter->fillRect(all, Qt::white);
  Forget();
  m_current = {};
  m_textPosition = {};
}

void QPainterCanvas::Line(GridPoint from, GridPoint to, Rgb colour) {
  const bool vertical = from.x == to.x;
  const bool horizontal = from.y == to.y;
  if (vertical != horizontal && !m_scale.page && !m_dashed) {
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
    const QPointF a = Map(from);
    const QPointF b = Map(to);
    Touched(Normalised(a, b).adjusted(-PenPixels(), -PenPixels(), PenPixels(), PenPixels()));
    m_painter->drawLine(a, b);
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
  FillRect(band, ToQColor(colour));
}

// Qt fills an antialiased rectangle through its scan converter even where
// it covers whole pixels. The whole-pixel middle is filled plainly and only
// the fractional rims go the slow way; the pixels come out the same.
void QPainterCanvas::FillRect(const QRectF& rect, const QColor& colour) {
  const double left = std::ceil(rect.left());
  const double right = std::floor(rect.right());
  const double top = std::ceil(rect.top());
  const double bottom = std::floor(rect.bottom());
  const QTransform& t = m_painter->deviceTransform();
  // Whole units must land on whole device pixels (a printer's scale, or a
  // fractional screen ratio, leaves it all to Qt).
  const bool whole = t.type() <= QTransform::TxScale && t.m11() == t.m22() &&
                     t.m11() == std::round(t.m11()) && t.dx() == std::round(t.dx()) &&
                     t.dy() == std::round(t.dy());
  if (!whole || right - left < 1.0 || bottom - top < 1.0) {
    Touched(rect);
    m_painter->fillRect(rect, colour);
    return;
  }
  FillPlain(QRectF(left, top, right - left, bottom - top), colour);
  const auto rim = [this, &colour](const QRectF& part) {
    Touched(part);
    m_painter->fillRect(part, colour);
  };
  if (top > rect.top()) rim(QRectF(rect.left(), rect.top(), rect.width(), top - rect.top()));
  if (rect.bottom() > bottom) {
    rim(QRectF(rect.left(), bottom, rect.width(), rect.bottom() - bottom));
  }
  if (left > rect.left()) rim(QRectF(rect.left(), top, left - rect.left(), bottom - top));
  if (rect.right() > right) rim(QRectF(right, top, rect.right() - right, bottom - top));
}

// Whole pixels in an opaque colour, written straight into the image: Qt
// fills a rectangle row by row with a call per row, which for the one pixel
// wide grid lines costs ten times the writing. The pixels are the same.
void QPainterCanvas::FillPlain(const QRectF& area, const QColor& colour) {
  Touched(area);
  if (!m_image || m_painter->hasClipping() || colour.alpha() != 255 ||
      m_painter->opacity() != 1.0 ||
      m_painter->compositionMode() != QPainter::CompositionMode_SourceOver) {
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->fillRect(area, colour);
    m_painter->setRenderHint(QPainter::Antialiasing, true);
    return;
  }
  const QRect pixels = m_painter->deviceTransform().mapRect(area).toRect() & m_image->rect();
  if (pixels.isEmpty()) return;
  // The painter draws into the same buffer; constBits does not detach it.
  uchar* const bits = const_cast<uchar*>(m_image->constBits());
  const qsizetype stride = m_image->bytesPerLine();
  const QRgb value = colour.rgba();
  const int width = pixels.width();
  uchar* row = bits + pixels.top() * stride + pixels.left() * qsizetype{sizeof(QRgb)};
  const int rows = pixels.height();
  if (width == 1) {  // a grid line across the rows
    for (int y = 0; y < rows; ++y, row += stride) *reinterpret_cast<QRgb*>(row) = value;
    return;
  }
  for (int y = 0; y < rows; ++y, row += stride) {
    std::fill_n(reinterpret_cast<QRgb*>(row), width, value);
  }
}

void QPainterCanvas::Touched(const QRectF& area) {
  if (m_written.empty()) return;
  const double left = area.left();
  const double right = area.right();
  const double top = area.top();
  const double bottom = area.bottom();
  std::erase_if(m_written, [=](const WrittenText& w) {
    return w.ink.left() < right && left < w.ink.right() && w.ink.top() < bottom &&
           top < w.ink.bottom();
  });
}

// Touches the boxes around runs of `run` segments, with the pen's width.
void QPainterCanvas::TouchedPolyline(const QPointF* points, qsizetype count, qsizetype run) {
  if (m_written.empty() || count < 1) return;
  const double pen = PenPixels();
  const auto bounds = [points, pen](qsizetype first, qsizetype last) {
    double x0 = points[first].x(), x1 = x0, y0 = points[first].y(), y1 = y0;
    for (qsizetype i = first + 1; i <= last; ++i) {
      x0 = std::min(x0, points[i].x());
      x1 = std::max(x1, points[i].x());
      y0 = std::min(y0, points[i].y());
      y1 = std::max(y1, points[i].y());
    }
    return QRectF(QPointF(x0 - pen, y0 - pen), QPointF(x1 + pen, y1 + pen));
  };
  // The labels lie outside the plot the curves stay in: usually nothing to do.
  const QRectF all = bounds(0, count - 1);
  if (std::none_of(m_written.begin(), m_written.end(),
                   [&all](const WrittenText& w) { return w.ink.intersects(all); })) {
    return;
  }
  for (qsizetype first = 0; first + 1 < count; first += run) {
    Touched(bounds(first, std::min(first + run, count - 1)));
  }
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
  for (std::size_t i = 0; i < points.size(); ++i) out[i + 1] = Map(points[i]);
  if (m_scale.page) {
    m_painter->drawPolyline(m_buffer.data(), static_cast<int>(m_buffer.size()));
    m_current = points.back();
    return;
  }
  // The sweep's 2001 points lie a fraction of a pixel apart, and Qt strokes
  // long wide antialiased paths slowly; dropping the points that lie within
  // a tenth of a pixel of the simplified path changes no visible pixel.
  const qsizetype kept = SimplifyPolyline(m_buffer, 0.1);
  TouchedPolyline(m_buffer.data(), kept, 8);
  // A dash pattern starts afresh with each call.
  if (PenPixels() < 1.5 || m_dashed) {
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
  if (m_scale.page) {
    UsePen(colour);
    QPen pen = m_painter->pen();
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter->setPen(pen);
    m_penValid = false;
    m_painter->drawRect(r);
    m_current = corner2;
    return;
  }
  // The horizontal sides reach over the corners, as a mitred outline does.
  const double half = std::max(1.0, std::round(PenPixels())) / 2.0;
  FillBand(r.top(), r.left() - half, r.right() + half, false, colour);
  FillBand(r.bottom(), r.left() - half, r.right() + half, false, colour);
  FillBand(r.left(), r.top(), r.bottom(), true, colour);
  FillBand(r.right(), r.top(), r.bottom(), true, colour);
  m_current = corner2;
}

void QPainterCanvas::FilledBox(GridPoint corner1, GridPoint corner2, Rgb colour) {
  const QRectF r = Normalised(Map(corner1), Map(corner2));
  if (m_scale.page) {
    m_painter->fillRect(r, ToQColor(colour));
  } else {
    FillRect(r, ToQColor(colour));
  }
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
  if (m_scale.page) {
    constexpr double kSixteenths = kDegrees * 16.0;
    m_painter->drawArc(box, static_cast<int>(std::lround(start * kSixteenths)),
                       static_cast<int>(std::lround(span * kSixteenths)));
    return;
  }
  // Qt's angles also run counter-clockwise on screen with y pointing down.
  QPainterPath path;
  path.arcMoveTo(box, start * kDegrees);
  path.arcTo(box, start * kDegrees, span * kDegrees);
  Touched(box.adjusted(-PenPixels(), -PenPixels(), PenPixels(), PenPixels()));
  m_painter->setBrush(Qt::NoBrush);
  m_painter->drawPath(path);
}

void QPainterCanvas::Point(GridPoint at, Rgb colour) {
  m_current = at;
  m_textPosition = at;
  const QPointF p = Map(at);
  const double pen = PenPixels();
  const QRectF touched(p.x() - pen, p.y() - pen, 2.0 * pen, 2.0 * pen);
  // A white point places a text. On a text still there it would only
  // make that text be written once more, which thickens it.
  if (colour == model::kWhite &&
      std::any_of(m_written.begin(), m_written.end(),
                  [&touched](const WrittenText& w) { return w.ink.intersects(touched); }))
    return;
  UsePen(colour);
  Touched(touched);
  m_painter->drawPoint(p);
}

void QPainterCanvas::SetTextPosition(GridPoint at) {
  if (!m_scale.page) m_current = at;
  m_textPosition = at;
}

// The page's text: written whatever was there, and the next text starts at
// the left edge one line lower, as a printer's print statement leaves it.
void QPainterCanvas::PageText(const QString& text) {
  const QFontMetricsF metrics(m_painter->font(), m_painter->device());
  m_painter->setPen(Qt::black);
  m_penValid = false;
  const QPointF corner = Map(m_textPosition);
  m_painter->drawText(QPointF(corner.x(), corner.y() + metrics.ascent()), text);
  m_textPosition = {0.0, m_textPosition.y + metrics.lineSpacing() / m_pixelsPerUnitY};
}

// Antialiased text written again and again on the same spot (the axis
// labels of every Monte Carlo trial) turns bold, so a text that is already
// there, untouched, is not written again.
void QPainterCanvas::Text(std::string_view text) {
  if (m_scale.page) {
    PageText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return;
  }
  if (text.empty()) return;
  const QPointF topLeft = Map(m_textPosition);
  const QColor colour(Qt::black);
  const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  for (const WrittenText& w : m_written) {
    if (w.at == topLeft && w.text == string && w.colour == colour && w.font == m_font) return;
  }
  const QPointF baseline(topLeft.x(), topLeft.y() + m_ascent);
  // A margin for antialiasing and hinting around the glyphs' outlines.
  const QRectF ink = QFontMetricsF(m_font, m_painter->device())
                         .tightBoundingRect(string)
                         .translated(baseline)
                         .adjusted(-2.0, -2.0, 2.0, 2.0);
  // Glyphs leave the pixels around them as they were: the texts beside
  // this one are still there.
  m_painter->setPen(colour);
  m_penValid = false;
  m_painter->drawText(baseline, string);
  if (!m_keeps) return;
  constexpr std::size_t kMostTexts = 64;
  if (m_written.size() == kMostTexts) m_written.erase(m_written.begin());
  m_written.push_back({string, topLeft, m_font, colour, ink});
}

void QPainterCanvas::SetLineWidth(double pixels) {
  m_lineWidth = pixels;
  m_penValid = false;
}

void QPainterCanvas::SetDashed(bool dashed) {
  m_dashed = dashed;
  m_penValid = false;
}

void QPainterCanvas::SetFontSize(double points) {
  m_fontPoints = points;
  if (m_scale.page) {
    if (points > 0) m_font.setPointSizeF(points);
    m_painter->setFont(m_font);
    return;
  }
  const double pixels = points * m_scale.unitsPerPoint * m_pixelsPerUnit;
  m_font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  ApplyFont();
}

void QPainterCanvas::SetAutoRedraw(bool on) {
  m_autoRedraw = on;
}

}  // namespace diruruzevuv::platform
