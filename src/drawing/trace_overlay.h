#pragma once

#include "drawing/measurement_overlay.h"
#include "model/circuit/design_state.h"
#include "model/plot/plot_geometry.h"
#include "model/plot/traces.h"
#include "platform/canvas.h"

namespace diruruzevuv::drawing {

// Draws each visible trace in its colour, |S21| solid and |S11| dashed,
// as wide as the measurement's curves. Draws nothing at all when no trace
// is visible; otherwise leaves solid lines of width 1 behind.
void DrawTraces(platform::Canvas& canvas, const model::PlotGeometry& geometry,
                const model::TraceList& traces, const model::DesignState& design,
                const OverlayStyle& style);

// The traces' legend on a plain box inside the plot's bottom right corner:
// a line a visible trace, a solid and a dashed sample of its colour (the
// dashed one alone for a one-port trace) before its name, shortened in
// its middle to leave the left part of the plot free. Nothing when no
// trace is visible or the style has no legend.
void DrawTraceLegend(platform::Canvas& canvas, const model::PlotFrame& frame,
                     const model::TraceList& traces, const OverlayStyle& style);

}  // namespace diruruzevuv::drawing
