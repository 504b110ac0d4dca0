#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/record/log_timeline.h"

namespace qv {

// The timeline's position line: the wall-clock time of the sweep shown (when its clock is
// known), its offset from the start and the log's length:
// "2026-12-08 03:12:07   +03:12:07 / 08:00:00".
std::string TimelinePositionText(std::optional<int64_t> clock, int64_t elapsed, int64_t duration);

// A selected time window: its ends' times of day and its length, "01:03:12 – 01:52:40, 49 min"
// (seconds under a minute, "2 h 05 min" from an hour); the ends as elapsed times ("+00:10:00")
// where the clock is not known. While it is worked out, how far: ", working out: 42 %".
std::string TimeWindowText(std::optional<int64_t> from_clock, std::optional<int64_t> to_clock,
                           int64_t from, int64_t to, std::optional<int> percent);

// "Scanning the log: 42 %" while a scan runs (progress below 1), else empty.
std::string ScanProgressText(double progress);

}  // namespace qv
