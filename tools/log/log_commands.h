#pragma once

#include <string>

namespace qv::logtool {

// Exit statuses: 0 the log was read to its end (an end record or a clean end of records), 1 it
// could not be read, is damaged, or the output could not be written (with a message on standard
// error saying what and where).
inline constexpr int kExitOk = 0;
inline constexpr int kExitDamaged = 1;
inline constexpr int kExitUsage = 2;

// What the header says, record counts per type, first and last time record, the end record.
int RunInfo(const std::string& path);
// One line per record.
int RunDump(const std::string& path);
// One rtl_power-style line per complete sweep, into `out_path` ("-" or empty: standard output).
int RunCsv(const std::string& path, const std::string& out_path);

}  // namespace qv::logtool
