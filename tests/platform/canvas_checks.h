#pragma once

#include <algorithm>
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
  const auto texts = canvas.Texts();
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

}  // namespace diruruzevuv::testing
