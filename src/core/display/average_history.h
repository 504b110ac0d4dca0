#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/display/trace_slots.h"

namespace qv {

inline constexpr int32_t kHistoryDepth = 100;

// Per-point history of the trace average: the last kHistoryDepth levels of each point, logically
// h[point][0 ... 99] with the newest at 99.
//
// A step with window k stores the new level and sums the newest k + 1 levels, each once, so the
// average is the mean of the last k + 1 sweeps. Each point keeps a ring with its own head and the
// running sum of its last window, so a step with an unchanged window costs one add and one drop.
class AverageHistory {
 public:
  AverageHistory();

  // Averaging step of every point in [begin, end) with window 0 ... k (0 <= k < kHistoryDepth);
  // levels[i] is point i's new level and sums[i] receives the sum of its newest k + 1 levels.
  void StepRange(int32_t begin, int32_t end, int32_t k, const int16_t* levels, int32_t* sums);

  // Level in logical slot `slot` of `point`: 99 is the newest, 99 - a the one a steps older.
  int16_t At(int32_t point, int32_t slot) const;

 private:
  // Level `age` steps older than the newest of `point` (age 0 is the newest).
  int16_t Aged(int32_t point, int32_t age) const;

  // Slot-major, so that points stepped together touch neighbouring memory.
  std::vector<int16_t> slots_;
  std::vector<uint8_t> head_;    // physical slot of the newest level
  std::vector<uint8_t> window_;  // k of the point's running sum
  std::vector<int32_t> sums_;    // sum of the newest window_ + 1 levels
};

}  // namespace qv
