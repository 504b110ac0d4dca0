#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/record/log_format.h"
#include "core/record/log_reader.h"
#include "core/record/log_scan.h"

namespace qv {

// A moment in a log as a user gives it: seconds from the log's start (its first time record), or
// a wall-clock time as the log's clocks store it (local time, no zone).
struct LogTimePoint {
  bool from_start = false;
  int64_t seconds = 0;  // from the start, or LogClockSeconds of the wall-clock time

  friend bool operator==(const LogTimePoint&, const LogTimePoint&) = default;
};

// "+HH:MM:SS" (hours of any length), plain seconds ("3600") or "YYYY-MM-DD HH:MM:SS"; nullopt
// for anything else, a minute or second above 59 or a date that does not exist.
std::optional<LogTimePoint> ParseLogTime(std::string_view text);

// Seconds since 2000-01-01 00:00:00 of a clock, counted as if every day were 86400 s; nullopt
// for the "unknown" clock or one no calendar has.
std::optional<int64_t> LogClockSeconds(const LogClock& clock);
// The same for a time record's payload (at least six bytes).
std::optional<int64_t> LogClockSeconds(const uint8_t* payload);
// "YYYY-MM-DD HH:MM:SS" of such seconds.
std::string LogSecondsText(int64_t seconds);
// The clock of such seconds; nullopt for a year a log's clock cannot hold (2000 ... 2255).
std::optional<LogClock> LogClockOfSeconds(int64_t seconds);

// Passes on to `inner` the records whose time lies in [from, to] (either end open): a record's
// time is that of the latest time record before it (a time record's its own). A point from the
// start is elapsed time as the timeline counts it (ElapsedClock: a clock set back adds nothing),
// a wall-clock point the clock as written. Records before the first time record count as the
// log's start: the header's clock, elapsed 0. Time records whose clock cannot be read change
// nothing. The header always passes.
class LogTimeWindow : public LogVisitor {
 public:
  LogTimeWindow(LogVisitor& inner, std::optional<LogTimePoint> from,
                std::optional<LogTimePoint> to)
      : inner_(inner), from_(from), to_(to) {}

  void OnHeader(const LogHeaderInfo& header) override;
  void OnRecord(const LogRecordView& record) override;

  // Records passed on (the header not counted): none means the window missed the log.
  uint64_t Passed() const { return passed_; }
  // The log's time as walked so far: the last clock read, and the elapsed seconds to it.
  std::optional<int64_t> LastClock() const { return wall_; }
  int64_t Elapsed() const { return elapsed_.Elapsed(); }

 private:
  bool Inside() const;
  bool After(const LogTimePoint& point) const;  // the current time is at or after `point`

  LogVisitor& inner_;
  std::optional<LogTimePoint> from_;
  std::optional<LogTimePoint> to_;
  std::optional<int64_t> wall_;  // clock seconds of the current time
  ElapsedClock elapsed_;         // elapsed seconds of the current time
  uint64_t passed_ = 0;
};

}  // namespace qv
