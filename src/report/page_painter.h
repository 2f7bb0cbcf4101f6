#pragma once

#include <QPainter>
#include <QPointF>
#include <QSizeF>
#include <span>
#include <string_view>

#include "platform/canvas.h"

namespace diruruzevuv::report {

// Draws the 14000 x 10000 page onto a printer, a PDF or an image. Unlike the
// screen's canvas it maps the page onto the device itself instead of through
// a painter transform, so that line widths stay in device (printer) pixels,
// font sizes in real points, and arcs round on a page whose proportions
// differ a little from 14 : 10.
class PagePainterCanvas final : public platform::Canvas {
 public:
  // The painter is active on the device; deviceSize is the printable area
  // in device pixels.
  PagePainterCanvas(QPainter& painter, QSizeF deviceSize);

  void Clear() override;
  void Line(platform::GridPoint from, platform::GridPoint to, platform::Rgb colour) override;
  void LineTo(platform::GridPoint to, platform::Rgb colour) override;
  void Polyline(std::span<const platform::GridPoint> points, platform::Rgb colour) override;
  void Box(platform::GridPoint corner1, platform::GridPoint corner2, platform::Rgb colour) override;
  void FilledBox(platform::GridPoint corner1, platform::GridPoint corner2,
                 platform::Rgb colour) override;
  void Arc(platform::GridPoint centre, double radius, double start, double end,
           platform::Rgb colour) override;
  void Point(platform::GridPoint at, platform::Rgb colour) override;
  void SetTextPosition(platform::GridPoint at) override;
  void Text(std::string_view text) override;
  void SetLineWidth(double pixels) override;
  void SetFontSize(double points) override;
  void SetAutoRedraw(bool) override {}

 private:
  QPointF Map(platform::GridPoint p) const;
  void UsePen(platform::Rgb colour);

  QPainter& m_painter;
  QSizeF m_size;
  double m_sx;
  double m_sy;
  platform::GridPoint m_current;
  platform::GridPoint m_textPosition;
  double m_lineWidth = 1.0;
};

}  // namespace diruruzevuv::report
