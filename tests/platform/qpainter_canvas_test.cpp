#include "platform/qpainter_canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/drawing_surface.h"

namespace diruruzevuv::platform {
namespace {

using model::kBlue;
using model::kRed;
using model::kWhite;

bool IsWhite(const QImage& image, int x, int y) {
  return image.pixelColor(x, y) == QColor(Qt::white);
}

int NonWhiteIn(const QImage& image, QRect area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) count += IsWhite(image, x, y) ? 0 : 1;
  }
  return count;
}

QImage WhiteImage(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

TEST(QPainterCanvasTest, DrawsSomethingIntoAnImage) {
  QImage image = WhiteImage(1200, 900);
  {
    QPainterCanvas canvas(&image);
    canvas.Line({1000, 1000}, {11000, 8000}, kBlue);
    canvas.FilledBox({6000, 500}, {7000, 1500}, {255, 221, 221});
    canvas.Point({3000, 3000}, kWhite);
    canvas.Text("50 ");
  }
  EXPECT_GT(NonWhiteIn(image, image.rect()), 1000);
}

TEST(QPainterCanvasTest, KeepsProportionsAndCentres) {
  QImage image = WhiteImage(1600, 900);
  QPainterCanvas canvas(&image);
  EXPECT_DOUBLE_EQ(canvas.PixelsPerUnit(), 0.1);
  EXPECT_EQ(canvas.Map({0, 0}), QPointF(200, 0));
  EXPECT_EQ(canvas.Map({12000, 9000}), QPointF(1400, 900));
}

TEST(QPainterCanvasTest, PrinterSizedGridFitsTheDevice) {
  QImage image = WhiteImage(1400, 1000);
  QPainterCanvas canvas(&image, CanvasScale{14000, 10000, 20, 1});
  EXPECT_DOUBLE_EQ(canvas.PixelsPerUnit(), 0.1);
  EXPECT_EQ(canvas.Map({14000, 10000}), QPointF(1400, 1000));
}

struct ArcRow {
  const char* name;
  double start;
  double end;
  bool above;  // the arc's middle lies above the centre (y smaller)
  bool below;
};

class ArcDirectionTest : public ::testing::TestWithParam<ArcRow> {};

// Arcs run counter-clockwise as seen on the screen: 0 to pi is the upper
// half even though y grows downwards.
TEST_P(ArcDirectionTest, RunsCounterClockwiseOnScreen) {
  const ArcRow& row = GetParam();
  QImage image = WhiteImage(1200, 900);
  {
    QPainterCanvas canvas(&image);
    canvas.SetLineWidth(2);
    canvas.Arc({6000, 4500}, 2000, row.start, row.end, kBlue);
  }
  // Centre at pixel (600, 450), radius 200.
  const QRect top(560, 230, 80, 40);
  const QRect bottom(560, 630, 80, 40);
  EXPECT_EQ(NonWhiteIn(image, top) > 0, row.above);
  EXPECT_EQ(NonWhiteIn(image, bottom) > 0, row.below);
}

INSTANTIATE_TEST_SUITE_P(Arcs, ArcDirectionTest,
                         ::testing::Values(ArcRow{"UpperHalf", 0.0, std::numbers::pi, true, false},
                                           ArcRow{"LowerHalf", std::numbers::pi,
                                                  2 * std::numbers::pi, false, true},
                                           ArcRow{"WrapsThroughZero", 3 * std::numbers::pi / 2,
                                                  std::numbers::pi / 4, false, true},
                                           ArcRow{"AlmostFull", 0.0, 6.2, true, true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(QPainterCanvasTest, TextHangsBelowItsPosition) {
  QImage image = WhiteImage(1200, 900);
  {
    QPainterCanvas canvas(&image);
    canvas.SetFontSize(9);
    canvas.Point({3000, 3000}, kWhite);
    canvas.Text("Rin");
  }
  // Text position at pixel (300, 300); the font is 18 pixels high.
  EXPECT_EQ(NonWhiteIn(image, QRect(250, 250, 150, 49)), 0);
  EXPECT_GT(NonWhiteIn(image, QRect(300, 300, 60, 25)), 0);
}

TEST(QPainterCanvasTest, ClearPaintsTheBackground) {
  QImage image = WhiteImage(120, 90);
  image.fill(Qt::black);
  QPainterCanvas canvas(&image);
  canvas.Clear();
  canvas.Painter().end();
  EXPECT_EQ(NonWhiteIn(image, image.rect()), 0);
}

TEST(QPainterCanvasTest, AxisLinesAreCrispBandsOfTheLineWidth) {
  QImage image = WhiteImage(1200, 900);
  {
    QPainterCanvas canvas(&image);
    canvas.Line({1000, 3000}, {5000, 3000}, kBlue);  // y = 300 px, width 1
    canvas.SetLineWidth(2);
    canvas.Line({8000, 1000}, {8000, 5000}, kRed);  // x = 800 px, width 2
  }
  int rows = 0;
  for (int y = 290; y < 310; ++y) rows += IsWhite(image, 300, y) ? 0 : 1;
  EXPECT_EQ(rows, 1);
  int columns = 0;
  for (int x = 790; x < 810; ++x) columns += IsWhite(image, x, 300) ? 0 : 1;
  EXPECT_EQ(columns, 2);
  EXPECT_EQ(image.pixelColor(300, 300).blue(), 255);
}

struct SimplifyRow {
  const char* name;
  std::vector<QPointF> points;
  std::vector<QPointF> kept;
};

class SimplifyTest : public ::testing::TestWithParam<SimplifyRow> {};

TEST_P(SimplifyTest, KeepsTheShape) {
  QVector<QPointF> points(GetParam().points.begin(), GetParam().points.end());
  const qsizetype kept = SimplifyPolyline(points, 0.1);
  EXPECT_EQ(std::vector<QPointF>(points.begin(), points.begin() + kept), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SimplifyTest,
    ::testing::Values(
        SimplifyRow{"Straight", {{0, 0}, {1, 1}, {2, 2}, {3, 3}}, {{0, 0}, {3, 3}}},
        SimplifyRow{"Corner", {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}}, {{0, 0}, {2, 0}, {2, 2}}},
        SimplifyRow{"WithinTolerance", {{0, 0}, {1, 0.05}, {2, 0}}, {{0, 0}, {2, 0}}},
        SimplifyRow{"BeyondTolerance", {{0, 0}, {1, 0.2}, {2, 0}}, {{0, 0}, {1, 0.2}, {2, 0}}},
        SimplifyRow{"GoesBack", {{0, 0}, {4, 0}, {1, 0}}, {{0, 0}, {4, 0}, {1, 0}}},
        SimplifyRow{"TwoPoints", {{0, 0}, {5, 5}}, {{0, 0}, {5, 5}}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SimplifyTest, NoDroppedPointStraysFromTheKeptPath) {
  QVector<QPointF> points;
  for (int i = 0; i <= 2000; ++i) points.push_back(QPointF(i * 0.33, 200 * std::sin(i * 0.01)));
  const QVector<QPointF> original = points;
  const qsizetype kept = SimplifyPolyline(points, 0.1);
  EXPECT_LT(kept, 400);
  // Every original point lies within the tolerance of its kept segment
  // (measured square to the segment).
  qsizetype segment = 0;
  for (const QPointF& p : original) {
    while (segment + 2 < kept && points[segment + 1].x() < p.x()) ++segment;
    const QPointF a = points[segment];
    const QPointF d = points[segment + 1] - a;
    const QPointF v = p - a;
    const double distance = std::fabs(v.x() * d.y() - v.y() * d.x()) / std::hypot(d.x(), d.y());
    EXPECT_LE(distance, 0.1 + 1e-9) << p.x();
  }
}

TEST(DrawingSurfaceTest, DrawsAgainAfterAResize) {
  DrawingSurface surface(QSize(600, 450));
  surface.Clear();
  surface.SetLineWidth(3);
  surface.Line({0, 4500}, {12000, 4500}, kRed);
  EXPECT_FALSE(IsWhite(surface.Image(), 300, 225));
  surface.Resize(QSize(1200, 900));
  EXPECT_EQ(surface.Size(), QSize(1200, 900));
  EXPECT_FALSE(IsWhite(surface.Image(), 600, 450));
  EXPECT_TRUE(IsWhite(surface.Image(), 600, 300));
}

TEST(DrawingSurfaceTest, KeepsAPictureOnceTheOperationsOutgrowTheBudget) {
  DrawingSurface surface(QSize(600, 450));
  surface.SetOperationBudget(100);
  surface.Clear();
  surface.SetLineWidth(3);
  std::vector<GridPoint> curve;
  for (int i = 0; i <= 200; ++i) curve.push_back({60.0 * i, 4500});
  surface.Line({0, 4500}, {0, 4500}, kRed);
  surface.Polyline(curve, kRed);  // more points than the budget
  EXPECT_LE(surface.OperationCount(), 2u);
  surface.LineTo({12000, 0}, kBlue);  // continues from the curve's end
  surface.Resize(QSize(1200, 900));
  EXPECT_FALSE(IsWhite(surface.Image(), 300, 450));  // the kept picture, stretched
  EXPECT_FALSE(IsWhite(surface.Image(), 1199, 1));   // the line drawn after it
  surface.Clear();
  surface.Resize(QSize(600, 450));
  EXPECT_EQ(NonWhiteIn(surface.Image(), surface.Image().rect()), 0);
}

TEST(DrawingSurfaceTest, DrawsSharplyOnHighDensityScreens) {
  DrawingSurface surface(QSize(600, 450));
  surface.Clear();
  surface.Line({0, 4500}, {12000, 4500}, kRed);
  surface.Resize(QSize(600, 450), 2.0);
  EXPECT_EQ(surface.Size(), QSize(600, 450));
  EXPECT_EQ(surface.Image().size(), QSize(1200, 900));
  // The line is one logical pixel, two image rows, across the whole width.
  int rows = 0;
  for (int y = 440; y < 460; ++y) rows += IsWhite(surface.Image(), 1100, y) ? 0 : 1;
  EXPECT_EQ(rows, 2);
}

TEST(DrawingSurfaceTest, StretchesQuicklyThenDrawsSharplyAgain) {
  DrawingSurface surface(QSize(600, 450));
  surface.Clear();
  surface.Line({0, 4500}, {12000, 4500}, kRed);
  surface.Stretch(QSize(1200, 900));
  EXPECT_TRUE(surface.Stretched());
  EXPECT_EQ(surface.Size(), QSize(1200, 900));
  surface.LineTo({6000, 0}, kBlue);  // drawing goes on meanwhile
  surface.Resize(QSize(1200, 900));  // same size: still drawn again
  EXPECT_FALSE(surface.Stretched());
  // Sharp again: the width-1 line covers exactly one row.
  int rows = 0;
  for (int y = 440; y < 460; ++y) rows += IsWhite(surface.Image(), 300, y) ? 0 : 1;
  EXPECT_EQ(rows, 1);
  EXPECT_GT(NonWhiteIn(surface.Image(), QRect(895, 220, 10, 10)), 0);
}

TEST(DrawingSurfaceTest, ClearForgetsEarlierDrawing) {
  DrawingSurface surface(QSize(600, 450));
  surface.Line({0, 4500}, {12000, 4500}, kRed);
  surface.Clear();
  EXPECT_EQ(surface.OperationCount(), 1u);
  surface.Resize(QSize(1200, 900));
  EXPECT_EQ(NonWhiteIn(surface.Image(), surface.Image().rect()), 0);
}

TEST(DrawingSurfaceTest, TellsTheWindowOnceUntilDelivered) {
  DrawingSurface surface(QSize(60, 45));
  int calls = 0;
  surface.SetChangedCallback([&calls] { ++calls; });
  surface.Line({0, 0}, {100, 100}, kRed);
  surface.Line({0, 0}, {200, 100}, kRed);
  EXPECT_EQ(calls, 1);
  surface.Delivered();
  surface.Line({0, 0}, {300, 100}, kRed);
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace diruruzevuv::platform
