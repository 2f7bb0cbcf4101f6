#pragma once

// Where everything of the response plot lies: the frame, the mapping of
// frequency and level onto it, the grid lines, the label positions and the
// design-aid boxes. The design screen's plot and the printed report both
// draw from here, each in its own frame; anything drawn over the plot
// (measured curves, markers) should map its points the same way.

#include <cstdint>
#include <optional>
#include <vector>

#include "model/circuit/analysis.h"
#include "model/circuit/design_state.h"
#include "model/circuit/global_defaults.h"
#include "model/plot/plot_grid.h"

namespace diruruzevuv::model {

// A point in the units of the surface the plot is drawn on.
struct PlotPoint {
  double x = 0.0;
  double y = 0.0;
  friend constexpr bool operator==(PlotPoint, PlotPoint) = default;
};

// The plot rectangle and where its frequency labels start relative to
// their grid lines. Every frame is 3500 units high: the level grid's
// integer division is taken over that height.
struct PlotFrame {
  double left = 0.0;
  double top = 0.0;
  double right = 0.0;
  double bottom = 0.0;
  double frequencyLabelShift = 0.0;  // a label's left edge lies this far left of its line

  constexpr double Width() const noexcept { return right - left; }
  constexpr double Height() const noexcept { return bottom - top; }
};

// The design screen's plot, in layout-grid units.
inline constexpr PlotFrame kScreenPlotFrame{6000.0, 500.0, 11000.0, 4000.0, 150.0};
// The report's plot, in page units.
inline constexpr PlotFrame kReportPlotFrame{2000.0, 1500.0, 7000.0, 5000.0, 250.0};

// Coordinates are kept within this distance of the frame before anything
// converts them to pixels: far enough out that whatever is clipped by the
// window or the page looks the same, near enough that no pixel type
// overflows on any surface.
inline constexpr double kCoordinateReach = 1.0e6;

// A design-aid box: from x1 to x2 and from the top edge down to the
// box's level.
struct AidBox {
  int harmonic = 1;  // 1 passband, 2 and 3 harmonics
  PlotPoint topLeft;
  PlotPoint bottomRight;
};

class PlotGeometry {
 public:
  PlotGeometry(const PlotFrame& frame, float sweepStart, float sweepStop,
               float plotFloorDb) noexcept;
  // The plot of this design's sweep with these defaults' floor: what the
  // screen and the report draw, and what anything drawn over them uses.
  PlotGeometry(const PlotFrame& frame, const DesignState& design,
               const GlobalDefaults& defaults) noexcept
      : PlotGeometry(frame, design.SweepStart, design.SweepStop, defaults.PlotFloorDb) {}

  const PlotFrame& Frame() const noexcept { return m_frame; }
  // False when the sweep limits give no logarithmic axis; X is then NaN
  // or infinite.
  bool Usable() const noexcept { return m_usable; }

  // Frequency (Hz) to x, unclamped: NaN or infinite for an unusable axis.
  double X(double frequency) const noexcept;
  // x of a fraction of the plot width (a grid line's position).
  double XAt(double fraction) const noexcept { return m_frame.left + m_frame.Width() * fraction; }
  // Level (dB) to y, unclamped: 0 dB on the top edge, the floor on the
  // bottom edge. A floor of 0 (or not finite) counts as -60 dB.
  double Y(double levelDb) const noexcept;
  // Y limited to the frame: above the top (and NaN) on the top edge,
  // below the floor on the bottom edge.
  double ClampedY(double levelDb) const noexcept { return ClampY(Y(levelDb)); }
  double ClampY(double y) const noexcept;
  double ClampX(double x) const noexcept;
  // Keeps a coordinate within kCoordinateReach of the frame (NaN stays
  // NaN), so that drawing it cannot overflow a pixel type.
  PlotPoint WithinReach(PlotPoint p) const noexcept;
  double ReachX(double x) const noexcept;

  // x of every sweep point, in order, within reach.
  std::vector<double> SweepX(const SweepResult& sweep) const;

  // Level grid: y of line i of 0..divisions (integer division of the
  // 3500-unit height, as the labels assume).
  double LevelLineY(int i, int divisions) const noexcept;
  // Top left of level label i ("0", "-10", ...) of textLength characters;
  // the labels end near 100 units left of the frame. screenWidthTwips is
  // the width of the screen the layout grid stands for (12000 when unusable).
  PlotPoint LevelLabelAt(int i, int divisions, std::size_t textLength,
                         double screenWidthTwips) const noexcept;
  // Top left of the label of a frequency grid line at this fraction.
  PlotPoint FrequencyLabelAt(double fraction) const noexcept;

  // A box kept inside the frame (the report's boxes must not print over
  // the figures).
  AidBox ClipToFrame(AidBox box) const noexcept;

 private:
  PlotFrame m_frame;
  float m_sweepStart;
  float m_sweepStop;
  bool m_usable = false;
  double m_logStart = 0.0;
  double m_logSpan = 1.0;
  double m_floorMagnitude = 60.0;
};

// Whether the last sweep can be drawn (and its figures taken) on this
// design's axis.
bool SweepDrawable(const SweepResult& sweep, const DesignState& design) noexcept;

}  // namespace diruruzevuv::model
