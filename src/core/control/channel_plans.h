#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// One channel of a plan: its label and its edges.
struct PlanChannel {
  std::string label;
  uint64_t low_hz = 0;
  uint64_t high_hz = 0;

  uint64_t CentreHz() const { return (low_hz + high_hz) / 2; }
};

// The channels of one wireless standard, in the preset pages' order. `id` is the name a user
// types (quorvalin-log channels --plan ID).
struct ChannelPlan {
  std::string_view id;
  std::string_view title;
  std::vector<PlanChannel> channels;
};

// Every plan, built from the channel presets (one source of channel centres): ism900, wifi24,
// public-safety, wifi5, unii.
const std::vector<ChannelPlan>& ChannelPlans();

// The plan of that id, or null.
const ChannelPlan* ChannelPlanById(std::string_view id);

// The plan that follows a band shown from low_hz to high_hz: the one with the most channels
// overlapping it (the first on a tie), or null when none overlaps.
const ChannelPlan* ChannelPlanForSpan(uint64_t low_hz, uint64_t high_hz);

// The ids joined with ", ", for messages.
std::string ChannelPlanIds();

}  // namespace qv
