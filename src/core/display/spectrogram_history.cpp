#include "core/display/spectrogram_history.h"

#include <algorithm>

namespace qv {

SpectrogramHistory::SpectrogramHistory()
    : slots_(static_cast<size_t>(kHistoryDepth) * kMaxPoints, 0), offset_(kMaxPoints, 0) {}

void SpectrogramHistory::CopyPoint(int32_t point, int16_t* out) const {
  for (int32_t j = 0; j < kHistoryDepth; ++j) out[j] = At(point, j);
}

void SpectrogramHistory::Shift(int32_t points, bool reverse) {
  points = std::clamp(points, 0, kMaxPoints);
  int16_t* slots = slots_.data();
  for (int32_t i = 0; i < points; ++i) {
    const int32_t o = offset_[i];
    // The new ring start (or end, in reverse) takes the value the literal shift leaves there.
    const int32_t moved = reverse ? (o + 1) % kHistoryDepth : (o == 0 ? kHistoryDepth - 1 : o - 1);
    const int32_t kept_from = reverse ? (o == 0 ? kHistoryDepth - 1 : o - 1) : o;
    const int32_t target = reverse ? o : moved;
    slots[static_cast<size_t>(target) * kMaxPoints + i] =
        slots[static_cast<size_t>(kept_from) * kMaxPoints + i];
    offset_[i] = static_cast<uint8_t>(moved);
  }
}

void SpectrogramHistory::Fill(int32_t points, int16_t level) {
  points = std::clamp(points, 0, kMaxPoints);
  for (int32_t j = 0; j < kHistoryDepth; ++j) {
    int16_t* row = slots_.data() + static_cast<size_t>(j) * kMaxPoints;
    std::fill(row, row + points, level);
  }
}

}  // namespace qv
