#include "core/record/log_rotation.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "core/record/log_time.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = "quorvalin-";
constexpr std::string_view kExtension = ".kzq";
constexpr int kMaxCopy = 9999;

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Where a recorder's log sorts: its start (YYYYMMDDHHMMSS) and its number within that second,
// 1 for the first; nullopt for any other name.
std::optional<std::pair<std::string, int>> SortKey(std::string_view name) {
  constexpr size_t kStampChars = 15;  // YYYYMMDD-HHMMSS
  if (name.substr(0, kPrefix.size()) != kPrefix || name.size() < kExtension.size() ||
      name.substr(name.size() - kExtension.size()) != kExtension) {
    return std::nullopt;
  }
  name = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kExtension.size());
  if (name.size() < kStampChars || name[8] != '-' || !AllDigits(name.substr(0, 8)) ||
      !AllDigits(name.substr(9, 6))) {
    return std::nullopt;
  }
  std::string stamp = std::string(name.substr(0, 8)) + std::string(name.substr(9, 6));
  const std::string_view copy = name.substr(kStampChars);
  if (copy.empty()) return std::pair{std::move(stamp), 1};
  const std::string_view number = copy.substr(1);
  int value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (copy.front() != '-' || !AllDigits(number) || number.front() == '0' || error != std::errc() ||
      end != number.data() + number.size() || value < 2) {
    return std::nullopt;
  }
  return std::pair{std::move(stamp), value};
}

}  // namespace

std::string RotatedLogName(const LogClock& start) {
  LogClock clock = start;
  if (!LogClockSeconds(clock)) clock = LogClock{0, 0, 0, 0, 0, 0};
  const int year = clock.month == 0 ? 0 : 2000 + clock.year;
  char name[40];
  std::snprintf(name, sizeof name, "quorvalin-%04d%02d%02d-%02d%02d%02d.kzq", year, clock.month,
                clock.day, clock.hour, clock.minute, clock.second);
  return name;
}

std::string UniqueLogPath(const std::string& dir, const std::string& name,
                          const std::function<bool(const std::string&)>& exists) {
  const std::string folder = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  const std::string first = folder + name;
  if (!exists(first)) return first;
  const size_t dot = name.rfind('.');
  const std::string stem = name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
  for (int copy = 2; copy <= kMaxCopy; ++copy) {
    std::string path = folder + stem + "-" + std::to_string(copy) + extension;
    if (!exists(path)) return path;
  }
  return {};
}

bool RotationDue(const FileLimit& rotate, int64_t started_ms, uint64_t bytes, int64_t now_ms) {
  const bool old = rotate.seconds > 0 && now_ms - started_ms >= rotate.seconds * 1000;
  const bool full = rotate.bytes > 0 && bytes >= rotate.bytes;
  return old || full;
}

std::vector<KeptLog> ListRecorderLogs(const std::string& dir, std::string* error) {
  std::vector<KeptLog> logs;
  std::error_code code;
  fs::directory_iterator entries(dir, code);
  const auto fail = [&] {
    if (error != nullptr) *error = dir + ": " + code.message();
    return std::vector<KeptLog>{};
  };
  if (code) return fail();
  for (const fs::directory_iterator end; entries != end; entries.increment(code)) {
    if (code) return fail();
    const fs::directory_entry& entry = *entries;
    std::string name = entry.path().filename().string();
    if (!SortKey(name)) continue;
    // A log deleted or replaced between the listing and here is passed over.
    std::error_code stat_code;
    if (!entry.is_regular_file(stat_code) || entry.is_symlink(stat_code)) continue;
    const uintmax_t bytes = entry.file_size(stat_code);
    if (stat_code) continue;
    const fs::file_time_type modified = entry.last_write_time(stat_code);
    if (stat_code) continue;
    const auto since_epoch = std::chrono::file_clock::to_sys(modified).time_since_epoch();
    const int64_t seconds = std::chrono::floor<std::chrono::seconds>(since_epoch).count();
    logs.push_back(KeptLog{std::move(name), bytes, seconds});
  }
  if (code) return fail();
  return logs;
}

std::vector<std::string> LogsToDelete(std::vector<KeptLog> logs, const FileLimit& keep,
                                      int64_t now_s, const std::string& current_name) {
  std::vector<std::pair<std::pair<std::string, int>, KeptLog>> keyed;
  for (KeptLog& log : logs) {
    if (auto key = SortKey(log.name)) keyed.emplace_back(std::move(*key), std::move(log));
  }
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });

  uint64_t total = 0;
  for (const auto& [key, log] : keyed) total += log.bytes;
  std::vector<std::string> doomed;
  for (const auto& [key, log] : keyed) {
    if (log.name == current_name) continue;
    const bool too_old = keep.seconds > 0 && log.modified_s < now_s - keep.seconds;
    const bool too_many = keep.bytes > 0 && total > keep.bytes;
    if (!too_old && !too_many) continue;
    doomed.push_back(log.name);
    total -= log.bytes;
  }
  return doomed;
}

bool DeleteLogs(const std::string& dir, const std::vector<std::string>& names, std::string* error) {
  bool all = true;
  for (const std::string& name : names) {
    std::error_code code;
    const fs::path path = fs::path(dir) / name;
    fs::remove(path, code);
    if (!code) continue;
    if (all && error != nullptr) *error = path.string() + ": " + code.message();
    all = false;
  }
  return all;
}

}  // namespace qv
