#include "core/display/graph_mouse.h"

#include <algorithm>

namespace qv {

PlotRect MouseRect(const PlotRect& area) {
  PlotRect mouse = area;
  mouse.right = area.right * 10 / 11;
  mouse.bottom = area.bottom * 3 / 4;
  return mouse;
}

bool InsideMouseArea(const PlotRect& mouse, int32_t x, int32_t y) {
  const int64_t left = static_cast<int64_t>(mouse.left) + kPlotLeftMargin;
  const int64_t right = static_cast<int64_t>(mouse.right) + kPlotLeftMargin;
  return x >= left && x <= right && y >= kPlotTopY && y <= mouse.bottom;
}

int32_t MousePointAtX(int32_t x, uint32_t points, int32_t mouse_right) {
  const int64_t width = static_cast<int64_t>(mouse_right) - kPlotLeftMargin;
  if (points <= 1 || width <= 0) return 0;
  const int64_t last = static_cast<int64_t>(points) - 1;
  const int64_t point = last * (static_cast<int64_t>(x) - kPlotLeftMargin) / width;
  return static_cast<int32_t>(std::clamp<int64_t>(point, 0, last));
}

void MouseLeftDown(DisplayState& state, std::array<MarkerRecord, kMarkerCount>& markers,
                   const MouseSweep& sweep, const PlotRect& area, int32_t x, int32_t y) {
  const PlotRect mouse = MouseRect(area);
  if (!InsideMouseArea(mouse, x, y)) return;
  if (state.selection_mode) {
    state.selection.start_x = x;
    state.selection.start_y = y;
    state.selection.start_frequency = FrequencyAtX(x, sweep.points, sweep.start, mouse.right);
    return;
  }
  if (state.current_marker < 1 || state.current_marker > kMarkerCount) return;
  MarkerRecord& marker = markers[state.current_marker - 1];
  const int32_t point = MousePointAtX(x, sweep.points, mouse.right);
  // Both ends may be armed; one click then places both.
  if (marker.a_enabled != 0) {
    marker.a_x = x;
    marker.a_point = point;
    marker.a_placed = 1;
  }
  if (marker.b_enabled != 0) {
    marker.b_x = x;
    marker.b_point = point;
    marker.b_placed = 1;
  }
}

void MouseMove(DisplayState& state, const MouseSweep& sweep, const PlotRect& area, int32_t x,
               int32_t y, bool left_only) {
  const PlotRect mouse = MouseRect(area);
  if (!InsideMouseArea(mouse, x, y)) return;
  state.mouse_inside = true;
  state.mouse_x = x;
  state.mouse_y = y;
  if (!left_only || !state.selection_mode) return;
  state.selection.end_x = x;
  state.selection.end_y = y;
  state.selection.end_frequency = FrequencyAtX(x, sweep.points, sweep.start, mouse.right);
  state.area_selected = true;
}

}  // namespace qv
