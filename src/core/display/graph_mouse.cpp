#include "core/display/graph_mouse.h"

#include "core/display/marker_step.h"

namespace qv {

double FrequencyUnder(const GraphGeometry& plot, const MouseSweep& sweep, int32_t x) {
  return PointFrequency(sweep.start, plot.PointAtX(x), sweep.sweep_word);
}

void MouseLeftDown(DisplayState& state, std::array<MarkerRecord, kMarkerCount>& markers,
                   const MouseSweep& sweep, const GraphGeometry& plot, int32_t x, int32_t y) {
  // A click elsewhere dismisses a selection, as a new drag replaces it.
  if (!state.selection_mode) state.area_selected = false;
  if (!plot.Contains(x, y)) return;
  if (state.selection_mode) {
    state.area_selected = false;
    state.selection.start_x = x;
    state.selection.start_y = y;
    state.selection.start_frequency =
        static_cast<float>(AxisFrequencyAt(plot, sweep.start, sweep.sweep_word, x));
    return;
  }
  if (state.current_marker < 1 || state.current_marker > kMarkerCount) return;
  MarkerRecord& marker = markers[state.current_marker - 1];
  const int32_t point = plot.PointAtX(x);
  // Both ends may be armed; one click then places both.
  for (const bool b_end : {false, true}) {
    if ((b_end ? marker.b_enabled : marker.a_enabled) == 0) continue;
    PlaceMarkerEnd(marker, b_end, plot, sweep.start, sweep.sweep_word, sweep.live_sixteenths, point);
  }
}

void SetSelectionMode(DisplayState& state, bool on) {
  state.selection_mode = on;
  if (!on) state.area_selected = false;
}

void MouseMove(DisplayState& state, const MouseSweep& sweep, const GraphGeometry& plot, int32_t x,
               int32_t y, bool left_only) {
  state.mouse_inside = plot.Contains(x, y);
  if (!state.mouse_inside) return;
  state.mouse_x = x;
  state.mouse_y = y;
  if (!left_only || !state.selection_mode) return;
  state.selection.end_x = x;
  state.selection.end_y = y;
  state.selection.end_frequency =
      static_cast<float>(AxisFrequencyAt(plot, sweep.start, sweep.sweep_word, x));
  state.area_selected = true;
}

}  // namespace qv
