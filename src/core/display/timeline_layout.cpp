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

std::string TimeWindowText(std::optional<int64_t> from_clock, std::optional<int64_t> to_clock,
                           int64_t from, int64_t to, std::optional<int> percent) {
  const auto end = [](std::optional<int64_t> clock, int64_t elapsed) {
    // "HH:MM:SS" of the time of day: the date is the position line's.
    return clock ? LogSecondsText(*clock).substr(11) : ElapsedText(elapsed);
  };
  const int64_t length = std::max<int64_t>(0, to - from);
  char span[32];
  if (length < 60) {
    std::snprintf(span, sizeof span, "%lld s", static_cast<long long>(length));
  } else if (length < 3600) {
    std::snprintf(span, sizeof span, "%lld min", static_cast<long long>(length / 60));
  } else {
    std::snprintf(span, sizeof span, "%lld h %02lld min", static_cast<long long>(length / 3600),
                  static_cast<long long>(length / 60 % 60));
  }
  std::string text = end(from_clock, from) + " \u2013 " + end(to_clock, to) + ", " + span;
  if (percent) text += ", working out: " + std::to_string(std::clamp(*percent, 0, 100)) + " %";
  return text;
}

std::string ScanProgressText(double progress) {
  if (!(progress < 1.0)) return {};
  const int percent = static_cast<int>(std::clamp(progress, 0.0, 1.0) * 100.0);
  return "Scanning the log: " + std::to_string(percent) + " %";
}

}  // namespace qv
