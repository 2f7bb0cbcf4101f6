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
      {"line elsewhere",
       [](QPainterCanvas& c) {
         c.Line({0, 8000}, {9000, 8500}, model::kBlue);
       },
       false},
      {"box over it",
       [](QPainterCanvas& c) {
         c.FilledBox({900, 900}, {3000, 1800}, kPink);
       },
       true},
      {"curve through it",
       [](QPainterCanvas& c) {
         c.Line({0, 0}, {4000, 2000}, model::kBlue);
       },
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

// A box filled again after a line crossed it covers the line again.
TEST(CanvasOverdrawTest, RefilledBoxCoversWhatWasDrawnOverIt) {
  QImage image(1200, 900, QImage::Format_RGB32);
  QPainterCanvas canvas(&image);
  canvas.Clear();
  canvas.FilledBox({1000, 1000}, {5000, 4000}, kPink);
  const QImage boxOnly = image.copy();
  canvas.SetLineWidth(2);
  canvas.Line({0, 2000}, {9000, 2500}, model::kBlue);
  canvas.Line({3000, 0}, {3000, 9000}, model::kBlue);
  canvas.FilledBox({1000, 1000}, {5000, 4000}, kPink);
  EXPECT_EQ(image.copy(QRect(101, 101, 398, 298)), boxOnly.copy(QRect(101, 101, 398, 298)));
}

}  // namespace
}  // namespace diruruzevuv::platform
