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

// "Scanning the log: 42 %" while a scan runs (progress below 1), else empty.
std::string ScanProgressText(double progress);

}  // namespace qv
