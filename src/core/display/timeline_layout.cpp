#include "core/display/timeline_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/record/log_time.h"

namespace qv {

std::string TimelinePositionText(std::optional<int64_t> clock, int64_t elapsed, int64_t duration) {
  std::string text = clock ? LogSecondsText(*clock) + "   " : std::string();
  // The length reads as a duration, not as an offset.
  return text + ElapsedText(elapsed) + " / " + DurationText(duration);
}

std::string ScanProgressText(double progress) {
  if (!(progress < 1.0)) return {};
  const int percent = static_cast<int>(std::clamp(progress, 0.0, 1.0) * 100.0);
  return "Scanning the log: " + std::to_string(percent) + " %";
}

}  // namespace qv
