#pragma once

#include <array>
#include <cstdint>

#include "core/display/display_state.h"
#include "core/display/graph_geometry.h"
#include "core/display/marker_record.h"

namespace qv {

// The sweep the mouse maps onto: its start (50 kHz steps), the steps between points and the live
// levels a marker placed on it reads. The point count comes with the geometry.
struct MouseSweep {
  uint32_t start = 0;
  uint16_t sweep_word = 1;
  const int16_t* live_sixteenths = nullptr;  // 1/16 dBm
};

// Frequency in MHz of the drawn point under x: what the read-out shows and a marker placed there
// reports.
double FrequencyUnder(const GraphGeometry& plot, const MouseSweep& sweep, int32_t x);

// Left button down at (x, y): starts a selection in selection mode at the axis's frequency
// under x (the area marked before goes until the drag), otherwise drops any selection and
// places the enabled ends of the current marker on the drawn point under x with that point's
// frequency and level at once (without levels, the next sweep gives them). Outside the plot
// only the selection goes outside selection mode. Never repaints.
void MouseLeftDown(DisplayState& state, std::array<MarkerRecord, kMarkerCount>& markers,
                   const MouseSweep& sweep, const GraphGeometry& plot, int32_t x, int32_t y);

// Selection mode on or off. Leaving it drops the selection: nothing could act on it any more.
void SetSelectionMode(DisplayState& state, bool on);

// Pointer moved to (x, y); `left_only` when the left button is the only button or key held.
// Inside the plot the position is kept for the read-out, and in selection mode a left drag
// stretches the selection; outside it the read-out goes. Never repaints.
void MouseMove(DisplayState& state, const MouseSweep& sweep, const GraphGeometry& plot, int32_t x,
               int32_t y, bool left_only);

}  // namespace qv
