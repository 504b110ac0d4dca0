#include "core/record/log_timeline.h"

#include <algorithm>
#include <cstdio>

namespace qv {

LogTimeline::LogTimeline(std::vector<LogTimeEntry> index, uint64_t sweeps, uint64_t end)
    : index_(std::move(index)), sweeps_(sweeps), end_(end) {
  elapsed_.reserve(index_.size());
  ElapsedClock elapsed;
  for (const LogTimeEntry& entry : index_) elapsed_.push_back(elapsed.Add(entry.seconds));
}

size_t LogTimeline::EntryAt(int64_t elapsed) const {
  const auto after = std::upper_bound(elapsed_.begin(), elapsed_.end(), elapsed);
  if (after == elapsed_.begin()) return 0;
  // Of the time records a clock set back gave the same elapsed time, the first.
  return static_cast<size_t>(std::lower_bound(elapsed_.begin(), after, *(after - 1)) -
                             elapsed_.begin());
}

std::optional<size_t> LogTimeline::EntryOf(uint64_t offset) const {
  const auto after =
      std::upper_bound(index_.begin(), index_.end(), offset,
                       [](uint64_t at, const LogTimeEntry& entry) { return at < entry.offset; });
  if (after == index_.begin()) return std::nullopt;
  return static_cast<size_t>(after - index_.begin()) - 1;
}

int64_t LogTimeline::ElapsedAt(uint64_t offset) const {
  const std::optional<size_t> i = EntryOf(offset);
  return i ? elapsed_[*i] : 0;
}

std::optional<int64_t> LogTimeline::ClockAt(uint64_t offset) const {
  const std::optional<size_t> i = EntryOf(offset);
  if (!i) return std::nullopt;
  return index_[*i].seconds;
}

std::optional<int64_t> LogTimeline::ClockAtElapsed(int64_t elapsed) const {
  if (index_.empty()) return std::nullopt;
  const size_t i = EntryAt(elapsed);
  return index_[i].seconds + std::max<int64_t>(0, elapsed - elapsed_[i]);
}

double LogTimeline::SweepTime(size_t i, uint64_t k) const {
  if (i >= index_.size()) return static_cast<double>(Duration());
  const uint64_t next = i + 1 < index_.size() ? index_[i + 1].sweeps : sweeps_;
  const uint64_t n = next > index_[i].sweeps ? next - index_[i].sweeps : 0;
  if (n == 0) return static_cast<double>(elapsed_[i]);
  // Never into the next second, should playback count more sweeps than the scan did.
  return static_cast<double>(elapsed_[i]) +
         static_cast<double>(std::min(k, n - 1)) / static_cast<double>(n);
}

std::optional<int64_t> LogTimeline::ElapsedOf(const LogTimePoint& point) const {
  if (index_.empty()) return std::nullopt;
  if (point.from_start) {
    if (point.seconds < 0 || point.seconds > Duration()) return std::nullopt;
    return point.seconds;
  }
  for (size_t i = 0; i < index_.size(); ++i) {
    if (index_[i].seconds < point.seconds) continue;
    // Past it only within a forward gap; beyond every clock it is outside the log.
    if (index_[i].seconds > point.seconds && (i == 0 || index_[i - 1].seconds > point.seconds))
      continue;
    return elapsed_[i];
  }
  return std::nullopt;
}

std::pair<uint64_t, uint64_t> LogTimeline::RangeOf(int64_t from, int64_t to) const {
  if (index_.empty()) return {kLogHeaderRecordSize, end_};  // all of it is second 0
  if (to < from) return {kLogHeaderRecordSize, kLogHeaderRecordSize};
  const uint64_t begin = from <= 0 ? kLogHeaderRecordSize : index_[EntryAt(from)].offset;
  const auto after = std::upper_bound(elapsed_.begin(), elapsed_.end(), to);
  const uint64_t end =
      after == elapsed_.end() ? end_ : index_[static_cast<size_t>(after - elapsed_.begin())].offset;
  return {begin, std::max(begin, end)};
}

std::vector<uint64_t> LogTimeline::ClockSetBack() const {
  std::vector<uint64_t> at;
  for (size_t i = 1; i < index_.size(); ++i) {
    if (index_[i].seconds < index_[i - 1].seconds) at.push_back(index_[i].offset);
  }
  return at;
}

std::string ElapsedText(int64_t seconds) {
  return "+" + DurationText(seconds);
}

std::string DurationText(int64_t seconds) {
  seconds = std::max<int64_t>(0, seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return text;
}

}  // namespace qv
