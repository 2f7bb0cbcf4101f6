#pragma once

#include <QTimer>
#include <QWidget>

#include "platform/drawing_surface.h"
#include "platform/screen_geometry.h"

namespace diruruzevuv::platform {

// A top-level screen laid out on the 12000 x 9000 grid: its client area is
// a persistent drawing surface with the controls on top. The controls and
// the drawing follow the window's size, keeping the grid's proportions.
class GridForm : public QWidget {
  Q_OBJECT

 public:
  // The screen's own font (used for text on the drawing surface) is
  // "display height x 0.001" points.
  static constexpr double kScreenFontFactor = 0.001;

  explicit GridForm(QWidget* parent = nullptr);
  ~GridForm() override;

  DrawingSurface& Surface() noexcept { return m_surface; }
  const DrawingSurface& Surface() const noexcept { return m_surface; }
  ScreenGeometry& Geometry() noexcept { return m_geometry; }
  const ScreenGeometry& Geometry() const noexcept { return m_geometry; }

  // Places a control on the grid (left, top, width, height in grid units).
  void Place(QWidget* control, double left, double top, double width, double height,
             double fontFactor = kScreenFontFactor,
             const QString& family = QStringLiteral("Arial"));

  // Opens at a comfortable size, centred on the current screen.
  void ShowComfortably();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FitTo(QSize client);
  void Settled();

  // Drawings up to this many operations are drawn again at every resize.
  static constexpr std::size_t kQuickRedrawOperations = 3000;

  ScreenGeometry m_geometry;
  DrawingSurface m_surface;
  QTimer m_settle;
};

}  // namespace diruruzevuv::platform
