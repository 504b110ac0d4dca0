#include "core/display/histogram_axis.h"

#include <algorithm>
#include <array>

#include "core/display/graph_geometry.h"

namespace qv {

std::vector<AxisLabel> LayOutHistogramFrequencies(int32_t width, uint32_t start,
                                                  uint16_t sweep_word, int32_t points,
                                                  int32_t char_width) {
  if (points <= 0 || width <= 0) return {};
  std::array<int32_t, 11> xs{};
  for (int32_t i = 0; i <= 10; ++i) xs[i] = GridColumn(i, width);
  return LayOutStepAxis(xs, start, sweep_word, points, char_width, 0, width);
}

}  // namespace qv
