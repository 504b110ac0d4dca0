#include "core/display/zoom.h"

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

uint32_t FrequencyToSteps(double mhz) {
  // A selection's frequencies are whole steps kept as floats: rounded, so 2409.95 stays 48199
  // rather than falling to 48198. Frequencies below 0 have no steps.
  return mhz > 0 ? static_cast<uint32_t>(std::lround(mhz * 1000.0 / 50.0)) : 0;
}

}  // namespace

SpectrumSettings ZoomSettings(const Selection& selection, const SpectrumSettings& working) {
  const double low = std::min(selection.start_frequency, selection.end_frequency);
  const double high = std::max(selection.start_frequency, selection.end_frequency);
  SpectrumSettings settings = working;
  settings.start = FrequencyToSteps(low);
  settings.span = FrequencyToSteps(high) - settings.start;
  return settings;
}

bool ZoomIn(DisplayState& state, const SweepWindow& current, CConnectionOps& ops) {
  if (state.zoom_depth >= kMaxZoomDepth) {
    state.zoom_in_available = false;
    return false;
  }
  SpectrumSettings& working = ops.State().working;
  const SpectrumSettings settings = ZoomSettings(state.selection, working);
  // A zero span would ask the Receiver for a sweep without points.
  if (settings.span == 0) return false;
  state.zoom_depth = std::max(state.zoom_depth, 0) + 1;
  state.zoom_start[state.zoom_depth] = current.start;
  state.zoom_span[state.zoom_depth] = current.span;
  state.zoom_selection[state.zoom_depth] = state.selection;
  working = settings;
  if (!ops.SendSpectrumSettings(working)) return false;
  state.area_selected = false;
  return true;
}

bool ZoomOut(DisplayState& state, CConnectionOps& ops) {
  if (state.zoom_depth <= 0) {
    state.zoom_in_available = true;
    return false;
  }
  const int32_t depth = std::min(state.zoom_depth, kMaxZoomDepth);
  SpectrumSettings& working = ops.State().working;
  working.start = state.zoom_start[depth];
  working.span = state.zoom_span[depth];
  if (!ops.SendSpectrumSettings(working)) return false;
  state.zoom_depth = depth - 1;
  // The area this level was zoomed from, not one marked since on the narrower span.
  state.selection = state.zoom_selection[depth];
  state.area_selected = true;
  return true;
}

}  // namespace qv
