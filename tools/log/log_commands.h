#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/record/log_time.h"

namespace qv::logtool {

// Exit statuses: 0 the log was read to its end (an end record or a clean end of records), 1 it
// could not be read, is damaged, or the output could not be written (with a message on standard
// error saying what and where).
inline constexpr int kExitOk = 0;
inline constexpr int kExitDamaged = 1;
inline constexpr int kExitUsage = 2;

// What the command line asked besides the verb and the file.
struct Options {
  std::optional<LogTimePoint> from;
  std::optional<LogTimePoint> to;
  std::string window;            // "--from A --to B" as given, for messages; empty for no window
  std::string out;               // -o: "-" or empty for standard output
  int32_t threshold = -85 * 16;  // summary and channels, 1/16 dBm
  std::string plan;              // channels: a plan id, or empty to follow the log's band
  uint32_t width = 1024;         // heatmap, pixels
  uint32_t height = 768;
};

// What the header says, record counts per type, first and last time record, the end record.
int RunInfo(const std::string& path, const Options& options);
// One line per record.
int RunDump(const std::string& path, const Options& options);
// One rtl_power-style line per complete sweep, into options.out.
int RunCsv(const std::string& path, const Options& options);
// Per point: frequency, lowest, mean and highest level, share at or above the threshold.
int RunSummary(const std::string& path, const Options& options);
// Per channel of a plan: utilisation, mean and highest level, as CSV into options.out.
int RunChannels(const std::string& path, const Options& options);
// The log as a PNG picture: time down, frequency across, highest level per cell.
int RunHeatmap(const std::string& path, const Options& options);

}  // namespace qv::logtool
