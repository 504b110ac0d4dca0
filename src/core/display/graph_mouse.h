#pragma once

#include <array>
#include <cstdint>

#include "core/display/display_state.h"
#include "core/display/marker_record.h"
#include "core/display/plot_scale.h"

namespace qv {

// The sweep the mouse maps onto: its start (50 kHz steps) and point count N.
struct MouseSweep {
  uint32_t start = 0;
  uint32_t points = 0;
};

// The rectangle the mouse handlers test against, from the graph area A: right cut to ten
// elevenths, bottom to three quarters.
PlotRect MouseRect(const PlotRect& area);

// Whether (x, y) lies where a click places or selects: A.left + 60 <= x <= right + 60 and
// 5 <= y <= bottom of the mouse rectangle.
bool InsideMouseArea(const PlotRect& mouse, int32_t x, int32_t y);

// Index of the sweep point under x, kept within 0 ... N - 1 (0 for N <= 1 or a plot with no
// width), so a click right of the last point cannot point past the trace arrays.
int32_t MousePointAtX(int32_t x, uint32_t points, int32_t mouse_right);

// Left button down at (x, y): starts a selection in selection mode, otherwise places the
// enabled ends of the current marker. Outside the plot nothing changes. Never repaints.
void MouseLeftDown(DisplayState& state, std::array<MarkerRecord, kMarkerCount>& markers,
                   const MouseSweep& sweep, const PlotRect& area, int32_t x, int32_t y);

// Pointer moved to (x, y); `left_only` when the left button is the only button or key held.
// Inside the plot the position is kept for the read-out, and in selection mode a left drag
// stretches the selection. Never repaints.
void MouseMove(DisplayState& state, const MouseSweep& sweep, const PlotRect& area, int32_t x,
               int32_t y, bool left_only);

}  // namespace qv
