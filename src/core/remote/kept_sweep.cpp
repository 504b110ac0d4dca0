#include "core/remote/kept_sweep.h"

#include <algorithm>

#include "core/control/frequency_rules.h"
#include "core/display/peak_search.h"

namespace qv {

KeptSweep KeptSweep::Of(const TraceData& trace) {
  KeptSweep kept;
  kept.header = trace.header;
  const auto points = static_cast<size_t>(std::max(trace.StoredPoints(), 0));
  const auto copy = [points](const auto& levels) {
    return std::vector<int16_t>(levels.begin(), levels.begin() + points);
  };
  kept.live = copy(trace.live_sixteenths);
  if (trace.trace_average_on) kept.average = copy(trace.average_sixteenths);
  for (const PeakSlot& peak : trace.peaks) {
    if (peak.live || peak.frozen) {
      kept.max_hold = copy(peak.sixteenths);
      break;
    }
  }
  if (trace.min_hold.live || trace.min_hold.frozen) kept.min_hold = copy(trace.min_hold.sixteenths);
  return kept;
}

uint64_t KeptSweep::PointHz(int32_t point) const {
  return (uint64_t{header.start} + uint64_t(point) * header.sweep_word) * kStepKhz * 1000;
}

std::optional<int32_t> KeptSweep::PointAt(double hz) const {
  return PointAtFrequency(header.start, header.sweep_word, Points(), hz / 1e6);
}

bool PlainFileName(std::string_view name) {
  return !name.empty() && name.size() <= 255 && name.front() != '.' &&
         name.find('/') == std::string_view::npos && name.find('\\') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

}  // namespace qv
