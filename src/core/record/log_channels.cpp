#include "core/record/log_channels.h"

#include <cstdio>

#include "core/link/little_endian.h"
#include "core/record/log_csv.h"

namespace qv {
namespace {

// MHz without trailing zeros: 2437, 4940.5.
std::string MhzText(uint64_t hz) {
  char text[48];
  std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(hz / 1000000));
  std::string out = text;
  if (const uint64_t rest = hz % 1000000; rest != 0) {
    std::snprintf(text, sizeof text, ".%06llu", static_cast<unsigned long long>(rest));
    out += text;
    while (out.back() == '0') out.pop_back();
  }
  return out;
}

}  // namespace

LogChannelUse::LogChannelUse(const ChannelPlan* plan, int32_t threshold)
    : plan_(plan), threshold_(threshold) {
  if (plan_ != nullptr) gather_.emplace(*plan_);
}

void LogChannelUse::OnRecord(const LogRecordView& record) {
  const std::optional<LogSweepBlock> block = SweepBlockOf(record);
  if (!block) return;
  if (plan_ == nullptr) {
    plan_ = ChannelPlanForSpan(block->setting.LowHz(), block->setting.HighHz());
    if (plan_ == nullptr) return;
    gather_.emplace(*plan_);
  }
  const bool new_sweep = !gather_->Any() || block->first == 0 || block->first < next_point_ ||
                         !(block->setting == setting_);
  if (new_sweep) {
    AddChannelSweep(totals_, gather_->Sweep(), threshold_);
    setting_ = block->setting;
    gather_->Begin(setting_.LowHz(), uint64_t{setting_.sweep_word} * 50000, setting_.points);
  }
  const uint8_t* levels = block->levels;
  gather_->Add(block->first, block->count,
               [levels](uint32_t j) { return static_cast<int16_t>(GetU16(levels + 2 * j)); });
  next_point_ = block->first + block->count;
}

std::vector<ChannelUse> LogChannelUse::Figures() const {
  std::vector<ChannelUse> totals = totals_;
  if (plan_ == nullptr) return totals;
  totals.resize(plan_->channels.size());
  if (gather_) AddChannelSweep(totals, gather_->Sweep(), threshold_);
  return totals;
}

std::string ChannelUseCsv(const ChannelPlan& plan, const std::vector<ChannelUse>& figures) {
  std::string text =
      "channel, centre MHz, low MHz, high MHz, utilisation %, mean dBm, max dBm\n";
  for (size_t c = 0; c < plan.channels.size(); ++c) {
    const PlanChannel& ch = plan.channels[c];
    text += ch.label + ", " + MhzText(ch.CentreHz()) + ", " + MhzText(ch.low_hz) + ", " +
            MhzText(ch.high_hz) + ", ";
    if (c < figures.size() && figures[c].Measured()) {
      const ChannelUse& use = figures[c];
      char numbers[64];
      std::snprintf(numbers, sizeof numbers, "%.1f, %.2f, ", use.UtilisationPercent(),
                    use.MeanDbm());
      text += numbers;
      text += CsvLevelText(use.max);
    } else {
      text += ", , ";
    }
    text += "\n";
  }
  return text;
}

}  // namespace qv
