#pragma once

#include <QImage>
#include <QSize>
#include <functional>
#include <memory>
#include <vector>

#include "platform/canvas.h"
#include "platform/qpainter_canvas.h"

namespace diruruzevuv::platform {

// A screen's persistent drawing: a backing image that holds everything
// drawn since the last Clear. The operations are also kept, so that a
// resized window draws them again sharply at its new size instead of
// stretching pixels; curves laid over each other (Monte Carlo trials)
// survive a resize too.
class DrawingSurface final : public Canvas {
 public:
  explicit DrawingSurface(QSize pixels = QSize(1200, 900), CanvasScale scale = {});
  ~DrawingSurface() override;

  // New size (in logical pixels, with the screen's pixel ratio): a new
  // image with every operation since the last Clear drawn again.
  void Resize(QSize size, double pixelRatio = 1.0);
  // A quick new size for a long drawing: the picture is stretched, and the
  // next Resize draws it again sharply (even at the same size).
  void Stretch(QSize size, double pixelRatio = 1.0);
  const QImage& Image() const noexcept { return m_image; }
  // Size in logical pixels.
  QSize Size() const noexcept { return m_image.deviceIndependentSize().toSize(); }
  // Called after drawing, at most once until Delivered() (the window asks
  // for a repaint).
  void SetChangedCallback(std::function<void()> changed) { m_changed = std::move(changed); }
  void Delivered() noexcept { m_pending = false; }
  std::size_t OperationCount() const noexcept { return m_ops.size(); }

  void Clear() override;
  void Line(GridPoint from, GridPoint to, Rgb colour) override;
  void LineTo(GridPoint to, Rgb colour) override;
  void Polyline(std::span<const GridPoint> points, Rgb colour) override;
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

 private:
  using Operation = std::function<void(Canvas&)>;
  // How many points the kept operations may hold before the drawing so far
  // is kept as a picture instead (a resize then stretches that part).
  static constexpr std::size_t kPointBudget = 2'000'000;
  void Do(Operation op);
  void Changed();
  void Start();
  void Flatten();
  void NewImage(QSize size, double pixelRatio);

  CanvasScale m_scale;
  QImage m_image;
  std::unique_ptr<QPainterCanvas> m_canvas;
  std::vector<Operation> m_ops;
  std::function<void()> m_changed;
  bool m_pending = false;
  bool m_stretched = false;
  QImage m_base;  // drawing kept as a picture once the operations grew too many
  std::size_t m_storedPoints = 0;
  double m_fontPoints = 9.0;
  double m_lineWidth = 1.0;
  double m_fontAtClear = 9.0;
  double m_lineWidthAtClear = 1.0;
  bool m_dashed = false;
  bool m_dashedAtClear = false;
};

}  // namespace diruruzevuv::platform
