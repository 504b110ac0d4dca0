#include "gui/record/log_timeline_source.h"

#include "core/record/log_timeline.h"
#include "gui/record/recording_controller.h"

namespace qv {

bool LogTimelineSource::Playing() const { return recorder_.PlayingBack(); }
bool LogTimelineSource::Paused() const { return recorder_.PlaybackPaused(); }

int64_t LogTimelineSource::Duration() const {
  const LogTimeline* timeline = recorder_.Timeline();
  return timeline ? timeline->Duration() : 0;
}

int64_t LogTimelineSource::PositionElapsed() const { return recorder_.PositionElapsed(); }
std::optional<int64_t> LogTimelineSource::PositionClock() const {
  return recorder_.PositionClock();
}
std::optional<int64_t> LogTimelineSource::StartClock() const {
  const LogTimeline* timeline = recorder_.Timeline();
  if (timeline == nullptr || timeline->Empty()) return std::nullopt;
  return timeline->Entry(0).seconds;
}
std::optional<int64_t> LogTimelineSource::ClockAt(int64_t elapsed) const {
  const LogTimeline* timeline = recorder_.Timeline();
  return timeline != nullptr ? timeline->ClockAtElapsed(elapsed) : std::nullopt;
}
std::optional<int> LogTimelineSource::WindowProgress() const {
  return progress_ ? progress_() : std::nullopt;
}
double LogTimelineSource::ScanProgress() const { return recorder_.ScanProgress(); }
const LogOverview* LogTimelineSource::Overview() const { return recorder_.Overview(); }
ReplaySpeed LogTimelineSource::Speed() const { return recorder_.Speed(); }
void LogTimelineSource::SetSpeed(ReplaySpeed speed) { recorder_.SetReplaySpeed(speed); }
void LogTimelineSource::JumpTo(int64_t elapsed_seconds) { recorder_.JumpTo(elapsed_seconds); }
void LogTimelineSource::StepSweep(int direction) { recorder_.StepSweep(direction); }

void LogTimelineSource::SelectWindow(std::optional<TimeWindowSeconds> window) {
  if (!window || recorder_.Timeline() == nullptr) {
    select_(std::nullopt);
    return;
  }
  select_(recorder_.RangeOf(window->first, window->second));
}

}  // namespace qv
