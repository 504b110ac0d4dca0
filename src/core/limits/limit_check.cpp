#include "core/limits/limit_check.h"

#include <cstdio>

namespace qv {

namespace {

void CheckAgainst(const LimitLine* line, LimitKind kind, const SweepLevels& sweep,
                  SweepVerdict& verdict) {
  if (line == nullptr || line->Empty() || sweep.sixteenths == nullptr) return;
  for (size_t i = 0; i < sweep.count; ++i) {
    const double hz = sweep.start_hz + static_cast<double>(i) * sweep.step_hz;
    const std::optional<double> limit = line->At(hz, kind);
    if (!limit) continue;
    verdict.checked = true;
    const double dbm = sweep.sixteenths[i] / 16.0;
    const double excess = kind == LimitKind::kUpper ? dbm - *limit : *limit - dbm;
    if (excess > 0 && (!verdict.fail || excess > verdict.worst_excess_db)) {
      verdict.fail = true;
      verdict.worst_excess_db = excess;
      verdict.worst_hz = hz;
      verdict.worst_dbm = dbm;
    }
  }
}

std::string Fixed(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

SweepVerdict CheckSweep(const LimitLine* upper, const LimitLine* lower, const SweepLevels& sweep) {
  SweepVerdict verdict;
  CheckAgainst(upper, LimitKind::kUpper, sweep, verdict);
  CheckAgainst(lower, LimitKind::kLower, sweep, verdict);
  return verdict;
}

std::string ExcessText(double excess_db, double hz) {
  return Fixed("%+.1f dB", excess_db) + " at " + Fixed("%.2f MHz", hz / 1e6);
}

LimitViolations::Change LimitViolations::Add(const SweepVerdict& verdict, const LimitTime& now) {
  if (!verdict.fail) return Close() ? Change::kEnded : Change::kNone;
  const bool started = !Open();
  if (started) {
    if (events_.size() >= kLimitEventsKept) {
      events_.erase(events_.begin());
      ++dropped_;
    }
    LimitEvent event;
    event.number = dropped_ + events_.size() + 1;
    event.start = now;
    events_.push_back(std::move(event));
  }
  LimitEvent& event = events_.back();
  event.end = now;
  ++event.sweeps;
  if (started || verdict.worst_excess_db > event.worst_excess_db) {
    event.worst_excess_db = verdict.worst_excess_db;
    event.worst_hz = verdict.worst_hz;
    event.worst_dbm = verdict.worst_dbm;
  }
  return started ? Change::kStarted : Change::kNone;
}

bool LimitViolations::Close() {
  if (!Open()) return false;
  events_.back().open = false;
  return true;
}

std::vector<std::string> LimitEventTexts(const LimitEvent& event) {
  return {std::to_string(event.number), event.start.text,
          event.open ? "(going on)" : event.end.text,
          Fixed("%.2f MHz", event.worst_hz / 1e6), Fixed("%.1f dBm", event.worst_dbm),
          Fixed("%+.1f dB", event.worst_excess_db)};
}

std::string LimitEventComment(const LimitEvent& event) {
  const std::vector<std::string> texts = LimitEventTexts(event);
  return "Limit violation " + texts[0] + " " + texts[1] + (event.open ? " " : " to ") + texts[2] +
         ": " + texts[5] + " at " + texts[3] + ", " + texts[4];
}

std::string LimitEventsCsvHeader() {
  return "start,end,worst_frequency_mhz,worst_level_dbm,excess_db,sweeps\n";
}

std::string LimitEventCsvRow(const LimitEvent& event) {
  return event.start.text + "," + event.end.text + "," + Fixed("%.3f", event.worst_hz / 1e6) +
         "," + Fixed("%.2f", event.worst_dbm) + "," + Fixed("%.2f", event.worst_excess_db) + "," +
         std::to_string(event.sweeps) + "\n";
}

}  // namespace qv
