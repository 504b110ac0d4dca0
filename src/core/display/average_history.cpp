#include "core/display/average_history.h"

#include <algorithm>
#include <array>

namespace qv {

AverageHistory::AverageHistory()
    : slots_(static_cast<size_t>(kHistoryDepth) * kMaxPoints, 0),
      window_(kMaxPoints, 0),
      offset_(kMaxPoints, 0),
      sums_(kMaxPoints, 0) {}

int16_t AverageHistory::At(int32_t point, int32_t slot) const {
  const int32_t window = window_[point];
  const int32_t physical = slot <= window ? (offset_[point] + slot) % (window + 1) : slot;
  return slots_[static_cast<size_t>(physical) * kMaxPoints + point];
}

void AverageHistory::StepRange(int32_t begin, int32_t end, int32_t k, const int16_t* levels,
                               int32_t* sums) {
  // Plain local pointers: the byte stores below would otherwise make the compiler reload every
  // vector's data pointer on each point.
  int16_t* slots = slots_.data();
  uint8_t* window = window_.data();
  uint8_t* offset = offset_.data();
  int32_t* ring_sums = sums_.data();
  for (int32_t i = begin; i < end; ++i) {
    const int16_t level = levels[i];
    if (k == 0 || window[i] != k) {
      sums[i] = LiteralStep(i, k, level);
      continue;
    }
    const int32_t o = offset[i];
    int16_t& oldest = slots[static_cast<size_t>(o) * kMaxPoints + i];
    int16_t& newest = slots[static_cast<size_t>(o == 0 ? k : o - 1) * kMaxPoints + i];
    const int32_t sum = ring_sums[i] - oldest - newest + 2 * level;
    // The new level lands at logical k - 1 and k: where the old newest and the old oldest were.
    oldest = level;
    newest = level;
    offset[i] = static_cast<uint8_t>(o == k ? 0 : o + 1);
    ring_sums[i] = sum;
    sums[i] = sum;
  }
}

int32_t AverageHistory::LiteralStep(int32_t point, int32_t k, int16_t level) {
  const int32_t window = window_[point];
  const int32_t offset = offset_[point];
  if (offset != 0) {
    std::array<int16_t, kHistoryDepth> ordered;
    for (int32_t j = 0; j <= window; ++j) ordered[j] = Physical(point, (offset + j) % (window + 1));
    for (int32_t j = 0; j <= window; ++j) Physical(point, j) = ordered[j];
  }
  Physical(point, k) = level;
  for (int32_t j = 0; j < k; ++j) Physical(point, j) = Physical(point, j + 1);
  int32_t sum = 0;
  for (int32_t j = 0; j <= k; ++j) sum += Physical(point, j);
  window_[point] = static_cast<uint8_t>(k);
  offset_[point] = 0;
  sums_[point] = sum;
  return sum;
}

}  // namespace qv
