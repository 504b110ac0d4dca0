#include "core/display/peak_search.h"

#include <cmath>
#include <vector>

namespace qv {
namespace {

// base[i]: the lowest level between point i and the nearest strictly higher point on one side,
// i included (the end of the trace when none is higher). One pass with a stack of falling
// levels, each entry carrying the lowest level since the entry below it: O(count).
void SideBases(const int16_t* levels, int32_t count, bool leftward, std::vector<int16_t>& base) {
  struct Entry {
    int16_t level;
    int16_t low;
  };
  std::vector<Entry> stack;
  base.assign(static_cast<size_t>(count), 0);
  for (int32_t k = 0; k < count; ++k) {
    const int32_t i = leftward ? k : count - 1 - k;
    int16_t low = levels[i];
    while (!stack.empty() && stack.back().level <= levels[i]) {
      low = std::min(low, stack.back().low);
      stack.pop_back();
    }
    base[static_cast<size_t>(i)] = low;
    stack.push_back({levels[i], low});
  }
}

// Falling level, then left to right: the order Next Peak walks.
bool Before(const int16_t* levels, int32_t a, int32_t b) {
  return levels[a] != levels[b] ? levels[a] > levels[b] : a < b;
}

}  // namespace

std::optional<int32_t> HighestPoint(const int16_t* levels, int32_t count) {
  if (levels == nullptr || count <= 0) return std::nullopt;
  int32_t best = 0;
  for (int32_t i = 1; i < count; ++i) {
    if (levels[i] > levels[best]) best = i;
  }
  return best;
}

std::optional<int32_t> NextPeak(const int16_t* levels, int32_t count, int32_t from,
                                int32_t excursion) {
  if (levels == nullptr || count <= 0 || from < 0 || from >= count) return std::nullopt;
  std::vector<int16_t> left;
  std::vector<int16_t> right;
  SideBases(levels, count, true, left);
  SideBases(levels, count, false, right);
  std::optional<int32_t> next;
  for (int32_t i = 0; i < count; ++i) {
    if (i > 0 && levels[i - 1] >= levels[i]) continue;  // not the first of its run, or lower
    int32_t end = i;
    while (end + 1 < count && levels[end + 1] == levels[i]) ++end;
    if (end + 1 < count && levels[end + 1] > levels[i]) continue;  // a step up, not a maximum
    // The right side of a flat top is measured from its last point.
    const int32_t surroundings = std::max(left[static_cast<size_t>(i)],
                                          right[static_cast<size_t>(end)]);
    if (levels[i] - surroundings < excursion) continue;
    if (!Before(levels, from, i)) continue;
    if (!next || Before(levels, i, *next)) next = i;
  }
  return next;
}

std::optional<int32_t> PointAtFrequency(uint32_t start, uint16_t sweep_word, int32_t points,
                                        double mhz) {
  if (points <= 0 || sweep_word == 0 || !std::isfinite(mhz)) return std::nullopt;
  const double step = sweep_word * 0.05;
  const double j = std::round((mhz - PointFrequency(start, 0, sweep_word)) / step);
  // Rounding keeps half a step beyond either end on that end.
  if (j < 0 || j > points - 1) return std::nullopt;
  return static_cast<int32_t>(j);
}

}  // namespace qv
