#pragma once

#include <span>
#include <string_view>

#include "model/plot/rgb.h"

namespace diruruzevuv::platform {

using model::Rgb;

// A point in the drawing's own units: the 12000 x 9000 layout grid of the
// screens, or the 14000 x 10000 user scale of the printed page.
struct GridPoint {
  double x = 0.0;
  double y = 0.0;
  friend constexpr bool operator==(GridPoint, GridPoint) = default;
};

// The drawing surface of a screen or of the printer page.
class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void Clear() = 0;
  // Line from a to b; the current position becomes b.
  virtual void Line(GridPoint from, GridPoint to, Rgb colour) = 0;
  // Line from the current position to b; the current position becomes b.
  virtual void LineTo(GridPoint to, Rgb colour) = 0;
  // Several LineTo calls in one colour (the curves use it for speed).
  virtual void Polyline(std::span<const GridPoint> points, Rgb colour) {
    for (const GridPoint& p : points) LineTo(p, colour);
  }
  virtual void Box(GridPoint corner1, GridPoint corner2, Rgb colour) = 0;
  virtual void FilledBox(GridPoint corner1, GridPoint corner2, Rgb colour) = 0;
  // Arc by centre and radius (horizontal units), angles in radians from
  // start to end, counter-clockwise as seen on the screen (y grows down).
  virtual void Arc(GridPoint centre, double radius, double start, double end, Rgb colour) = 0;
  // Plots a point; moves the current and the text position there.
  virtual void Point(GridPoint at, Rgb colour) = 0;
  // Moves the text position without plotting anything.
  virtual void SetTextPosition(GridPoint at) = 0;
  // Writes text with its top left corner at the text position.
  virtual void Text(std::string_view text) = 0;
  virtual void SetLineWidth(double pixels) = 0;
  // Dashed lines and curves until set back; solid at the start. A surface
  // without dashes draws them solid.
  virtual void SetDashed(bool /*dashed*/) {}
  virtual void SetFontSize(double points) = 0;
  // Persistent redraw: off during a Monte Carlo run.
  virtual void SetAutoRedraw(bool on) = 0;
};

}  // namespace diruruzevuv::platform
