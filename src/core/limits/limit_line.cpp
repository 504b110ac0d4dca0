#include "core/limits/limit_line.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace qv {

namespace {

// Frequencies up to 1 THz and levels within ±1000 dBm: anything else is a typing slip.
constexpr double kMaxHz = 1e12;
constexpr double kMaxAbsDbm = 1000;

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<double> Number(std::string_view field) {
  field = Trim(field);
  if (field.empty() || field.size() > 64) return std::nullopt;
  const std::string copy(field);
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || errno == ERANGE || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// A field a number was meant to be in: a sign, then a digit or a point and a digit. "2.40e9x"
// is one (mistyped), "frequency_hz" is not.
bool LooksNumeric(std::string_view field) {
  field = Trim(field);
  if (!field.empty() && (field.front() == '+' || field.front() == '-')) field.remove_prefix(1);
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (field.empty()) return false;
  return digit(field.front()) || (field.size() > 1 && field.front() == '.' && digit(field[1]));
}

// A header names its columns: none of its fields is even meant as a number.
bool IsHeader(std::string_view line) {
  for (size_t start = 0; start <= line.size();) {
    size_t end = line.find(',', start);
    if (end == std::string_view::npos) end = line.size();
    if (LooksNumeric(line.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<double> LimitLine::At(double hz, LimitKind kind) const {
  if (points.empty() || hz < points.front().hz || hz > points.back().hz) return std::nullopt;
  const auto at = std::lower_bound(points.begin(), points.end(), hz,
                                   [](const LimitPoint& p, double f) { return p.hz < f; });
  if (at->hz == hz) {
    double limit = at->dbm;
    for (auto next = at + 1; next != points.end() && next->hz == hz; ++next) {
      limit = kind == LimitKind::kUpper ? std::min(limit, next->dbm) : std::max(limit, next->dbm);
    }
    return limit;
  }
  const LimitPoint& a = *(at - 1);
  const LimitPoint& b = *at;
  return a.dbm + (b.dbm - a.dbm) * (hz - a.hz) / (b.hz - a.hz);
}

LimitLineRead ParseLimitLine(std::string_view text, const std::string& name) {
  LimitLineRead read;
  const auto fail = [&](size_t row, const std::string& what) {
    read.line.points.clear();
    read.error = name + ", row " + std::to_string(row) + ": " + what;
    return read;
  };
  bool header_allowed = true;
  size_t row = 0;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++row;
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    const size_t comma = line.find(',');
    const bool first_data_row = header_allowed;
    header_allowed = false;
    const std::optional<double> hz =
        comma == std::string_view::npos ? std::nullopt : Number(line.substr(0, comma));
    if (first_data_row && IsHeader(line)) continue;  // such as "frequency_hz,level_dbm"
    if (comma == std::string_view::npos || line.find(',', comma + 1) != std::string_view::npos) {
      return fail(row, "expected frequency_hz,level_dbm");
    }
    if (!hz || *hz < 0 || *hz > kMaxHz) return fail(row, "the frequency is not a number of Hz");
    const std::optional<double> dbm = Number(line.substr(comma + 1));
    if (!dbm || std::fabs(*dbm) > kMaxAbsDbm) return fail(row, "the level is not a number of dBm");
    std::vector<LimitPoint>& points = read.line.points;
    if (!points.empty() && *hz < points.back().hz) return fail(row, "frequencies must ascend");
    if (points.size() >= 2 && points[points.size() - 2].hz == *hz) {
      return fail(row, "a frequency may appear at most twice (one step)");
    }
    points.push_back({*hz, *dbm});
  }
  if (read.line.points.size() < 2) {
    read.line.points.clear();
    read.error = name + ": a limit line needs at least two points";
  }
  return read;
}

LimitLineRead ReadLimitLineFile(const std::string& path) {
  const std::string name = BaseName(path);
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    LimitLineRead read;
    read.error = name + ": the file could not be opened (" + std::strerror(errno) + ")";
    return read;
  }
  std::string text(kLimitFileMaxBytes + 1, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(file.gcount()));
  if (text.size() > kLimitFileMaxBytes) {
    LimitLineRead read;
    read.error = name + ": the file is too large for a limit line";
    return read;
  }
  return ParseLimitLine(text, name);
}

}  // namespace qv
