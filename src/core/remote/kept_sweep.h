#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/display/trace_data.h"
#include "core/link/sweep_message.h"

namespace qv {

// A whole sweep copied out of the trace record when its last point came, so that remote reads
// never see a sweep half replaced by the next one. Traces not running are left empty.
struct KeptSweep {
  SweepHeader header;
  std::vector<int16_t> live;      // 1/16 dBm
  std::vector<int16_t> average;   // while the trace average runs
  std::vector<int16_t> max_hold;  // the first peak slot running or frozen
  std::vector<int16_t> min_hold;  // unseen points hold kMinHoldUnseen

  static KeptSweep Of(const TraceData& trace);

  int32_t Points() const { return static_cast<int32_t>(live.size()); }
  bool Empty() const { return live.empty(); }
  // Point i lies sweep_word steps of 50 kHz after point i - 1.
  uint64_t PointHz(int32_t point) const;
  // The point nearest `hz`; none outside the sweep by more than half a step.
  std::optional<int32_t> PointAt(double hz) const;
};

// Whether a name a remote client gives may be used inside its folder: a plain name with no
// folder part, not hidden, no NUL, at most 255 bytes.
bool PlainFileName(std::string_view name);

}  // namespace qv
