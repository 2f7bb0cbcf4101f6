#pragma once

#include <QTimer>
#include <QPoint>
#include <QWidget>
#include <vector>

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

  // Opens at a comfortable size, centred on the current screen and moved
  // by `offset` (another copy of the program may have a window there).
  void ShowComfortably(QPoint offset = QPoint());

  // Makes the window no smaller than the size at which ordinary text is
  // legible and every text of needs fits its control (captions and
  // examples of changing texts); where the rounding of a font size to
  // whole pixels would cut one of these texts, its control's font is a
  // pixel smaller. The measure is kept per screen name: it depends on the
  // fonts alone.
  void SetMinimumForTexts(const std::vector<ScreenGeometry::TextNeed>& needs);
  // Every placed label's and button's caption as it stands.
  std::vector<ScreenGeometry::TextNeed> CaptionNeeds() const;

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
