#include "core/app/manual_clock.h"

#include <algorithm>
#include <limits>

namespace qv {

class ManualClock::ManualTimer : public Timer {
 public:
  ManualTimer(ManualClock* clock, uint64_t order) : clock_(clock), order_(order) {
    clock_->timers_.push_back(this);
  }
  ~ManualTimer() override {
    if (clock_ == nullptr) return;
    auto& list = clock_->timers_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }

  void Start(int period_ms, bool single_shot) override {
    period_ms_ = std::max(period_ms, 0);
    single_shot_ = single_shot;
    active_ = true;
    deadline_ = clock_->now_ms_ + period_ms_;
  }
  void Stop() override { active_ = false; }
  bool IsActive() const override { return active_; }

  void Detach() { clock_ = nullptr; }
  void FireNow() {
    if (single_shot_) {
      active_ = false;
    } else {
      // A zero period would spin forever in virtual time; treat it as one millisecond.
      deadline_ += std::max(period_ms_, 1);
    }
    Fire();
  }

  ManualClock* clock_;
  uint64_t order_;
  int period_ms_ = 0;
  bool single_shot_ = false;
  bool active_ = false;
  int64_t deadline_ = 0;
};

ManualClock::ManualClock() = default;

ManualClock::~ManualClock() {
  for (ManualTimer* timer : timers_) timer->Detach();
}

std::unique_ptr<Timer> ManualClock::CreateTimer() {
  static uint64_t next_order = 0;
  return std::make_unique<ManualTimer>(this, next_order++);
}

void ManualClock::Advance(int64_t ms) {
  const int64_t end = now_ms_ + std::max<int64_t>(ms, 0);
  for (;;) {
    // Callbacks may start, stop, create or destroy timers, so search afresh each time.
    ManualTimer* next = nullptr;
    for (ManualTimer* timer : timers_) {
      if (!timer->active_ || timer->deadline_ > end) continue;
      if (next == nullptr || timer->deadline_ < next->deadline_ ||
          (timer->deadline_ == next->deadline_ && timer->order_ < next->order_)) {
        next = timer;
      }
    }
    if (next == nullptr) break;
    now_ms_ = std::max(now_ms_, next->deadline_);
    next->FireNow();
  }
  now_ms_ = end;
}

}  // namespace qv
