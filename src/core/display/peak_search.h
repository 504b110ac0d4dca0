#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/display/graph_geometry.h"
#include "core/display/marker_record.h"

namespace qv {

// Commands of the graph's context menu beside the channel ones.
inline constexpr int32_t kCmdMarkerToPeak = 40001;
inline constexpr int32_t kCmdNextPeak = 40002;
inline constexpr int32_t kCmdMarkerToFrequency = 40003;

// How far a local maximum must stand above its surroundings to count as a peak for Next Peak.
inline constexpr int32_t kPeakExcursionDb = 6;

// Levels are in 1/16 dBm, as received, so points that differ by a fraction of a dB are told
// apart. The highest of `count` levels, the first one where several are equal; none when empty.
std::optional<int32_t> HighestPoint(const int16_t* levels, int32_t count);

// The peak after `from` in order of falling level (equal levels: left to right). A peak is a
// local maximum (a point, or the first of a flat run, with no higher neighbour; the ends count)
// that stands at least `excursion` (1/16 dB) above its surroundings. Its surroundings are the usual
// prominence base: on each side, the lowest level between it and the nearest strictly higher
// point (or the trace's end when there is none); the higher of the two sides. `from` need not
// be a peak itself. None when no lower peak remains or `from` is out of range.
std::optional<int32_t> NextPeak(const int16_t* levels, int32_t count, int32_t from,
                                int32_t excursion = kPeakExcursionDb * 16);

// The point of a sweep of `points` points from `start` (50 kHz steps), `sweep_word` steps apart,
// nearest `mhz`; none when the frequency lies outside the sweep by more than half a step.
std::optional<int32_t> PointAtFrequency(uint32_t start, uint16_t sweep_word, int32_t points,
                                        double mhz);

// The marker the peak commands move: the current one, the first while none is chosen.
inline int32_t PeakMarkerIndex(int32_t current_marker) {
  return current_marker >= 1 && current_marker <= kMarkerCount ? current_marker - 1 : 0;
}

}  // namespace qv
