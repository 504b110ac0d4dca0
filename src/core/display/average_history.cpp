#include "core/display/average_history.h"

namespace qv {

AverageHistory::AverageHistory()
    : slots_(static_cast<size_t>(kHistoryDepth) * kMaxPoints, 0),
      head_(kMaxPoints, 0),
      window_(kMaxPoints, 0),
      sums_(kMaxPoints, 0) {}

int16_t AverageHistory::Aged(int32_t point, int32_t age) const {
  int32_t physical = head_[point] - age;
  if (physical < 0) physical += kHistoryDepth;
  return slots_[static_cast<size_t>(physical) * kMaxPoints + point];
}

int16_t AverageHistory::At(int32_t point, int32_t slot) const {
  return Aged(point, kHistoryDepth - 1 - slot);
}

void AverageHistory::StepRange(int32_t begin, int32_t end, int32_t k, const int16_t* levels,
                               int32_t* sums) {
  // Plain local pointers: the byte stores below would otherwise make the compiler reload every
  // vector's data pointer on each point.
  int16_t* slots = slots_.data();
  uint8_t* head = head_.data();
  uint8_t* window = window_.data();
  int32_t* ring_sums = sums_.data();
  for (int32_t i = begin; i < end; ++i) {
    const int32_t old_window = window[i];
    int32_t sum = ring_sums[i];
    if (old_window == k) {
      // The level k + 1 steps older than the new one leaves the window.
      sum -= Aged(i, k);
    } else if (old_window > k) {
      for (int32_t age = k; age <= old_window; ++age) sum -= Aged(i, age);
    } else {
      // A window that grew takes in the older levels it did not hold yet.
      for (int32_t age = old_window + 1; age < k; ++age) sum += Aged(i, age);
    }
    const int32_t next = head[i] + 1 == kHistoryDepth ? 0 : head[i] + 1;
    head[i] = static_cast<uint8_t>(next);
    slots[static_cast<size_t>(next) * kMaxPoints + i] = levels[i];
    sum += levels[i];
    window[i] = static_cast<uint8_t>(k);
    ring_sums[i] = sum;
    sums[i] = sum;
  }
}

}  // namespace qv
