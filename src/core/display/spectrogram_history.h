#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/display/average_history.h"

namespace qv {

// Per-point levels of the last 100 sweeps, logically h[point][0 ... 99]. In normal order slot 0
// is the newest; in reverse replay slot 99 is.
//
// Ageing moves every slot of a point by one, keeping the slot that the next sweep overwrites
// equal to its neighbour. Each point keeps a ring offset instead, so ageing is one write per
// point.
class SpectrogramHistory {
 public:
  SpectrogramHistory();

  int16_t At(int32_t point, int32_t slot) const {
    return slots_[static_cast<size_t>((offset_[point] + slot) % kHistoryDepth) * kMaxPoints +
                  point];
  }
  // The 100 slots of `point` in logical order.
  void CopyPoint(int32_t point, int16_t* out) const;
  // Slots 0 ... 99 of points 0 ... points - 1, slot-major: out[slot * points + point].
  void CopySlots(int32_t points, int16_t* out) const;

  // Stores the newest level of `point`: slot 0, or slot 99 when `reverse`.
  void Write(int32_t point, int16_t level, bool reverse) {
    filled_[reverse ? kHistoryDepth - 1 : 0] = 1;
    const int32_t o = offset_[point];
    const int32_t slot = reverse ? (o == 0 ? kHistoryDepth - 1 : o - 1) : o;
    slots_[static_cast<size_t>(slot) * kMaxPoints + point] = level;
  }

  // Write for the points [begin, end), levels[i] being point i's level.
  void WriteRange(int32_t begin, int32_t end, const int16_t* levels, bool reverse);

  // Ages points 0 ... points - 1 by one sweep: normal order moves slots up (slot 0 stays as it
  // was), reverse order moves them down (slot 99 stays).
  void Shift(int32_t points, bool reverse);

  // Sets every slot of points 0 ... points - 1; no slot then holds a sweep.
  void Fill(int32_t points, int16_t level);

  // Which logical slots hold levels of a sweep (1) rather than the fill (0): a write marks the
  // newest slot, ageing moves the marks with the levels. Every point of a sweep ages together,
  // so one mark per slot serves all points.
  const std::array<uint8_t, kHistoryDepth>& FilledSlots() const { return filled_; }

 private:
  std::array<uint8_t, kHistoryDepth> filled_{};  // logical order
  std::vector<int16_t> slots_;   // slot-major
  std::vector<uint8_t> offset_;  // physical slot of logical slot 0
};

}  // namespace qv
