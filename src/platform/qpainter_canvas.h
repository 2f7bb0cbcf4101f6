#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>
#include <memory>
#include <vector>

#include "platform/canvas.h"

class QPaintDevice;

namespace diruruzevuv::platform {

// How the drawing's own units relate to the device.
struct CanvasScale {
  // The logical area that is fitted onto the device, keeping proportions.
  double width = 12000.0;
  double height = 9000.0;
  // Logical units one typographic point spans; on the screens one unit
  // stands for one twip, so a point is 20 units.
  double unitsPerPoint = 20.0;
  // Device pixels per "pixel" of line width (a printer wants dpi / 96).
  double lineWidthScale = 1.0;
  // The printed page: each axis is stretched onto the printable area (whose
  // proportions differ a little from the layout's), so arcs are sized on
  // the horizontal scale; every line is stroked as given with round ends,
  // line widths are device pixels, fonts are the painter's in real points,
  // and each text ends its line as a printer's does. A printer has pixels
  // to spare for what the screen saves by laying lines on whole pixels.
  bool page = false;
};

// Drops the points of a polyline that lie within `tolerance` of the
// simplified line (Douglas-Peucker), keeping both ends; the kept points
// are moved to the front. Returns how many were kept.
qsizetype SimplifyPolyline(QVector<QPointF>& points, double tolerance);

// Canvas on a QPainter: the window's backing image, a printer or a PDF
// writer. On the screens logical coordinates are mapped onto the target
// area with one scale for both axes and the area centred, so circles stay
// circles; a page scale stretches them onto the page instead.
class QPainterCanvas final : public Canvas {
 public:
  // Draws through a painter that the caller has begun, onto `area`
  // (device coordinates of that painter).
  QPainterCanvas(QPainter& painter, QRectF area, CanvasScale scale = {});
  // Begins its own painter on the device and fits the logical area to the
  // whole device. The painter ends when the canvas is destroyed.
  explicit QPainterCanvas(QPaintDevice* device, CanvasScale scale = {});
  ~QPainterCanvas() override;

  QPainterCanvas(const QPainterCanvas&) = delete;
  QPainterCanvas& operator=(const QPainterCanvas&) = delete;

  void Clear() override;
  void Line(GridPoint from, GridPoint to, Rgb colour) override;
  void LineTo(GridPoint to, Rgb colour) override;
  void Polyline(std::span<const GridPoint> points, Rgb colour) override;
  void Box(GridPoint corner1, GridPoint corner2, Rgb colour) override;
  void FilledBox(GridPoint corner1, GridPoint corner2, Rgb colour) override;
  void Arc(GridPoint centre, double radius, double start, double end, Rgb colour) override;
  void Point(GridPoint at, Rgb colour) override;
  void SetTextPosition(GridPoint at) override;
  void Text(std::string_view text) override;
  void SetLineWidth(double pixels) override;
  void SetFontSize(double points) override;
  void SetAutoRedraw(bool on) override;
  void SetDashed(bool dashed) override;

  // Device coordinates of a logical point.
  QPointF Map(GridPoint p) const noexcept {
    return {m_origin.x() + p.x * m_pixelsPerUnit, m_origin.y() + p.y * m_pixelsPerUnitY};
  }
  double PixelsPerUnit() const noexcept { return m_pixelsPerUnit; }
  GridPoint Current() const noexcept { return m_current; }
  GridPoint TextPosition() const noexcept { return m_textPosition; }
  // Sets both positions (the text position after the current one).
  void RestorePositions(GridPoint current, GridPoint text) noexcept {
    m_current = current;
    m_textPosition = text;
  }
  QPainter& Painter() noexcept { return *m_painter; }
  bool AutoRedraw() const noexcept { return m_autoRedraw; }
  // Whoever draws through Painter() directly calls this afterwards: the
  // canvas then no longer trusts what it drew before to be still there.
  void Forget() noexcept { m_written.clear(); }

 private:
  void Fit(QRectF area, CanvasScale scale);
  void UsePen(Rgb colour);
  void ApplyFont();
  void PageText(const QString& text);
  double PenPixels() const noexcept;
  void FillBand(double across, double from, double to, bool vertical, Rgb colour);
  void FillRect(const QRectF& rect, const QColor& colour);
  void FillPlain(const QRectF& area, const QColor& colour);
  // Drawing anywhere in `area` may cover texts written before.
  void Touched(const QRectF& area);
  void TouchedPolyline(const QPointF* points, qsizetype count, qsizetype run);

  // A text written since the last Clear that nothing drawn since covers.
  struct WrittenText {
    QString text;
    QPointF at;
    QFont font;
    QColor colour;
    QRectF ink;  // where its pixels may lie
  };

  std::unique_ptr<QPainter> m_ownPainter;
  QPainter* m_painter = nullptr;
  QRectF m_deviceRect;
  CanvasScale m_scale;
  QPointF m_origin;
  double m_pixelsPerUnit = 1.0;   // horizontal, and vertical on the screens
  double m_pixelsPerUnitY = 1.0;  // differs on a page
  QFont m_font;
  double m_fontPoints = 9.0;
  double m_ascent = 0.0;
  double m_lineWidth = 1.0;
  bool m_dashed = false;
  bool m_penValid = false;
  Rgb m_penColour;
  bool m_autoRedraw = true;

  GridPoint m_current;
  GridPoint m_textPosition;
  QVector<QPointF> m_buffer;
  // Only an image keeps what was drawn; a printer page or a window paint
  // may start afresh without a Clear.
  bool m_keeps = false;
  std::vector<WrittenText> m_written;
  QImage* m_image = nullptr;  // the device, when its pixels can be written directly
};

}  // namespace diruruzevuv::platform
