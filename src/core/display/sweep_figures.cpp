#include "core/display/sweep_figures.h"

#include <algorithm>

namespace qv {

SweepFigures FiguresOf(const int16_t* levels, size_t count, std::vector<int16_t>& scratch) {
  SweepFigures figures;
  if (levels == nullptr || count == 0) return figures;
  const int16_t* peak = std::max_element(levels, levels + count);
  figures.peak = *peak;
  figures.peak_index = static_cast<size_t>(peak - levels);
  scratch.assign(levels, levels + count);
  const auto middle = scratch.begin() + static_cast<std::ptrdiff_t>((count - 1) / 2);
  std::nth_element(scratch.begin(), middle, scratch.end());
  figures.median = *middle;
  return figures;
}

}  // namespace qv
