#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "gui/record/timeline_widget.h"

namespace qv {

class CRecordingController;

// The timeline's view of the log the recording controller plays. A selected window goes to
// `select` as the bytes of its records, or as nothing when it is cleared.
class LogTimelineSource : public TimelineSource {
 public:
  using ByteRange = std::pair<uint64_t, uint64_t>;
  // `progress` tells how far the window selected is worked out, while it is.
  LogTimelineSource(CRecordingController& recorder,
                    std::function<void(std::optional<ByteRange>)> select,
                    std::function<std::optional<int>()> progress = {})
      : recorder_(recorder), select_(std::move(select)), progress_(std::move(progress)) {}

  bool Playing() const override;
  bool Paused() const override;
  int64_t Duration() const override;
  int64_t PositionElapsed() const override;
  std::optional<int64_t> PositionClock() const override;
  std::optional<int64_t> StartClock() const override;
  std::optional<int64_t> ClockAt(int64_t elapsed) const override;
  std::optional<int> WindowProgress() const override;
  double ScanProgress() const override;
  const LogOverview* Overview() const override;
  ReplaySpeed Speed() const override;
  void SetSpeed(ReplaySpeed speed) override;
  void JumpTo(int64_t elapsed_seconds) override;
  void StepSweep(int direction) override;
  void SelectWindow(std::optional<TimeWindowSeconds> window) override;

 private:
  CRecordingController& recorder_;
  std::function<void(std::optional<ByteRange>)> select_;
  std::function<std::optional<int>()> progress_;
};

}  // namespace qv
