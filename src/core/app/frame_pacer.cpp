#include "core/app/frame_pacer.h"

#include <cmath>

namespace qv {

int FramePeriodMs(double refresh_hz) {
  if (!(refresh_hz > 0) || refresh_hz >= 60) return kFramePeriodMs;
  return static_cast<int>(std::ceil(1000.0 / refresh_hz));
}

FramePacer::FramePacer(TimerFactory& timers, std::function<void()> request_paint)
    : timer_(timers.CreateTimer()), request_paint_(std::move(request_paint)) {
  timer_->SetCallback([this] { OnFrame(); });
}

FramePacer::~FramePacer() = default;

void FramePacer::Invalidate() {
  dirty_ = true;
  if (timer_->IsActive()) return;  // the frame under way ends with a paint
  timer_->Start(period_ms_);
  request_paint_();
}

void FramePacer::OnFrame() {
  if (!dirty_) {
    // A whole frame without news: idle until the next change.
    timer_->Stop();
    return;
  }
  request_paint_();
}

}  // namespace qv
