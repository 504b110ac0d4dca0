#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/record/log_reader.h"
#include "core/record/log_scan.h"
#include "core/record/log_timeline.h"

namespace qv {

// The overview's grid is kept small: it is drawn in a strip, not read cell by cell.
inline constexpr uint32_t kOverviewMaxRows = 2048;
inline constexpr uint32_t kOverviewMaxColumns = 1024;

// What a scan of a log file for replay found: the time index and timeline, the overview of the
// whole log, how the walk ended, and one text naming every kind of damage met (empty for none).
struct LogFileScan {
  LogScanResult result;
  LogScan scan;
  std::unique_ptr<LogTimeline> timeline;
  std::unique_ptr<LogOverview> overview;  // nullptr when the log holds no sweep
  std::string damage;
  bool cancelled = false;
};

// The grid over a scan's time span and frequency span, at most rows × columns cells.
LogOverviewGrid OverviewGridOf(const LogScan& scan, uint32_t max_rows, uint32_t max_columns);

// Scans `path` by streaming it twice (the index, then the overview, whose grid needs the spans
// the first pass found). `progress` hears bytes done of bytes to do, from the scanning thread;
// `cancel` stops the scan within a buffer's read and leaves `cancelled` set.
LogFileScan ScanLogFile(const std::string& path, const std::atomic<bool>& cancel,
                        const std::function<void(uint64_t done, uint64_t total)>& progress);

// "damaged: torn record at byte N; the clock went back at byte M (2 times); 4 s without time
// records before byte K (2 gaps)" and so on; empty for a whole log.
std::string ScanDamageText(const LogScanResult& result, const LogTimeline& timeline,
                           const std::string& read_error);

}  // namespace qv
