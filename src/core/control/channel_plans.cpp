#include "core/control/channel_plans.h"

#include "core/control/channel_presets.h"

namespace qv {
namespace {

constexpr uint64_t kStepHz = uint64_t{kStepKhz} * 1000;

void AddPage(std::vector<PlanChannel>& channels, PresetPage page, int sub_band,
             const std::string& prefix) {
  for (const std::string& entry : ChannelList(page, sub_band)) {
    const int number = std::stoi(entry);
    const std::optional<ChannelFigures> figures = ChannelRule(page, sub_band, number);
    if (!figures) continue;
    const uint64_t low = uint64_t{figures->window.start} * kStepHz;
    channels.push_back({prefix + entry, low, low + uint64_t{figures->window.span} * kStepHz});
  }
}

std::vector<ChannelPlan> BuildPlans() {
  std::vector<ChannelPlan> plans;
  const auto add = [&](std::string_view id, std::string_view title, PresetPage page) {
    ChannelPlan plan{id, title, {}};
    if (page == PresetPage::kUnii) {
      // Sub-bands number their channels from 1 each: the label keeps them apart.
      for (int sub_band = 1; sub_band <= 3; ++sub_band)
        AddPage(plan.channels, page, sub_band, std::to_string(sub_band) + "-");
    } else {
      AddPage(plan.channels, page, 0, "");
    }
    plans.push_back(std::move(plan));
  };
  add("ism900", "902-928 MHz", PresetPage::k900Mhz);
  add("wifi24", "802.11b/g", PresetPage::k80211BG);
  add("public-safety", "Public Safety", PresetPage::kPublicSafety);
  add("wifi5", "802.11a", PresetPage::k80211A);
  add("unii", "U-NII", PresetPage::kUnii);
  return plans;
}

}  // namespace

const std::vector<ChannelPlan>& ChannelPlans() {
  static const std::vector<ChannelPlan> plans = BuildPlans();
  return plans;
}

const ChannelPlan* ChannelPlanById(std::string_view id) {
  for (const ChannelPlan& plan : ChannelPlans()) {
    if (plan.id == id) return &plan;
  }
  return nullptr;
}

const ChannelPlan* ChannelPlanForSpan(uint64_t low_hz, uint64_t high_hz) {
  const ChannelPlan* best = nullptr;
  size_t best_count = 0;
  for (const ChannelPlan& plan : ChannelPlans()) {
    size_t count = 0;
    for (const PlanChannel& c : plan.channels) count += c.low_hz < high_hz && c.high_hz > low_hz;
    if (count > best_count) {
      best = &plan;
      best_count = count;
    }
  }
  return best;
}

std::string ChannelPlanIds() {
  std::string ids;
  for (const ChannelPlan& plan : ChannelPlans()) {
    if (!ids.empty()) ids += ", ";
    ids += plan.id;
  }
  return ids;
}

}  // namespace qv
