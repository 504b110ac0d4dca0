#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/app/timer.h"

namespace qv {

// Virtual time for tests and headless runs: timers fire only when Advance is called, in
// deadline order (creation order breaks ties).
class ManualClock : public TimerFactory {
 public:
  ManualClock();
  ~ManualClock() override;
  ManualClock(const ManualClock&) = delete;
  ManualClock& operator=(const ManualClock&) = delete;

  std::unique_ptr<Timer> CreateTimer() override;

  // Moves time forward by ms, firing every timer that falls due on the way.
  void Advance(int64_t ms);
  int64_t Now() const { return now_ms_; }
  int64_t NowMs() const override { return now_ms_; }

 private:
  class ManualTimer;
  friend class ManualTimer;
  int64_t now_ms_ = 0;
  std::vector<ManualTimer*> timers_;
};

}  // namespace qv
