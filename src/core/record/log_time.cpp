#include "core/record/log_time.h"

#include <charconv>
#include <cstdio>
#include <string>

namespace qv {
namespace {

// Digits only, all of them; nullopt for none or a sign.
std::optional<int64_t> Number(std::string_view text) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text[0] == '-' ||
      text[0] == '+')
    return std::nullopt;
  return value;
}

// Days from 2000-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFrom2000(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t of_era = year - era * 400;
  const int64_t of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t of_cycle = of_era * 365 + of_era / 4 - of_era / 100 + of_year;
  return era * 146097 + of_cycle - 730425;  // 730425: 1 March 0000 to 1 January 2000
}

unsigned DaysIn(int64_t year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

std::optional<int64_t> Seconds(int64_t year, int64_t month, int64_t day, int64_t hour,
                               int64_t minute, int64_t second) {
  if (month < 1 || month > 12 || day < 1 || day > DaysIn(year, static_cast<unsigned>(month)) ||
      hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  return DaysFrom2000(year, month, day) * 86400 +
         hour * 3600 + minute * 60 + second;
}

}  // namespace

std::optional<LogTimePoint> ParseLogTime(std::string_view text) {
  if (!text.empty() && text[0] == '+') {
    const size_t a = text.find(':');
    const size_t b = a == std::string_view::npos ? a : text.find(':', a + 1);
    if (b == std::string_view::npos || text.size() - b != 3 || b - a != 3) return std::nullopt;
    const auto h = Number(text.substr(1, a - 1));
    const auto m = Number(text.substr(a + 1, 2));
    const auto s = Number(text.substr(b + 1, 2));
    if (!h || !m || !s || *m > 59 || *s > 59) return std::nullopt;
    return LogTimePoint{true, *h * 3600 + *m * 60 + *s};
  }
  if (const auto s = Number(text)) return LogTimePoint{true, *s};
  // YYYY-MM-DD HH:MM:SS, fixed widths.
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
      text[13] != ':' || text[16] != ':')
    return std::nullopt;
  const auto year = Number(text.substr(0, 4));
  const auto month = Number(text.substr(5, 2));
  const auto day = Number(text.substr(8, 2));
  const auto hour = Number(text.substr(11, 2));
  const auto minute = Number(text.substr(14, 2));
  const auto second = Number(text.substr(17, 2));
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  const auto seconds = Seconds(*year, *month, *day, *hour, *minute, *second);
  if (!seconds) return std::nullopt;
  return LogTimePoint{false, *seconds};
}

std::optional<int64_t> LogClockSeconds(const LogClock& c) {
  return Seconds(2000 + c.year, c.month, c.day, c.hour, c.minute, c.second);
}

std::optional<int64_t> LogClockSeconds(const uint8_t* p) {
  return LogClockSeconds(LogClock{p[0], p[1], p[2], p[3], p[4], p[5]});
}

namespace {

struct CivilTime {
  int64_t year, month, day, hour, minute, second;
};

CivilTime CivilOf(int64_t seconds) {
  const int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  const int64_t in_day = seconds - days * 86400;
  // Civil date of a day count (days from 2000-01-01), the inverse of DaysFrom2000.
  const int64_t z = days + 730425;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t of_era = z - era * 146097;
  const int64_t year_of_era = (of_era - of_era / 1460 + of_era / 36524 - of_era / 146096) / 365;
  const int64_t of_year = of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t mp = (5 * of_year + 2) / 153;
  const int64_t day = of_year - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = year_of_era + era * 400 + (month <= 2);
  return {year, month, day, in_day / 3600, in_day / 60 % 60, in_day % 60};
}

}  // namespace

std::string LogSecondsText(int64_t seconds) {
  const CivilTime t = CivilOf(seconds);
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld",
                static_cast<long long>(t.year), static_cast<long long>(t.month),
                static_cast<long long>(t.day), static_cast<long long>(t.hour),
                static_cast<long long>(t.minute), static_cast<long long>(t.second));
  return text;
}

std::optional<LogClock> LogClockOfSeconds(int64_t seconds) {
  const CivilTime t = CivilOf(seconds);
  if (t.year < 2000 || t.year > 2255) return std::nullopt;
  return LogClock{static_cast<uint8_t>(t.month),  static_cast<uint8_t>(t.day),
                  static_cast<uint8_t>(t.year - 2000), static_cast<uint8_t>(t.hour),
                  static_cast<uint8_t>(t.minute), static_cast<uint8_t>(t.second)};
}

void LogTimeWindow::OnHeader(const LogHeaderInfo& header) {
  wall_ = header.complete ? LogClockSeconds(header.clock) : std::nullopt;
  elapsed_ = {};
  passed_ = 0;
  inner_.OnHeader(header);
}

void LogTimeWindow::OnRecord(const LogRecordView& record) {
  if (record.type == kLogTimeType && record.length >= 6) {
    if (const auto seconds = LogClockSeconds(record.payload)) {
      wall_ = seconds;
      elapsed_.Add(*seconds);
    }
  }
  if (!Inside()) return;
  ++passed_;
  inner_.OnRecord(record);
}

bool LogTimeWindow::After(const LogTimePoint& point) const {
  if (point.from_start) return elapsed_.Elapsed() >= point.seconds;
  return !wall_ || *wall_ >= point.seconds;  // a log with no clock at all is not cut by one
}

bool LogTimeWindow::Inside() const {
  if (from_ && !After(*from_)) return false;
  if (!to_) return true;
  // At or before `to`: not after to + 1 second.
  LogTimePoint past = *to_;
  ++past.seconds;
  if (past.from_start) return !After(past);
  return !wall_ || *wall_ < past.seconds;
}

}  // namespace qv
