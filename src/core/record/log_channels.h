#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/display/channel_utilisation.h"
#include "core/record/log_scan.h"

namespace qv {

// Channel utilisation over the sweeps of a log (or of the records of a byte range), fed records
// one at a time. A sweep ends where the next one starts (a block at point 0, a block not after
// the one before, another setting) or where the records end.
class LogChannelUse : public LogVisitor {
 public:
  // `plan` null: the plan follows the band of the first sweep (and stays).
  LogChannelUse(const ChannelPlan* plan, int32_t threshold);

  void OnHeader(const LogHeaderInfo&) override {}
  void OnRecord(const LogRecordView& record) override;

  // Null when no sweep met had a band that a plan covers (and none was given).
  const ChannelPlan* Plan() const { return plan_; }
  // Per channel of Plan(), the sweep still open included.
  std::vector<ChannelUse> Figures() const;

 private:
  const ChannelPlan* plan_;
  int32_t threshold_;
  std::optional<ChannelSweepGather> gather_;
  LogSweepSetting setting_;
  uint32_t next_point_ = 0;  // past the last block's points
  std::vector<ChannelUse> totals_;
};

// The CSV of quorvalin-log channels: a header row, then one row per channel of the plan:
//   channel, centre MHz, low MHz, high MHz, utilisation %, mean dBm, max dBm
// e.g. "6, 2437, 2426, 2448, 50.0, -81.25, -60.5"; the three figures empty for a channel no
// sweep reached.
std::string ChannelUseCsv(const ChannelPlan& plan, const std::vector<ChannelUse>& figures);

}  // namespace qv
