#include "core/record/window_traces.h"

#include <cmath>

namespace qv {

const LogWindowStats::Setting* WindowSetting(const LogWindowStats& stats,
                                             const LogSweepSetting& shown) {
  for (const LogWindowStats::Setting& setting : stats.Settings()) {
    if (setting.setting == shown) return &setting;
  }
  return nullptr;
}

std::vector<TraceColumn> WindowTraceColumns(const LogWindowStats::Setting& setting) {
  const std::vector<LogWindowStats::Point>& points = setting.points;
  size_t first = 0;
  while (first < points.size() && points[first].count == 0) ++first;
  if (first == points.size()) return {};
  size_t end = points.size();
  while (points[end - 1].count == 0) --end;
  std::vector<TraceColumn> columns = {{"Window Max", static_cast<int32_t>(first), {}},
                                      {"Window Min", static_cast<int32_t>(first), {}},
                                      {"Window Mean", static_cast<int32_t>(first), {}}};
  for (TraceColumn& column : columns) column.sixteenths.reserve(end - first);
  const LogWindowStats::Point* last = &points[first];
  for (size_t i = first; i < end; ++i) {
    if (points[i].count != 0) last = &points[i];
    columns[0].sixteenths.push_back(last->max);
    columns[1].sixteenths.push_back(last->min);
    columns[2].sixteenths.push_back(static_cast<int16_t>(
        std::lround(static_cast<double>(last->sum) / static_cast<double>(last->count))));
  }
  return columns;
}

std::vector<int16_t> WindowHistogramCounts(const LogWindowStats::Setting& setting,
                                           int16_t counter) {
  std::vector<int16_t> counts;
  counts.reserve(setting.points.size());
  for (const LogWindowStats::Point& p : setting.points) {
    counts.push_back(p.count == 0 ? int16_t{0}
                                  : static_cast<int16_t>(uint64_t{p.reached} *
                                                         static_cast<uint64_t>(counter) / p.count));
  }
  return counts;
}

}  // namespace qv
