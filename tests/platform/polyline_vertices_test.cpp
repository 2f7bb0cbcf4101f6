// Long polylines lose the vertices that change nothing visible; what is
// drawn must still match the full curve.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "platform/qpainter_canvas.h"

namespace diruruzevuv::platform {
namespace {

struct CurveRow {
  const char* name;
  double lineWidth;
  double wiggle;  // grid units of a fast ripple on a slow curve
};

void PrintTo(const CurveRow& row, std::ostream* os) {
  *os << row.name;
}

class PolylineVerticesTest : public ::testing::TestWithParam<CurveRow> {};

TEST_P(PolylineVerticesTest, DrawsLikeEveryPoint) {
  const CurveRow& row = GetParam();
  std::vector<GridPoint> curve;
  for (int i = 0; i <= 2000; ++i) {
    const double x = 6000.0 + 5000.0 * i / 2000.0;
    const double y = 2000.0 + 1200.0 * std::sin(i * 0.004) + row.wiggle * std::sin(i * 0.9) +
                     (i > 1500 ? 4.0 * (i - 1500) : 0.0);
    curve.push_back({x, std::min(y, 4000.0)});
  }
  QImage reduced(1200, 900, QImage::Format_RGB32);
  reduced.fill(Qt::white);
  {
    QPainterCanvas canvas(&reduced);
    canvas.SetLineWidth(row.lineWidth);
    canvas.Point(curve[0], model::kWhite);
    canvas.Polyline(std::span<const GridPoint>(curve).subspan(1), model::kBlue);
  }
  QImage full(1200, 900, QImage::Format_RGB32);
  full.fill(Qt::white);
  {
    QPainter painter(&full);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QColor(0, 0, 255));
    pen.setWidthF(row.lineWidth);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    std::vector<QPointF> points;
    for (const GridPoint& p : curve) points.emplace_back(p.x * 0.1, p.y * 0.1);
    painter.drawPolyline(points.data(), static_cast<int>(points.size()));
  }
  int visible = 0;
  long long total = 0;
  int inked = 0;
  for (int y = 0; y < full.height(); ++y) {
    for (int x = 0; x < full.width(); ++x) {
      const QRgb a = reduced.pixel(x, y);
      const QRgb b = full.pixel(x, y);
      const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
      if (d > 40) ++visible;
      total += d;
      if (qRed(b) < 128) ++inked;
    }
  }
  EXPECT_GT(inked, 500);  // the curve is really there
  if (row.lineWidth <= 1.0) {
    EXPECT_EQ(reduced, full);  // thin lines keep every vertex
    return;
  }
  // A twentieth of a pixel moves antialiased edges by a few levels; the
  // stroker's joins differ in a handful of edge pixels at most.
  EXPECT_LT(visible, inked / 200);
  EXPECT_LT(static_cast<double>(total) / inked, 8.0);
}

INSTANTIATE_TEST_SUITE_P(Curves, PolylineVerticesTest,
                         ::testing::Values(CurveRow{"SmoothThick", 2.0, 0.0},
                                           CurveRow{"SmoothThin", 1.0, 0.0},
                                           CurveRow{"RippleThick", 2.0, 30.0},
                                           CurveRow{"WideSmooth", 3.0, 0.0},
                                           CurveRow{"RippleThin", 1.0, 30.0}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace diruruzevuv::platform
