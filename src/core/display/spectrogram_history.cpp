#include "core/display/spectrogram_history.h"

#include <algorithm>

namespace qv {
namespace {

// Calls f(run, run_end, offset) for each run of neighbouring points in [begin, end) that share
// their ring offset. Every point of a sweep ages together, so runs are long and each can move as
// one row copy.
template <typename F>
void ForEachRun(const uint8_t* offsets, int32_t begin, int32_t end, F&& f) {
  for (int32_t run = begin; run < end;) {
    const int32_t o = offsets[run];
    int32_t run_end = run + 1;
    while (run_end < end && offsets[run_end] == o) ++run_end;
    f(run, run_end, o);
    run = run_end;
  }
}

}  // namespace

SpectrogramHistory::SpectrogramHistory()
    : slots_(static_cast<size_t>(kHistoryDepth) * kMaxPoints, 0), offset_(kMaxPoints, 0) {}

void SpectrogramHistory::CopyPoint(int32_t point, int16_t* out) const {
  for (int32_t j = 0; j < kHistoryDepth; ++j) out[j] = At(point, j);
}

void SpectrogramHistory::CopySlots(int32_t points, int16_t* out) const {
  points = std::clamp(points, 0, kMaxPoints);
  ForEachRun(offset_.data(), 0, points, [&](int32_t run, int32_t run_end, int32_t o) {
    for (int32_t j = 0; j < kHistoryDepth; ++j) {
      const int16_t* row =
          slots_.data() + static_cast<size_t>((o + j) % kHistoryDepth) * kMaxPoints;
      std::copy(row + run, row + run_end, out + static_cast<size_t>(j) * points + run);
    }
  });
}

void SpectrogramHistory::WriteRange(int32_t begin, int32_t end, const int16_t* levels,
                                    bool reverse) {
  if (end > begin) filled_[reverse ? kHistoryDepth - 1 : 0] = 1;
  ForEachRun(offset_.data(), begin, end, [&](int32_t run, int32_t run_end, int32_t o) {
    const int32_t slot = reverse ? (o == 0 ? kHistoryDepth - 1 : o - 1) : o;
    std::copy(levels + run, levels + run_end,
              slots_.data() + static_cast<size_t>(slot) * kMaxPoints + run);
  });
}

void SpectrogramHistory::Shift(int32_t points, bool reverse) {
  points = std::clamp(points, 0, kMaxPoints);
  if (points == 0) return;
  // The literal shift of the levels, on the marks: the newest slot keeps its neighbour's.
  if (reverse) {
    std::copy(filled_.begin() + 1, filled_.end(), filled_.begin());
  } else {
    std::copy_backward(filled_.begin(), filled_.end() - 1, filled_.end());
  }
  int16_t* slots = slots_.data();
  uint8_t* offsets = offset_.data();
  ForEachRun(offsets, 0, points, [&](int32_t run, int32_t run_end, int32_t o) {
    const int32_t before = o == 0 ? kHistoryDepth - 1 : o - 1;
    const int32_t after = o == kHistoryDepth - 1 ? 0 : o + 1;
    // The slot that becomes the ring's start (or end, in reverse) takes the value the literal
    // shift leaves there: that of its neighbour.
    const int32_t target = reverse ? o : before;
    const int32_t source = reverse ? before : o;
    std::copy(slots + static_cast<size_t>(source) * kMaxPoints + run,
              slots + static_cast<size_t>(source) * kMaxPoints + run_end,
              slots + static_cast<size_t>(target) * kMaxPoints + run);
    std::fill(offsets + run, offsets + run_end, static_cast<uint8_t>(reverse ? after : before));
  });
}

void SpectrogramHistory::Fill(int32_t points, int16_t level) {
  points = std::clamp(points, 0, kMaxPoints);
  filled_.fill(0);
  for (int32_t j = 0; j < kHistoryDepth; ++j) {
    int16_t* row = slots_.data() + static_cast<size_t>(j) * kMaxPoints;
    std::fill(row, row + points, level);
  }
}

}  // namespace qv
