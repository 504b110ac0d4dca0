#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/display/trace_slots.h"

namespace qv {

inline constexpr int32_t kHistoryDepth = 100;

// Per-point history of the trace average, logically h[point][0 ... 99].
//
// One averaging step with window k writes the new level to h[k], moves h[1 ... k] down to
// h[0 ... k - 1] and sums h[0 ... k]: the oldest level drops out and the new one is counted twice
// (at k - 1 and k). Moving k entries per point is too slow at full sweep rate, so while a point
// keeps the same k its window is a ring with its own offset and a running sum; only when k
// differs from the point's last k is the ring put back in order and the step done literally.
// Slots above the window are never touched by a step, as in the literal shift.
class AverageHistory {
 public:
  AverageHistory();

  // Averaging step of every point in [begin, end) with window 0 ... k (0 <= k < kHistoryDepth);
  // levels[i] is point i's new level and sums[i] receives the sum of h[0 ... k] after the step.
  void StepRange(int32_t begin, int32_t end, int32_t k, const int16_t* levels, int32_t* sums);

  // Level in logical slot `slot` of `point`.
  int16_t At(int32_t point, int32_t slot) const;

 private:
  int32_t LiteralStep(int32_t point, int32_t k, int16_t level);

  int16_t& Physical(int32_t point, int32_t slot) {
    return slots_[static_cast<size_t>(slot) * kMaxPoints + point];
  }

  // Slot-major, so that points stepped together touch neighbouring memory.
  std::vector<int16_t> slots_;
  std::vector<uint8_t> window_;  // k of the point's ring; 0 means in order
  std::vector<uint8_t> offset_;  // physical slot of logical slot 0 within 0 ... window
  std::vector<int32_t> sums_;    // sum of the window, valid while window_ > 0
};

}  // namespace qv
