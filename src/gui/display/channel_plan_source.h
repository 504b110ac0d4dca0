#pragma once

#include <optional>

#include "core/app/timer.h"
#include "core/display/channel_plan_layout.h"
#include "core/display/channel_utilisation.h"
#include "core/display/trace_data.h"

namespace qv {

class CRecordingController;
class CTimeWindow;

// The channel plan the graph draws (View, Channels) and its figures: the live sweeps' over the
// last minute on the timer seam's clock (a replay's on the log's own clock), or a selected time
// window's when there is one.
class ChannelPlanSource {
 public:
  // `live` is the session's channel use, which counts every whole sweep.
  ChannelPlanSource(TimerFactory& timers, const CRecordingController& recorder,
                    LiveChannelUse& live)
      : timers_(timers), recorder_(recorder), live_(live) {}

  void SetShown(bool shown) { shown_ = shown; }
  bool Shown() const { return shown_; }
  // Not owned; null for none.
  void SetTimeWindow(const CTimeWindow* window) { window_ = window; }
  // The live figures' busy level (dBm) and span (seconds).
  void SetThreshold(int32_t dbm) { live_.SetThreshold(dbm * 16); }
  int32_t Threshold() const { return live_.Threshold() / 16; }
  void SetSpan(int32_t seconds) { live_.SetWindowMs(int64_t{seconds} * 1000); }
  int32_t Span() const { return static_cast<int32_t>(live_.WindowMs() / 1000); }

  // The clock a whole sweep is counted at: a replay's is the log's own, so a pause or a fast
  // speed does not stretch or shrink the span.
  int64_t SweepClockMs();

  // What the graph draws now; null while hidden or no plan covers the band shown.
  const ChannelPlanFigures* Figures() const;

 private:
  int64_t NowMs() const;

  TimerFactory& timers_;
  const CRecordingController& recorder_;
  const CTimeWindow* window_ = nullptr;
  bool shown_ = false;
  LiveChannelUse& live_;
  mutable ChannelPlanFigures figures_;
  mutable std::optional<int64_t> log_ms_;  // the replay's time, kept after it ends
};

}  // namespace qv
