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

int64_t SecondAtX(int x, int width, int64_t duration) {
  if (width <= 1 || duration <= 0) return 0;
  const int held = std::clamp(x, 0, width - 1);
  return static_cast<int64_t>(
      std::llround(static_cast<double>(held) * static_cast<double>(duration) / (width - 1)));
}

int XOfSecond(int64_t second, int width, int64_t duration) {
  if (width <= 1 || duration <= 0) return 0;
  const int64_t held = std::clamp<int64_t>(second, 0, duration);
  return static_cast<int>(
      std::llround(static_cast<double>(held) * (width - 1) / static_cast<double>(duration)));
}

}  // namespace qv
