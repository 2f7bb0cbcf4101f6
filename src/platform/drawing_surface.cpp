#include "platform/drawing_surface.h"

#include <string>
#include <utility>

namespace diruruzevuv::platform {

DrawingSurface::DrawingSurface(QSize pixels, CanvasScale scale)
    : m_scale(scale), m_image(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32) {
  Start();
  m_canvas->Clear();
}

DrawingSurface::~DrawingSurface() = default;

void DrawingSurface::Start() {
  m_canvas.reset();
  m_canvas = std::make_unique<QPainterCanvas>(&m_image, m_scale);
}

void DrawingSurface::Resize(QSize size, double pixelRatio) {
  size = size.expandedTo(QSize(1, 1));
  if (!(pixelRatio > 0.0)) pixelRatio = 1.0;
  if (!m_stretched && size == Size() && pixelRatio == m_image.devicePixelRatio()) return;
  m_stretched = false;
  NewImage(size, pixelRatio);
  m_canvas->SetFontSize(m_fontAtClear);
  m_canvas->SetLineWidth(m_lineWidthAtClear);
  m_canvas->SetDashed(m_dashedAtClear);
  m_canvas->Clear();
  if (!m_base.isNull()) {
    m_canvas->Painter().drawImage(QRectF(QPointF(0, 0), QSizeF(size)), m_base);
  }
  for (const Operation& op : m_ops) op(*m_canvas);
  Changed();
}

void DrawingSurface::Stretch(QSize size, double pixelRatio) {
  size = size.expandedTo(QSize(1, 1));
  if (!(pixelRatio > 0.0)) pixelRatio = 1.0;
  if (size == Size() && pixelRatio == m_image.devicePixelRatio()) return;
  const QImage old = m_image.copy();
  // The painter goes with the old image; the positions and pen state of
  // the drawing carry over to the new one.
  const GridPoint current = m_canvas->Current();
  const GridPoint text = m_canvas->TextPosition();
  const QPointF oldOrigin = m_canvas->Map({0, 0});
  const double oldScale = m_canvas->PixelsPerUnit();
  const QSizeF oldSize = QSizeF(old.size()) / old.devicePixelRatio();
  NewImage(size, pixelRatio);
  m_canvas->SetFontSize(m_fontPoints);
  m_canvas->SetLineWidth(m_lineWidth);
  m_canvas->SetDashed(m_dashed);
  m_canvas->Clear();
  m_canvas->RestorePositions(current, text);
  // The old layout area lands on the new one, keeping its proportions.
  const double k = m_canvas->PixelsPerUnit() / oldScale;
  const QPointF origin = m_canvas->Map({0, 0}) - oldOrigin * k;
  m_canvas->Painter().setRenderHint(QPainter::SmoothPixmapTransform, true);
  m_canvas->Painter().drawImage(QRectF(origin, oldSize * k), old);
  m_stretched = true;
  Changed();
}

void DrawingSurface::NewImage(QSize size, double pixelRatio) {
  m_canvas.reset();  // ends the painter before the image goes
  m_image = QImage(QSize(qRound(size.width() * pixelRatio), qRound(size.height() * pixelRatio)),
                   QImage::Format_RGB32);
  m_image.setDevicePixelRatio(pixelRatio);
  Start();
}

void DrawingSurface::Do(Operation op) {
  op(*m_canvas);
  m_ops.push_back(std::move(op));
  if (++m_storedPoints > kPointBudget) Flatten();
  Changed();
}

// Monte Carlo runs laid over each other without a Clear would keep every
// trial's curves for ever; past the budget the picture itself is kept.
void DrawingSurface::Flatten() {
  m_base = m_image.copy();
  m_ops.clear();
  m_storedPoints = 0;
  m_fontAtClear = m_fontPoints;
  m_lineWidthAtClear = m_lineWidth;
  m_dashedAtClear = m_dashed;
  const GridPoint current = m_canvas->Current();
  const GridPoint text = m_canvas->TextPosition();
  // A replay must continue from where the drawing stood.
  m_ops.push_back([current, text](Canvas& c) {
    static_cast<QPainterCanvas&>(c).RestorePositions(current, text);
  });
}

void DrawingSurface::Changed() {
  // With persistent redraw off (a Monte Carlo run) the window is still
  // told: the run hands control to the event loop once per trial, and
  // the trials are meant to be watched as they pile up.
  if (m_pending || !m_changed) return;
  m_pending = true;
  m_changed();
}

void DrawingSurface::Clear() {
  // Font, line width and dashes stay in force across a Clear; a redraw
  // after a resize starts from them.
  m_fontAtClear = m_fontPoints;
  m_lineWidthAtClear = m_lineWidth;
  m_dashedAtClear = m_dashed;
  m_ops.clear();
  m_base = QImage();
  m_storedPoints = 0;
  Do([](Canvas& c) { c.Clear(); });
}

void DrawingSurface::Line(GridPoint from, GridPoint to, Rgb colour) {
  Do([=](Canvas& c) { c.Line(from, to, colour); });
}

void DrawingSurface::LineTo(GridPoint to, Rgb colour) {
  Do([=](Canvas& c) { c.LineTo(to, colour); });
}

void DrawingSurface::Polyline(std::span<const GridPoint> points, Rgb colour) {
  m_storedPoints += points.size();
  Do([copy = std::vector<GridPoint>(points.begin(), points.end()), colour](Canvas& c) {
    c.Polyline(copy, colour);
  });
}

void DrawingSurface::Box(GridPoint corner1, GridPoint corner2, Rgb colour) {
  Do([=](Canvas& c) { c.Box(corner1, corner2, colour); });
}

void DrawingSurface::FilledBox(GridPoint corner1, GridPoint corner2, Rgb colour) {
  Do([=](Canvas& c) { c.FilledBox(corner1, corner2, colour); });
}

void DrawingSurface::Arc(GridPoint centre, double radius, double start, double end, Rgb colour) {
  Do([=](Canvas& c) { c.Arc(centre, radius, start, end, colour); });
}

void DrawingSurface::Point(GridPoint at, Rgb colour) {
  Do([=](Canvas& c) { c.Point(at, colour); });
}

void DrawingSurface::SetTextPosition(GridPoint at) {
  Do([=](Canvas& c) { c.SetTextPosition(at); });
}

void DrawingSurface::Text(std::string_view text) {
  Do([copy = std::string(text)](Canvas& c) { c.Text(copy); });
}

void DrawingSurface::SetLineWidth(double pixels) {
  m_lineWidth = pixels;
  Do([=](Canvas& c) { c.SetLineWidth(pixels); });
}

void DrawingSurface::SetDashed(bool dashed) {
  m_dashed = dashed;
  Do([=](Canvas& c) { c.SetDashed(dashed); });
}

void DrawingSurface::SetFontSize(double points) {
  m_fontPoints = points;
  Do([=](Canvas& c) { c.SetFontSize(points); });
}

void DrawingSurface::SetAutoRedraw(bool on) {
  m_canvas->SetAutoRedraw(on);
  if (on) Changed();
}

}  // namespace diruruzevuv::platform
