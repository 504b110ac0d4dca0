#pragma once

#include <cstdint>

#include "core/display/graph_geometry.h"
#include "core/display/marker_record.h"

namespace qv {

// Places the A end of `marker` on `point` of the live trace (levels in 1/16 dBm) at once, with
// the frequency and level a sweep would give it, so a paused or replayed picture shows it too.
void PlaceMarkerA(MarkerRecord& marker, const GraphGeometry& g, uint32_t start, uint16_t sweep_word,
                  const int16_t* live_sixteenths, int32_t point);

// The same for end A or B (`b_end`), as a click places it; without levels the next sweep gives
// the level.
void PlaceMarkerEnd(MarkerRecord& marker, bool b_end, const GraphGeometry& g, uint32_t start,
                    uint16_t sweep_word, const int16_t* live_sixteenths, int32_t point);

// Moves the selected end of `marker` by `steps` points of the live trace (negative: lower in
// frequency), held at the trace's ends, with its position, frequency and level at once so a
// paused picture follows too. The selected end is the armed one when it is placed, else a
// placed A, else a placed B. False when nothing is placed or the trace is empty. The band power
// of a pair follows with the next sweep.
bool StepMarker(MarkerRecord& marker, const GraphGeometry& g, uint32_t start, uint16_t sweep_word,
                const int16_t* live_sixteenths, int32_t points, int32_t steps);

}  // namespace qv
