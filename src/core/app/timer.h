#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace qv {

// The one seam for periods and delays. The program backs it with QTimer; tests drive a
// ManualClock so that seconds pass instantly and in a fixed order.
class Timer {
 public:
  virtual ~Timer() = default;
  // Starts (or restarts) the timer. A periodic timer fires every period_ms until stopped.
  virtual void Start(int period_ms, bool single_shot = false) = 0;
  virtual void Stop() = 0;
  virtual bool IsActive() const = 0;

  void SetCallback(std::function<void()> callback) { callback_ = std::move(callback); }

 protected:
  void Fire() {
    if (callback_) callback_();
  }

 private:
  std::function<void()> callback_;
};

class TimerFactory {
 public:
  virtual ~TimerFactory() = default;
  virtual std::unique_ptr<Timer> CreateTimer() = 0;
  // Milliseconds on the clock the timers follow; only differences mean anything.
  virtual int64_t NowMs() const = 0;
};

}  // namespace qv
