#pragma once

#include <optional>
#include <vector>

#include "core/record/log_time.h"
#include "gui/record/timeline_widget.h"

namespace qv {

// A log being played as the timeline sees it; what the timeline asks is noted.
struct FakeTimelineSource : TimelineSource {
  bool Playing() const override { return playing; }
  bool Paused() const override { return paused; }
  int64_t Duration() const override { return 3600; }
  int64_t PositionElapsed() const override { return position; }
  std::optional<int64_t> PositionClock() const override { return start_clock + position; }
  std::optional<int64_t> StartClock() const override { return start_clock; }
  std::optional<int64_t> ClockAt(int64_t elapsed) const override { return start_clock + elapsed; }
  std::optional<int> WindowProgress() const override { return window_progress; }
  double ScanProgress() const override { return progress; }
  const LogOverview* Overview() const override { return overview; }
  ReplaySpeed Speed() const override { return speed; }
  void SetSpeed(ReplaySpeed s) override { speed = s; }
  void JumpTo(int64_t elapsed) override {
    jumps.push_back(elapsed);
    position = elapsed;
  }
  void StepSweep(int direction) override { steps.push_back(direction); }
  void SelectWindow(std::optional<TimeWindowSeconds> w) override { windows.push_back(w); }

  bool playing = false;
  bool paused = false;
  int64_t position = 0;
  int64_t start_clock = ParseLogTime("2024-01-31 13:45:09")->seconds;
  double progress = 0.25;
  std::optional<int> window_progress;
  const LogOverview* overview = nullptr;
  ReplaySpeed speed = ReplaySpeed::k1;
  std::vector<int64_t> jumps;
  std::vector<int> steps;
  std::vector<std::optional<TimeWindowSeconds>> windows;
};

}  // namespace qv
