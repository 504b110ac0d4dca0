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
