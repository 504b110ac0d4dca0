#include "gui/display/channel_plan_source.h"

#include <algorithm>

#include "gui/record/recording_controller.h"
#include "gui/record/time_window.h"

namespace qv {

int64_t ChannelPlanSource::SweepClockMs() {
  if (!recorder_.PlayingBack()) log_ms_.reset();
  return NowMs();
}

int64_t ChannelPlanSource::NowMs() const {
  // A replay's span is the log's time: a pause or a fast speed does not stretch or shrink it.
  // Once the replay ends its figures stay as they were until live sweeps come.
  if (const std::optional<int64_t> log = recorder_.PositionClock()) log_ms_ = *log * 1000;
  return log_ms_ ? *log_ms_ : timers_.NowMs();
}

const ChannelPlanFigures* ChannelPlanSource::Figures() const {
  if (!shown_) return nullptr;
  const LogChannelUse* window = window_ != nullptr ? window_->Channels() : nullptr;
  const bool of_window = window != nullptr && window->Plan() != nullptr;
  const int64_t now = NowMs();
  if (of_window) {
    figures_ = {window->Plan(), window->Figures(), {}};
  } else {
    figures_ = {live_.Plan(), live_.Figures(now), {}};
  }
  uint64_t sweeps = 0;
  for (const ChannelUse& use : figures_.figures) sweeps = std::max(sweeps, use.sweeps);
  figures_.caption = ChannelUseCaption(live_.Threshold() / 16, of_window ? 0 : live_.WindowMs(),
                                       sweeps, !of_window && live_.CoversSpan(now));
  return figures_.plan != nullptr ? &figures_ : nullptr;
}

}  // namespace qv
