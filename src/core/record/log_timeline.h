#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/record/log_scan.h"
#include "core/record/log_time.h"

namespace qv {

// A log's time as a player sees it: every time record of the scan's index gets an elapsed time
// from the first, which never runs backwards (a clock set back during recording adds nothing; a
// forward gap counts in full).
class LogTimeline {
 public:
  // `sweeps`: sweeps begun in the whole log; `end`: where the last record ends (the file's
  // length for a torn log).
  LogTimeline(std::vector<LogTimeEntry> index, uint64_t sweeps, uint64_t end);

  bool Empty() const { return index_.empty(); }
  size_t Entries() const { return index_.size(); }
  const LogTimeEntry& Entry(size_t i) const { return index_[i]; }
  const std::vector<LogTimeEntry>& Index() const { return index_; }
  int64_t Elapsed(size_t i) const { return elapsed_[i]; }
  // Elapsed time of the last time record; 0 for none.
  int64_t Duration() const { return elapsed_.empty() ? 0 : elapsed_.back(); }

  // The time record a second falls in: the last at or before it (the first for earlier ones;
  // of several at one elapsed time, the first). Not for an empty timeline.
  size_t EntryAt(int64_t elapsed) const;
  // The last time record at or before a byte offset; nullopt before the first.
  std::optional<size_t> EntryOf(uint64_t offset) const;
  int64_t ElapsedAt(uint64_t offset) const;
  // Clock (LogClockSeconds) of the time record in force at `offset`; nullopt before the first.
  std::optional<int64_t> ClockAt(uint64_t offset) const;
  // The clock at an elapsed second: its time record's clock plus the seconds since; nullopt for
  // an empty timeline.
  std::optional<int64_t> ClockAtElapsed(int64_t elapsed) const;
  // When the k-th sweep after time record i began: the second's sweeps spread evenly over it.
  double SweepTime(size_t i, uint64_t k) const;

  // A moment a user gave as elapsed seconds; nullopt outside [0, Duration()]. A wall-clock time
  // is the first time record at or past it (a clock set back repeats a time: the first counts).
  std::optional<int64_t> ElapsedOf(const LogTimePoint& point) const;
  // Bytes [begin, end) of the records whose time lies in [from, to] (elapsed seconds), cut at
  // time records; records before the first time record count as second 0.
  std::pair<uint64_t, uint64_t> RangeOf(int64_t from, int64_t to) const;
  // Byte offsets of the time records where the clock went back.
  std::vector<uint64_t> ClockSetBack() const;

 private:
  std::vector<LogTimeEntry> index_;
  std::vector<int64_t> elapsed_;
  uint64_t sweeps_ = 0;
  uint64_t end_ = 0;
};

// "+03:12:07" (hours of any length) for elapsed seconds; "03:12:07" for a duration.
std::string ElapsedText(int64_t seconds);
std::string DurationText(int64_t seconds);

}  // namespace qv
