#pragma once

#include <QObject>
#include <QTimer>

#include "core/app/timer.h"

namespace qv {

// The program's side of the timer seam: a QTimer on the thread that creates it.
class QtTimer : public Timer {
 public:
  QtTimer();
  void Start(int period_ms, bool single_shot) override;
  void Stop() override { timer_.stop(); }
  bool IsActive() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
};

class QtTimerFactory : public TimerFactory {
 public:
  std::unique_ptr<Timer> CreateTimer() override { return std::make_unique<QtTimer>(); }
  int64_t NowMs() const override;
};

}  // namespace qv
