#pragma once

#include <cstdint>
#include <vector>

#include "core/record/log_scan.h"
#include "core/record/trace_csv.h"

namespace qv {

// The statistics of one sweep setting out of a window's, or null when the window holds none.
const LogWindowStats::Setting* WindowSetting(const LogWindowStats& stats,
                                             const LogSweepSetting& shown);

// The window's "Window Max", "Window Min" and "Window Mean" of `setting`, in 1/16 dBm, over the
// points from the first to the last that any sweep reached (a point inside that no block reached
// repeats the one before it); no columns when none was reached. The mean rounds to the nearest.
std::vector<TraceColumn> WindowTraceColumns(const LogWindowStats::Setting& setting);

// The histogram's counts for the window: per point, the share of the window's sweeps that
// reached the threshold, out of `counter`.
std::vector<int16_t> WindowHistogramCounts(const LogWindowStats::Setting& setting,
                                           int16_t counter);

}  // namespace qv
