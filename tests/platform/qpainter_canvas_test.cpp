#include "platform/qpainter_canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "platform/drawing_surface.h"

namespace diruruzevuv::platform {
namespace {

using model::kBlue;
using model::kRed;

bool Inked(const QImage& image, QRect area) {
  QImage white(area.size(), image.format());
  white.fill(Qt::white);
  return image.copy(area) != white;
}

// Counter-clockwise on screen: 0 to pi is the upper half though y grows down.
TEST(QPainterCanvasTest, ArcsRunCounterClockwiseOnScreen) {
  constexpr double kPi = std::numbers::pi;
  const struct {
    double start, end;
    bool above, below;  // the arc passes above the centre (y smaller), below it
  } rows[] = {{0.0, kPi, true, false},
              {1.5 * kPi, kPi / 4, false, true},  // through zero
              {0.0, 6.2, true, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.start);
    QImage image(1200, 900, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainterCanvas canvas(&image);
    canvas.SetLineWidth(2);
    canvas.Arc({6000, 4500}, 2000, row.start, row.end, kBlue);
    // Centre at pixel (600, 450), radius 200.
    EXPECT_EQ(
        std::pair(Inked(image, QRect(560, 230, 80, 40)), Inked(image, QRect(560, 630, 80, 40))),
        std::pair(row.above, row.below));
  }
}

// The window's backing image draws everything again at a new size, in the style in force
// at its Clear; dashes leave gaps along lines and dense curves.
TEST(DrawingSurfaceTest, DrawsAgainAfterAResize) {
  for (const bool dashed : {false, true}) {
    DrawingSurface surface(QSize(600, 450));
    surface.SetLineWidth(3);
    surface.SetDashed(dashed);
    surface.Clear();
    surface.Line({0, 6000}, {12000, 6000}, kRed);
    std::vector<GridPoint> wave;  // dense, as curves are
    for (int x = 0; x <= 12000; x += 20) wave.push_back({x * 1.0, 3000.0 + x % 40 / 2});
    surface.Polyline(wave, kRed);
    surface.Resize(QSize(1200, 900));
    for (const int y : {295, 595}) {
      int gaps = 0;
      for (int x = 100; x < 1100; ++x) gaps += !Inked(surface.Image(), QRect(x, y, 1, 10));
      EXPECT_TRUE(gaps < 600 && (gaps > 100) == dashed) << y;
    }
  }
}

constexpr Rgb kPink{255, 221, 221};

// Writes a label, draws something, places and writes it again as each Monte Carlo trial
// does: an untouched label is left alone (antialiased text written twice turns bold).
TEST(CanvasOverdrawTest, LabelIsWrittenAgainOnlyWhenSomethingCoveredIt) {
  const struct {
    const char* name;
    std::function<void(QPainterCanvas&)> draw;
    bool textWrittenAgain;
  } rows[] = {
      {"nothing", [](QPainterCanvas&) {}, false},
      {"label against it", [](auto& c) { c.SetTextPosition({1100, 1080}), c.Text("-6"); }, false},
      {"line elsewhere", [](QPainterCanvas& c) { c.Line({0, 8000}, {9000, 8500}, model::kBlue); },
       false},
      {"box over it", [](QPainterCanvas& c) { c.FilledBox({900, 900}, {3000, 1800}, kPink); }, true},
      {"curve through it", [](QPainterCanvas& c) { c.Line({0, 0}, {4000, 2000}, model::kBlue); },
       true},
      {"clear", [](QPainterCanvas& c) { c.Clear(); }, true},
  };
  for (const auto& row : rows) {
    QImage image(800, 600, QImage::Format_RGB32);  // where a placing point touches the label
    QPainterCanvas canvas(&image);
    canvas.Clear();
    canvas.SetTextPosition({1000, 1000});
    canvas.Text("-50");
    row.draw(canvas);
    const QImage before = image.copy();
    canvas.Point({1000, 1000}, model::kWhite);
    canvas.Text("-50");
    EXPECT_EQ(image != before, row.textWrittenAgain) << row.name;
  }
}

}  // namespace
}  // namespace diruruzevuv::platform
