#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// An upper line fails a level above it, a lower line a level below it.
enum class LimitKind { kUpper, kLower };

struct LimitPoint {
  double hz = 0;
  double dbm = 0;

  friend bool operator==(const LimitPoint&, const LimitPoint&) = default;
};

// Straight lines between points of ascending frequency; two points at one frequency make a
// vertical step. Outside the first and last point there is no limit.
struct LimitLine {
  std::vector<LimitPoint> points;

  // The limit at `hz`, nullopt outside the line. On a step's frequency the point belongs to both
  // sides, so the stricter of the two applies.
  std::optional<double> At(double hz, LimitKind kind) const;
  bool Empty() const { return points.empty(); }
};

// A line read whole, or the one message naming what is wrong (then `line` is empty).
struct LimitLineRead {
  LimitLine line;
  std::string error;
};

// Largest file a line is read from; a mask never needs more.
inline constexpr size_t kLimitFileMaxBytes = 4 * 1024 * 1024;

// One `frequency_hz,level_dbm` point per row; `#` starts a comment, blank rows are skipped, the
// first row may be a header (no field even starts like a number), CRLF is taken as LF. `name`
// heads the message: "limit.csv, row 7: frequencies must ascend".
LimitLineRead ParseLimitLine(std::string_view text, const std::string& name);
// The same for a file, named by its base name; a file that cannot be read is an error too.
LimitLineRead ReadLimitLineFile(const std::string& path);

}  // namespace qv
