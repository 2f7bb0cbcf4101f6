#pragma once

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "platform/recording_canvas.h"

namespace diruruzevuv::testing {

// Lines and continued lines in one colour: the strokes of a curve.
inline std::vector<platform::RecordingCanvas::Op> Strokes(const platform::RecordingCanvas& canvas,
                                                          model::Rgb colour) {
  using Kind = platform::RecordingCanvas::Kind;
  std::vector<platform::RecordingCanvas::Op> ops;
  for (const auto& op : canvas.Ops())
    if ((op.kind == Kind::Line || op.kind == Kind::LineTo) && op.colour == colour)
      ops.push_back(op);
  return ops;
}

inline bool HasText(const platform::RecordingCanvas& canvas, const std::string& text) {
  return std::ranges::count(canvas.Texts(), text) > 0;
}

// The drawing from `top` down as text, shifted by (-dx, -dy), each item
// followed by a space: "x,y-x,y" a line, ">x,y" a line continued,
// "A x,y r start end" an arc, "W x,y \"text\"" a text placed by a white point.
inline std::string Describe(const platform::RecordingCanvas& canvas, double top = 0.0,
                            double dx = 0.0, double dy = 0.0) {
  using Kind = platform::RecordingCanvas::Kind;
  std::ostringstream s;
  const auto at = [&](platform::GridPoint p) { s << p.x - dx << ',' << p.y - dy; };
  const auto& ops = canvas.Ops();
  for (std::size_t i = 0; i < ops.size(); ++i) {
    const platform::RecordingCanvas::Op& op = ops[i];
    if (op.a.y < top) continue;
    if (op.kind == Kind::Line) at(op.a), s << '-', at(op.b), s << ' ';
    if (op.kind == Kind::LineTo) s << '>', at(op.b), s << ' ';
    if (op.kind == Kind::Arc)
      s << "A ", at(op.a), s << ' ' << op.radius << ' ' << op.start << ' ' << op.end << ' ';
    if (op.kind == Kind::Text && i > 0 && ops[i - 1].kind == Kind::Point && ops[i - 1].a == op.a &&
        ops[i - 1].colour == model::kWhite)
      s << "W ", at(op.a), s << " \"" << op.text << "\" ";
  }
  return s.str();
}

// A table written one item a line, as Describe gives it.
inline std::string OneLine(std::string table) {
  std::replace(table.begin(), table.end(), '\n', ' ');
  return table;
}

}  // namespace diruruzevuv::testing
