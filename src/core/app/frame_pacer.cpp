#include "core/app/frame_pacer.h"

#include <cmath>

namespace qv {

int FramePeriodMs(double refresh_hz) {
  if (!(refresh_hz > 0) || refresh_hz >= 60) return kFramePeriodMs;
  return static_cast<int>(std::ceil(1000.0 / refresh_hz));
}

FramePacer::FramePacer(TimerFactory& timers, std::function<void()> request_paint)
    : timers_(timers), timer_(timers.CreateTimer()), request_paint_(std::move(request_paint)) {
  timer_->SetCallback([this] { OnFrame(); });
}

FramePacer::~FramePacer() = default;

void FramePacer::Invalidate() {
  dirty_ = true;
  if (timer_->IsActive()) return;  // the frame under way ends with a paint
  const int64_t since = timers_.NowMs() - last_request_ms_;
  if (!requested_ || since >= period_ms_) {
    Request();
    return;
  }
  timer_->Start(static_cast<int>(period_ms_ - since), true);
}

void FramePacer::OnFrame() {
  if (dirty_) Request();
}

void FramePacer::Request() {
  requested_ = true;
  last_request_ms_ = timers_.NowMs();
  request_paint_();
}

}  // namespace qv
