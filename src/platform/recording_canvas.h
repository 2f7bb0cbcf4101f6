#pragma once

#include <string>
#include <vector>

#include "platform/canvas.h"

namespace diruruzevuv::platform {

// Records every drawing operation, for tests and for checking what a
// screen or the report would draw without a window or a printer.
class RecordingCanvas final : public Canvas {
 public:
  enum class Kind {
    Clear,
    Line,
    LineTo,
    Box,
    FilledBox,
    Arc,
    Point,
    TextPosition,
    Text,
    LineWidth,
    FontSize,
    AutoRedraw,
    Dashed
  };
  struct Op {
    Kind kind = Kind::Clear;
    GridPoint a;  // Line: from; LineTo/Point/TextPosition: the point; Box: corner 1; Arc: centre
    GridPoint b;  // Line: to; Box: corner 2
    Rgb colour;
    double radius = 0.0;
    double start = 0.0;
    double end = 0.0;
    double value = 0.0;  // line width, font size, auto redraw and dashed (1/0)
    std::string text;    // Text: the text; its top left corner is in a
    // Every op also records the line width and font size in force.
    double lineWidth = 1.0;
    double fontSize = 0.0;
    bool dashed = false;  // and whether lines are dashed
  };

  void Clear() override;
  void Line(GridPoint from, GridPoint to, Rgb colour) override;
  void LineTo(GridPoint to, Rgb colour) override;
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

  const std::vector<Op>& Ops() const noexcept { return m_ops; }
  void Reset() { m_ops.clear(); }
  // Texts written, in order.
  std::vector<std::string> Texts() const;
  // Operations of one kind, in order.
  std::vector<Op> OfKind(Kind kind) const;

 private:
  Op Make(Kind kind) const;
  std::vector<Op> m_ops;
  GridPoint m_current;
  GridPoint m_textPosition;
  double m_lineWidth = 1.0;
  double m_fontSize = 0.0;
  bool m_dashed = false;
};

}  // namespace diruruzevuv::platform
