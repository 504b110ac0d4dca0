#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/app/recorder_options.h"
#include "core/record/log_format.h"

namespace qv {

// "quorvalin-YYYYMMDD-HHMMSS.kzq" of the local clock a log starts at (LocalLogClock()). A clock
// that cannot be read gives "quorvalin-00000000-000000.kzq": still a recorder's log, and the
// oldest by name.
std::string RotatedLogName(const LogClock& start);

// dir/name, or dir/name-2.kzq, -3 ... when `exists` says it is taken (a SIGHUP may begin two
// logs in one second). Empty when every number up to 9999 is taken.
std::string UniqueLogPath(const std::string& dir, const std::string& name,
                          const std::function<bool(const std::string&)>& exists);

// Whether the log begun at started_ms, holding `bytes`, is to give way to the next one at now_ms
// (milliseconds on one steady clock). Never with no limit.
bool RotationDue(const FileLimit& rotate, int64_t started_ms, uint64_t bytes, int64_t now_ms);

// One of the recorder's logs in its folder.
struct KeptLog {
  std::string name;
  uint64_t bytes = 0;
  int64_t modified_s = 0;  // seconds since 1970-01-01 UTC

  friend bool operator==(const KeptLog&, const KeptLog&) = default;
};

// The regular files in `dir` named as RotatedLogName and UniqueLogPath name them; nothing else,
// no subfolders, no symbolic links. Empty with the reason in `error` when the folder cannot be
// read.
std::vector<KeptLog> ListRecorderLogs(const std::string& dir, std::string* error);

// The names to delete, oldest first (by the start time in the name), so that what stays is
// within `keep`: with an age, every log modified before now_s - keep.seconds; with a size, the
// oldest until the total (the current log included when listed) is within keep.bytes. The log
// named current_name, being written, is never among them. Names not of the recorder's pattern
// are left alone.
std::vector<std::string> LogsToDelete(std::vector<KeptLog> logs, const FileLimit& keep,
                                      int64_t now_s, const std::string& current_name);

// Deletes dir/name for each name, going on past a failure; false with the first failure in
// `error`. A file already gone is no failure.
bool DeleteLogs(const std::string& dir, const std::vector<std::string>& names, std::string* error);

}  // namespace qv
