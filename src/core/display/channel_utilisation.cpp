#include "core/display/channel_utilisation.h"

#include <algorithm>

namespace qv {

void ChannelUse::Add(const ChannelSweep& sweep, int32_t threshold) {
  if (sweep.count == 0) return;
  ++sweeps;
  busy += sweep.max >= threshold;
  level_sum += sweep.sum;
  level_count += sweep.count;
  max = std::max(max, sweep.max);
}

void ChannelUse::Add(const ChannelUse& other) {
  sweeps += other.sweeps;
  busy += other.busy;
  level_sum += other.level_sum;
  level_count += other.level_count;
  max = std::max(max, other.max);
}

double ChannelUse::UtilisationPercent() const {
  return sweeps == 0 ? 0.0 : 100.0 * static_cast<double>(busy) / static_cast<double>(sweeps);
}

double ChannelUse::MeanDbm() const {
  return level_count == 0 ? 0.0
                          : static_cast<double>(level_sum) / static_cast<double>(level_count) / 16;
}

void ChannelSweepGather::Begin(uint64_t start_hz, uint64_t step_hz, uint32_t points) {
  ranges_.assign(plan_->channels.size(), {0, 0});
  sweep_.assign(plan_->channels.size(), ChannelSweep{});
  any_ = false;
  if (step_hz == 0) return;
  for (size_t c = 0; c < ranges_.size(); ++c) {
    const PlanChannel& ch = plan_->channels[c];
    if (ch.high_hz < start_hz) continue;
    // First point at or above the low edge, first point above the high edge.
    const uint64_t a = ch.low_hz <= start_hz ? 0 : (ch.low_hz - start_hz + step_hz - 1) / step_hz;
    const uint64_t b = (ch.high_hz - start_hz) / step_hz + 1;
    ranges_[c] = {static_cast<uint32_t>(std::min<uint64_t>(a, points)),
                  static_cast<uint32_t>(std::min<uint64_t>(b, points))};
  }
}

void AddChannelSweep(std::vector<ChannelUse>& totals, const std::vector<ChannelSweep>& sweep,
                     int32_t threshold) {
  totals.resize(std::max(totals.size(), sweep.size()));
  for (size_t c = 0; c < sweep.size(); ++c) totals[c].Add(sweep[c], threshold);
}

namespace {

// Seconds, rounded down also before the clock's zero.
int64_t SecondOf(int64_t ms) {
  return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

}  // namespace

void LiveChannelUse::AddSweep(int64_t now_ms, uint64_t start_hz, uint64_t step_hz,
                              const int16_t* levels, uint32_t points) {
  if (levels == nullptr || points == 0) return;
  const ChannelPlan* plan =
      fixed_plan_ != nullptr ? fixed_plan_
                             : ChannelPlanForSpan(start_hz, start_hz + uint64_t{points} * step_hz);
  if (plan != plan_) {
    entries_.clear();
    counting_since_ms_.reset();
    plan_ = plan;
  }
  // A clock that went back (a replay's log clock set back, or live again after a replay) starts
  // the count again.
  if (!entries_.empty() && SecondOf(now_ms) < entries_.back().second) {
    entries_.clear();
    counting_since_ms_.reset();
  }
  const int64_t oldest = SecondOf(now_ms - window_ms_);
  while (!entries_.empty() && entries_.front().second <= oldest) entries_.pop_front();
  if (plan_ == nullptr) return;
  if (!counting_since_ms_) counting_since_ms_ = now_ms;
  ChannelSweepGather gather(*plan_);
  gather.Begin(start_hz, step_hz, points);
  gather.Add(0, points, [levels](uint32_t i) { return levels[i]; });
  const int64_t second = SecondOf(now_ms);
  if (entries_.empty() || entries_.back().second != second) {
    entries_.push_back({second, std::vector<ChannelUse>(plan_->channels.size())});
  }
  std::vector<ChannelUse>& bucket = entries_.back().channels;
  for (size_t c = 0; c < bucket.size(); ++c) bucket[c].Add(gather.Sweep()[c], threshold_);
}

void LiveChannelUse::SetThreshold(int32_t threshold) {
  if (threshold == threshold_) return;
  threshold_ = threshold;
  entries_.clear();
  counting_since_ms_.reset();
}

std::vector<ChannelUse> LiveChannelUse::Figures(int64_t now_ms) const {
  std::vector<ChannelUse> totals(plan_ != nullptr ? plan_->channels.size() : 0);
  const int64_t oldest = SecondOf(now_ms - window_ms_);
  const int64_t newest = SecondOf(now_ms);
  for (const Entry& e : entries_) {
    if (e.second <= oldest || e.second > newest) continue;
    for (size_t c = 0; c < totals.size(); ++c) totals[c].Add(e.channels[c]);
  }
  return totals;
}

}  // namespace qv
