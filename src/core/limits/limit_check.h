#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/limits/limit_line.h"

namespace qv {

// One complete sweep: point i lies at start_hz + i * step_hz, its level in 1/16 dBm.
struct SweepLevels {
  double start_hz = 0;
  double step_hz = 0;
  const int16_t* sixteenths = nullptr;
  size_t count = 0;
};

// A sweep against the lines loaded. `checked`: some point lies under a line. The worst point is
// the one furthest beyond its line (excess in dB, positive when failing); kept only on a fail.
struct SweepVerdict {
  bool checked = false;
  bool fail = false;
  double worst_excess_db = 0;
  double worst_hz = 0;
  double worst_dbm = 0;
};

// Either line may be null or empty.
SweepVerdict CheckSweep(const LimitLine* upper, const LimitLine* lower, const SweepLevels& sweep);

// "+8.2 dB at 2437.15 MHz".
std::string ExcessText(double excess_db, double hz);

// When a sweep was checked: a clock for order and lengths, and the wall time as text.
struct LimitTime {
  int64_t ms = 0;
  std::string text;
};

// A violation: consecutive failing sweeps, from the first to the last, and its worst point.
struct LimitEvent {
  uint64_t number = 0;  // 1 for the run's first violation; cleared or dropped ones still count
  LimitTime start;
  LimitTime end;
  double worst_hz = 0;
  double worst_dbm = 0;
  double worst_excess_db = 0;
  uint32_t sweeps = 0;
  bool open = true;  // the last sweep checked still failed
};

// The events of a run, merged across consecutive failing sweeps. A night of bursts makes many:
// only the newest kLimitEventsKept are kept in memory (the events file has them all).
inline constexpr size_t kLimitEventsKept = 2000;

class LimitViolations {
 public:
  enum class Change { kNone, kStarted, kEnded };

  // A sweep checked at `now`: a failing one starts a violation or extends the open one; a
  // passing one ends the open one (its end stays at its last failing sweep).
  Change Add(const SweepVerdict& verdict, const LimitTime& now);
  // Ends the open violation, if any (at quit, or when the lines change); true when one ended.
  bool Close();
  void Clear() {
    dropped_ += events_.size();
    events_.clear();
  }
  // Events no longer listed, oldest first: cleared or beyond kLimitEventsKept.
  uint64_t Dropped() const { return dropped_; }

  const std::vector<LimitEvent>& Events() const { return events_; }
  bool Open() const { return !events_.empty() && events_.back().open; }

 private:
  std::vector<LimitEvent> events_;
  uint64_t dropped_ = 0;
};

// A violation as the event list shows it: its number, start, end ("(going on)" while open),
// worst frequency ("2437.15 MHz"), worst level ("-42.3 dBm") and excess ("+8.2 dB").
std::vector<std::string> LimitEventTexts(const LimitEvent& event);

// A capture's comment naming the violation with those texts: "Limit violation 28 2026-03-09
// 08:05:00 to 2026-03-09 08:05:04: +8.2 dB at 2437.15 MHz, -42.3 dBm" ("... 08:05:00 (going
// on): ..." while open).
std::string LimitEventComment(const LimitEvent& event);

// The events file: a header row, then one row per violation.
std::string LimitEventsCsvHeader();
std::string LimitEventCsvRow(const LimitEvent& event);

}  // namespace qv
