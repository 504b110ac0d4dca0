#pragma once

#include <cstdint>

#include "core/display/display_state.h"
#include "core/display/graph_geometry.h"
#include "core/display/trace_data.h"

namespace qv {

// The peak and step commands on the live trace, moving the A end of the current marker (the
// first while none is chosen). Each returns false, changing nothing, when there is nowhere to go.
bool MarkerToPeak(TraceData& trace, const DisplayState& state, const GraphGeometry& geometry);
// The next lower peak; without a marker on the trace yet, the highest point.
bool MarkerToNextPeak(TraceData& trace, const DisplayState& state, const GraphGeometry& geometry);
bool MarkerToFrequency(TraceData& trace, const DisplayState& state, const GraphGeometry& geometry,
                       double mhz);
// By `steps` points, held at the trace's ends; false when no marker is placed.
bool StepPeakMarker(TraceData& trace, const DisplayState& state, const GraphGeometry& geometry,
                    int steps);
// The marker those commands move.
MarkerRecord& PeakMarker(TraceData& trace, const DisplayState& state);

}  // namespace qv
