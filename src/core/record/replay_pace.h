#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// How fast a log plays: a record per timer tick (the toolbar's pace), the recorded speed times
// 1 ... 256, or as fast as it can be drawn.
enum class ReplaySpeed { kRecordPerTick, k1, k4, k16, k64, k256, kMax };

// "1", "4", "16", "64", "256" or "max".
std::optional<ReplaySpeed> ParseReplaySpeed(std::string_view text);
// Log seconds per second; 0 for a record per tick and for max.
int SpeedFactor(ReplaySpeed speed);

// Paced replay ticks once a frame; max ticks as often as the loop lets it.
inline constexpr int kPacedTickMs = 16;
inline constexpr int kMaxSpeedTickMs = 1;
// What one tick may do, so the window stays responsive: records read, and time spent.
inline constexpr int kTickRecordBudget = 4096;
inline constexpr int64_t kTickWorkMs = 8;
// Lagging further behind the recorded speed than this much wall time skips ahead.
inline constexpr int64_t kMaxLagMs = 500;

// Where in the log (elapsed seconds) a paced replay should be at a moment, from where it stood
// when it last started, paused or jumped.
class ReplayPace {
 public:
  void Restart(ReplaySpeed speed, double elapsed, int64_t now_ms) {
    speed_ = speed;
    anchor_elapsed_ = elapsed;
    anchor_ms_ = now_ms;
  }
  ReplaySpeed Speed() const { return speed_; }
  double Target(int64_t now_ms) const;
  // Whether something recorded at `elapsed` is due to be shown.
  bool Due(double elapsed, int64_t now_ms) const;
  // Whether the replay, showing `shown`, has fallen so far behind that it should skip ahead.
  bool FallenBehind(double shown, int64_t now_ms) const;

 private:
  ReplaySpeed speed_ = ReplaySpeed::kRecordPerTick;
  double anchor_elapsed_ = 0;
  int64_t anchor_ms_ = 0;
};

}  // namespace qv
