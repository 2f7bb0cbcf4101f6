#include <gtest/gtest.h>

#include <QImage>
#include <functional>

#include "platform/qpainter_canvas.h"

namespace diruruzevuv::platform {
namespace {

constexpr Rgb kPink{255, 221, 221};

struct Between {
  const char* name;
  std::function<void(QPainterCanvas&)> draw;
  bool textWrittenAgain;
};

// Writes a label, draws something, writes the label again: an untouched
// label is left alone (antialiased text written twice turns bold).
TEST(CanvasOverdrawTest, LabelIsWrittenAgainOnlyWhenSomethingCoveredIt) {
  const Between rows[] = {
      {"nothing", [](QPainterCanvas&) {}, false},
      {"line elsewhere", [](QPainterCanvas& c) { c.Line({0, 8000}, {9000, 8500}, model::kBlue); },
       false},
      {"box over it", [](QPainterCanvas& c) { c.FilledBox({900, 900}, {3000, 1800}, kPink); }, true},
      {"curve through it", [](QPainterCanvas& c) { c.Line({0, 0}, {4000, 2000}, model::kBlue); },
       true},
      {"clear", [](QPainterCanvas& c) { c.Clear(); }, true},
  };
  for (const Between& row : rows) {
    QImage image(1200, 900, QImage::Format_RGB32);
    QPainterCanvas canvas(&image);
    canvas.Clear();
    canvas.SetTextPosition({1000, 1000});
    canvas.Text("-50");
    row.draw(canvas);
    const QImage before = image.copy();
    canvas.SetTextPosition({1000, 1000});
    canvas.Text("-50");
    EXPECT_EQ(image != before, row.textWrittenAgain) << row.name;
  }
}

}  // namespace
}  // namespace diruruzevuv::platform
