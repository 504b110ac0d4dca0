#include "core/display/histogram_axis.h"

#include <algorithm>
#include <array>

#include "core/display/graph_geometry.h"

namespace qv {

int32_t HistogramColumn(int32_t j, int32_t n, int32_t width) {
  if (n <= 0) return 0;
  return static_cast<int32_t>((2 * static_cast<int64_t>(j) + 1) * width / (2 * int64_t{n}));
}

int32_t HistogramGridX(int32_t line, int32_t width) {
  return std::max(std::min(line * width / 10, width - 1), 0);
}

std::vector<AxisLabel> LayOutHistogramFrequencies(int32_t width, uint32_t start,
                                                  uint16_t sweep_word, int32_t points,
                                                  int32_t char_width) {
  if (points <= 0 || width <= 0) return {};
  std::array<int32_t, 11> xs{};
  std::array<double, 11> mhz{};
  for (int32_t i = 0; i <= 10; ++i) {
    xs[i] = HistogramGridX(i, width);
    mhz[i] = GridFrequency(start, sweep_word, points, i);
  }
  return LayOutAxisLabels(xs, mhz, AxisDecimals(mhz[10] - mhz[0]), char_width, 0, width);
}

}  // namespace qv
