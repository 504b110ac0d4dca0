#include "core/display/peak_marker.h"

#include <optional>

#include "core/display/marker_step.h"
#include "core/display/peak_search.h"

namespace qv {
namespace {

bool PlaceAt(TraceData& trace, const DisplayState& state, const GraphGeometry& geometry,
             std::optional<int32_t> point) {
  if (!point) return false;
  const SweepHeader& hd = trace.header;
  PlaceMarkerA(PeakMarker(trace, state), geometry, hd.start, hd.sweep_word,
               trace.live_sixteenths.data(), *point);
  return true;
}

}  // namespace

MarkerRecord& PeakMarker(TraceData& trace, const DisplayState& state) {
  return trace.markers[static_cast<size_t>(PeakMarkerIndex(state.current_marker))];
}

bool MarkerToPeak(TraceData& trace, const DisplayState& state, const GraphGeometry& geometry) {
  return PlaceAt(trace, state, geometry,
                 HighestPoint(trace.live_sixteenths.data(), trace.StoredPoints()));
}

bool MarkerToNextPeak(TraceData& trace, const DisplayState& state, const GraphGeometry& geometry) {
  const MarkerRecord& marker = PeakMarker(trace, state);
  if (marker.a_placed == 0) return MarkerToPeak(trace, state, geometry);
  return PlaceAt(trace, state, geometry,
                 NextPeak(trace.live_sixteenths.data(), trace.StoredPoints(), marker.a_point));
}

bool MarkerToFrequency(TraceData& trace, const DisplayState& state, const GraphGeometry& geometry,
                       double mhz) {
  const SweepHeader& hd = trace.header;
  return PlaceAt(trace, state, geometry,
                 PointAtFrequency(hd.start, hd.sweep_word, trace.StoredPoints(), mhz));
}

bool StepPeakMarker(TraceData& trace, const DisplayState& state, const GraphGeometry& geometry,
                    int steps) {
  const SweepHeader& hd = trace.header;
  return StepMarker(PeakMarker(trace, state), geometry, hd.start, hd.sweep_word,
                    trace.live_sixteenths.data(), trace.StoredPoints(), steps);
}

}  // namespace qv
