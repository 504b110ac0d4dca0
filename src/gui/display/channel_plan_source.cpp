#include "gui/display/channel_plan_source.h"

#include <algorithm>

#include "gui/record/time_window.h"

namespace qv {

void ChannelPlanSource::OnSweep(const TraceData& trace) {
  // Counted while hidden too, so the figures are whole the moment the bands are shown.
  constexpr uint64_t kStepHz = 50000;
  live_.AddSweep(timers_.NowMs(), uint64_t{trace.header.start} * kStepHz,
                 uint64_t{trace.header.sweep_word} * kStepHz, trace.live_sixteenths.data(),
                 std::min<uint32_t>(trace.points_received, trace.StoredPoints()));
}

const ChannelPlanFigures* ChannelPlanSource::Figures() const {
  if (!shown_) return nullptr;
  const LogChannelUse* window = window_ != nullptr ? window_->Channels() : nullptr;
  if (window != nullptr && window->Plan() != nullptr) {
    figures_ = {window->Plan(), window->Figures()};
  } else {
    figures_ = {live_.Plan(), live_.Figures(timers_.NowMs())};
  }
  return figures_.plan != nullptr ? &figures_ : nullptr;
}

}  // namespace qv
