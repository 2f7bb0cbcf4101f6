#include "platform/recording_canvas.h"

namespace diruruzevuv::platform {

RecordingCanvas::Op RecordingCanvas::Make(Kind kind) const {
  Op op;
  op.kind = kind;
  op.lineWidth = m_lineWidth;
  op.fontSize = m_fontSize;
  op.dashed = m_dashed;
  return op;
}

void RecordingCanvas::Clear() {
  m_ops.push_back(Make(Kind::Clear));
  m_current = {};
  m_textPosition = {};
}

void RecordingCanvas::Line(GridPoint from, GridPoint to, Rgb colour) {
  Op op = Make(Kind::Line);
  op.a = from;
  op.b = to;
  op.colour = colour;
  m_ops.push_back(op);
  m_current = to;
}

void RecordingCanvas::LineTo(GridPoint to, Rgb colour) {
  Op op = Make(Kind::LineTo);
  op.a = m_current;
  op.b = to;
  op.colour = colour;
  m_ops.push_back(op);
  m_current = to;
}

void RecordingCanvas::Box(GridPoint corner1, GridPoint corner2, Rgb colour) {
  Op op = Make(Kind::Box);
  op.a = corner1;
  op.b = corner2;
  op.colour = colour;
  m_ops.push_back(op);
  m_current = corner2;
}

void RecordingCanvas::FilledBox(GridPoint corner1, GridPoint corner2, Rgb colour) {
  Op op = Make(Kind::FilledBox);
  op.a = corner1;
  op.b = corner2;
  op.colour = colour;
  m_ops.push_back(op);
  m_current = corner2;
}

void RecordingCanvas::Arc(GridPoint centre, double radius, double start, double end,
                          Rgb colour) {
  Op op = Make(Kind::Arc);
  op.a = centre;
  op.radius = radius;
  op.start = start;
  op.end = end;
  op.colour = colour;
  m_ops.push_back(op);
}

void RecordingCanvas::Point(GridPoint at, Rgb colour) {
  Op op = Make(Kind::Point);
  op.a = at;
  op.colour = colour;
  m_ops.push_back(op);
  m_current = at;
  m_textPosition = at;
}

void RecordingCanvas::SetTextPosition(GridPoint at) {
  Op op = Make(Kind::TextPosition);
  op.a = at;
  m_ops.push_back(op);
  m_textPosition = at;
}

void RecordingCanvas::Text(std::string_view text) {
  Op op = Make(Kind::Text);
  op.a = m_textPosition;
  op.text = std::string(text);
  m_ops.push_back(op);
}

void RecordingCanvas::SetLineWidth(double pixels) {
  m_lineWidth = pixels;
  Op op = Make(Kind::LineWidth);
  op.value = pixels;
  m_ops.push_back(op);
}

void RecordingCanvas::SetFontSize(double points) {
  m_fontSize = points;
  Op op = Make(Kind::FontSize);
  op.value = points;
  m_ops.push_back(op);
}

void RecordingCanvas::SetAutoRedraw(bool on) {
  Op op = Make(Kind::AutoRedraw);
  op.value = on ? 1.0 : 0.0;
  m_ops.push_back(op);
}

void RecordingCanvas::SetDashed(bool dashed) {
  m_dashed = dashed;
  Op op = Make(Kind::Dashed);
  op.value = dashed ? 1.0 : 0.0;
  m_ops.push_back(op);
}

std::vector<std::string> RecordingCanvas::Texts() const {
  std::vector<std::string> texts;
  for (const Op& op : m_ops)
    if (op.kind == Kind::Text) texts.push_back(op.text);
  return texts;
}

std::vector<RecordingCanvas::Op> RecordingCanvas::OfKind(Kind kind) const {
  std::vector<Op> ops;
  for (const Op& op : m_ops)
    if (op.kind == kind) ops.push_back(op);
  return ops;
}

}  // namespace diruruzevuv::platform
