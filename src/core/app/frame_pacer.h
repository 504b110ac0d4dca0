#pragma once

#include <functional>
#include <memory>

#include "core/app/timer.h"

namespace qv {

// 60 frames a second, rounded up to whole milliseconds so that the rate never exceeds it.
inline constexpr int kFramePeriodMs = 17;

// The frame period for a screen refreshing `refresh_hz` times a second: 60 Hz or the screen's
// rate, whichever is lower. An unknown rate (0 or less) counts as 60 Hz.
int FramePeriodMs(double refresh_hz);

// Turns "the picture changed" into at most one paint request per frame. A Receiver on a fast
// link sends thousands of blocks a second; each updates the record at once, but the screen
// only needs the newest state once a frame. A change a frame or more after the last request is
// asked for at once; changes sooner share one request when that frame ends. A slow stream thus
// costs no timer at all.
class FramePacer {
 public:
  FramePacer(TimerFactory& timers, std::function<void()> request_paint);
  ~FramePacer();
  FramePacer(const FramePacer&) = delete;
  FramePacer& operator=(const FramePacer&) = delete;

  void SetPeriod(int period_ms) { period_ms_ = period_ms > 0 ? period_ms : kFramePeriodMs; }
  int Period() const { return period_ms_; }

  // The picture is out of date.
  void Invalidate();
  // A paint has drawn the latest state, whoever asked for it.
  void Painted() { dirty_ = false; }
  bool Dirty() const { return dirty_; }

 private:
  void OnFrame();

  void Request();

  TimerFactory& timers_;
  std::unique_ptr<Timer> timer_;
  std::function<void()> request_paint_;
  int64_t last_request_ms_ = 0;
  bool requested_ = false;
  int period_ms_ = kFramePeriodMs;
  bool dirty_ = false;
};

}  // namespace qv
