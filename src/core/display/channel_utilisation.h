#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/control/channel_plans.h"

namespace qv {

inline constexpr int32_t kDefaultUseThreshold = -85 * 16;  // 1/16 dBm
inline constexpr int64_t kDefaultUseWindowMs = 60000;

// What View, Channels offers for the busy level and the live span; the names are what the menu
// shows and the settings keep.
struct ChannelUseChoice {
  int32_t value;  // dBm or seconds
  std::string_view name;
};
inline constexpr std::array<ChannelUseChoice, 7> kUseThresholdChoices = {{{-95, "-95 dBm"},
                                                                          {-90, "-90 dBm"},
                                                                          {-85, "-85 dBm"},
                                                                          {-80, "-80 dBm"},
                                                                          {-75, "-75 dBm"},
                                                                          {-70, "-70 dBm"},
                                                                          {-65, "-65 dBm"}}};
inline constexpr std::array<ChannelUseChoice, 5> kUseSpanChoices = {
    {{10, "10 s"}, {30, "30 s"}, {60, "60 s"}, {300, "5 min"}, {900, "15 min"}}};

// One channel's levels in one sweep (1/16 dBm).
struct ChannelSweep {
  int16_t max = INT16_MIN;
  int64_t sum = 0;
  uint32_t count = 0;  // points of the sweep inside the channel
};

// One channel over the sweeps counted. A sweep counts for a channel when it had points in it.
struct ChannelUse {
  uint64_t sweeps = 0;
  uint64_t busy = 0;  // sweeps whose highest level in the channel reached the threshold
  int64_t level_sum = 0;
  uint64_t level_count = 0;
  int16_t max = INT16_MIN;

  void Add(const ChannelSweep& sweep, int32_t threshold);
  void Add(const ChannelUse& other);
  bool Measured() const { return sweeps != 0; }
  double UtilisationPercent() const;
  // The mean of the points' dBm values over every sweep: the typical level read off the graph,
  // which a single burst does not lift as a power mean would.
  double MeanDbm() const;
  double MaxDbm() const { return max / 16.0; }
};

// Sorts one sweep's points into a plan's channels: a point belongs to a channel when its
// frequency lies within the channel's edges.
class ChannelSweepGather {
 public:
  explicit ChannelSweepGather(const ChannelPlan& plan) : plan_(&plan) {}

  const ChannelPlan& Plan() const { return *plan_; }
  // A new sweep of `points` points, the first at start_hz, step_hz apart; what was gathered goes.
  void Begin(uint64_t start_hz, uint64_t step_hz, uint32_t points);
  // Points first ... first + count - 1; level(j) gives point first + j. Points past the sweep's
  // end are ignored.
  template <typename Level>
  void Add(uint32_t first, uint32_t count, Level level) {
    for (size_t c = 0; c < ranges_.size(); ++c) {
      const uint32_t a = std::max(ranges_[c].first, first);
      const uint32_t b = std::min<uint64_t>(ranges_[c].second, uint64_t{first} + count);
      ChannelSweep& s = sweep_[c];
      for (uint32_t i = a; i < b; ++i) {
        const int16_t v = level(i - first);
        s.max = std::max(s.max, v);
        s.sum += v;
        ++s.count;
      }
    }
    any_ = any_ || count != 0;
  }
  // Per channel of the plan.
  const std::vector<ChannelSweep>& Sweep() const { return sweep_; }
  bool Any() const { return any_; }

 private:
  const ChannelPlan* plan_;
  std::vector<std::pair<uint32_t, uint32_t>> ranges_;  // [first, end) point of each channel
  std::vector<ChannelSweep> sweep_;
  bool any_ = false;
};

// Adds a gathered sweep to per-channel totals.
void AddChannelSweep(std::vector<ChannelUse>& totals, const std::vector<ChannelSweep>& sweep,
                     int32_t threshold);

// The live graph's figures over its last `window_ms` of whole sweeps; times come from the
// caller's clock. Sweeps are kept summed per second, so a fast link costs no more memory than a
// slow one, and the window moves on by whole seconds. The plan follows the band of the sweeps:
// another plan starts the count again.
class LiveChannelUse {
 public:
  explicit LiveChannelUse(int64_t window_ms = kDefaultUseWindowMs,
                          int32_t threshold = kDefaultUseThreshold)
      : window_ms_(window_ms), threshold_(threshold) {}

  void AddSweep(int64_t now_ms, uint64_t start_hz, uint64_t step_hz, const int16_t* levels,
                uint32_t points);
  // The sweeps counted so far were judged at the old level, so another level counts afresh.
  void SetThreshold(int32_t threshold);
  int32_t Threshold() const { return threshold_; }
  // A longer span shows more only as new sweeps arrive: the older ones were let go.
  void SetWindowMs(int64_t window_ms) { window_ms_ = window_ms; }
  int64_t WindowMs() const { return window_ms_; }

  // Null before a sweep whose band a plan covers.
  const ChannelPlan* Plan() const { return plan_; }
  // Counts in this plan's channels whatever band is swept; null follows the band again.
  void SetPlan(const ChannelPlan* plan) { fixed_plan_ = plan; }
  // Whether the count has gone on for the whole span by now_ms: until then the figures rest on
  // the sweeps since the threshold, the plan or the clock last started it again.
  bool CoversSpan(int64_t now_ms) const {
    return counting_since_ms_ && *counting_since_ms_ <= now_ms - window_ms_;
  }
  // Per channel of Plan(), over the sweeps added in the seconds after that of now_ms - window
  // up to now_ms's.
  std::vector<ChannelUse> Figures(int64_t now_ms) const;

 private:
  struct Entry {
    int64_t second;
    std::vector<ChannelUse> channels;
  };
  int64_t window_ms_;
  int32_t threshold_;
  const ChannelPlan* plan_ = nullptr;
  const ChannelPlan* fixed_plan_ = nullptr;
  std::deque<Entry> entries_;
  std::optional<int64_t> counting_since_ms_;
};

}  // namespace qv
