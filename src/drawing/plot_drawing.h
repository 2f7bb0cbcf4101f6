#pragma once

// The response plot's drawing, one set for the design screen and the
// printed report: each function draws into the frame of the geometry it is
// given, and a PlotLook holds all the two surfaces draw differently.
// Nothing here needs Qt.

#include <array>
#include <cstdint>
#include <string>

#include "model/circuit/analysis.h"
#include "model/circuit/design_state.h"
#include "model/circuit/evaluation.h"
#include "model/circuit/global_defaults.h"
#include "model/plot/plot_geometry.h"
#include "model/plot/plot_grid.h"
#include "model/plot/rgb.h"
#include "platform/canvas.h"

namespace diruruzevuv::drawing {

struct PlotLook {
  double frameWidth = 2.0;
  double gridLineWidth = 1.0;
  double labelFontSize = 0.0;  // 0: the surface's font as it is
  model::Rgb boxFill{255, 221, 221};
  model::Rgb passbandOutline{255, 17, 17};
  model::Rgb harmonicOutline = model::kRed;
  std::array<double, 3> boxLineWidths{1.0, 1.0, 1.0};
  // The screen marks both ends of each box with a red line over the full
  // height; the page keeps its boxes inside the frame, where they cannot
  // print over the figures or the schematic.
  bool boxEdgeLines = true;
  bool clipBoxes = false;
};

inline constexpr PlotLook kScreenLook{};
inline constexpr PlotLook kPageLook{.frameWidth = 12.0,
                                    .gridLineWidth = 2.0,
                                    .labelFontSize = 10.0,
                                    .boxFill = {255, 240, 240},
                                    .passbandOutline = {255, 17, 17},
                                    .harmonicOutline = {255, 17, 17},
                                    .boxLineWidths = {5.0, 6.0, 6.0},
                                    .boxEdgeLines = false,
                                    .clipBoxes = true};

void DrawFrame(platform::Canvas& canvas, const model::PlotGeometry& geometry, double width);

// The vertical grid lines and their frequency labels.
void DrawFrequencyGrid(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                       const model::PlotGrid& grid, const model::DesignState& design,
                       const PlotLook& look);

// The level grid and its labels, ten decibels per division whatever the
// floor (with the wizard's -60 dB and 6 divisions they match the curves).
// No divisions, no grid; any 16-bit count is drawn in int arithmetic.
void DrawLevelGrid(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                   std::int16_t divisions, double screenWidthTwips);

// The three design-aid boxes; a box without a place on the axis is left out.
void DrawAidBoxes(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                  const std::array<model::AidSpan, 3>& spans, const PlotLook& look);

// "Cannot analyse: " and why, or empty text when nothing is found wrong.
std::string UnanalysableText(const model::DesignState& design);

// In place of the curves: one line inside the frame saying why there is no
// response ("Cannot analyse: ..."), on a white band so that the grid and
// the boxes do not run through it. Nothing for an empty line.
void DrawUnanalysableLine(platform::Canvas& canvas, const model::PlotFrame& frame,
                          const std::string& line, const PlotLook& look);

// The screen's curves: transmission at line width 2, reflection at 1, both
// in one colour, thinned to the points where the path visibly bends.
void DrawResponse(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                  const model::SweepResult& sweep, model::Rgb colour);

// The page's curves: transmission at line width 9, reflection at 6, blue,
// red where a point inside a report mark window (model::ReportMarkWindow)
// lies above its box.
void DrawMarkedResponse(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                        const model::SweepResult& sweep, const model::DesignState& design,
                        const model::GlobalDefaults& defaults);

}  // namespace diruruzevuv::drawing
