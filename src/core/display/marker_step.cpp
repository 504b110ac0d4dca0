#include "core/display/marker_step.h"

#include <algorithm>

#include "core/display/level_units.h"

namespace qv {
namespace {

struct MarkerEnd {
  int32_t MarkerRecord::*x;
  int32_t MarkerRecord::*point;
  float MarkerRecord::*level;
  float MarkerRecord::*frequency;
};

constexpr MarkerEnd kEndA{&MarkerRecord::a_x, &MarkerRecord::a_point, &MarkerRecord::a_level,
                          &MarkerRecord::a_frequency};
constexpr MarkerEnd kEndB{&MarkerRecord::b_x, &MarkerRecord::b_point, &MarkerRecord::b_level,
                          &MarkerRecord::b_frequency};

const MarkerEnd* SelectedEnd(const MarkerRecord& m) {
  const bool b_armed = m.b_enabled != 0 && m.a_enabled == 0;
  if (b_armed && m.b_placed != 0) return &kEndB;
  if (m.a_placed != 0) return &kEndA;
  if (m.b_placed != 0) return &kEndB;
  return nullptr;
}

// The end on `point`, with what a sweep would give it there.
void PutEnd(MarkerRecord& marker, const MarkerEnd& end, const GraphGeometry& g, uint32_t start,
            uint16_t sweep_word, const int16_t* live_sixteenths, int32_t point) {
  marker.*(end.point) = point;
  marker.*(end.x) = g.X(point);
  if (live_sixteenths != nullptr) marker.*(end.level) = DbmOfSixteenths(live_sixteenths[point]);
  marker.*(end.frequency) = static_cast<float>(PointFrequency(start, point, sweep_word));
}

}  // namespace

void PlaceMarkerA(MarkerRecord& marker, const GraphGeometry& g, uint32_t start, uint16_t sweep_word,
                  const int16_t* live_sixteenths, int32_t point) {
  PlaceMarkerEnd(marker, false, g, start, sweep_word, live_sixteenths, point);
}

void PlaceMarkerEnd(MarkerRecord& marker, bool b_end, const GraphGeometry& g, uint32_t start,
                    uint16_t sweep_word, const int16_t* live_sixteenths, int32_t point) {
  PutEnd(marker, b_end ? kEndB : kEndA, g, start, sweep_word, live_sixteenths, point);
  (b_end ? marker.b_placed : marker.a_placed) = 1;
}

bool StepMarker(MarkerRecord& marker, const GraphGeometry& g, uint32_t start, uint16_t sweep_word,
                const int16_t* live_sixteenths, int32_t points, int32_t steps) {
  const MarkerEnd* end = SelectedEnd(marker);
  if (end == nullptr || points <= 0 || live_sixteenths == nullptr) return false;
  // A point from an older, longer sweep is first brought onto this one.
  const int64_t from = std::clamp<int64_t>(marker.*(end->point), 0, points - 1);
  const auto point = static_cast<int32_t>(std::clamp<int64_t>(from + steps, 0, points - 1));
  PutEnd(marker, *end, g, start, sweep_word, live_sixteenths, point);
  return true;
}

}  // namespace qv
