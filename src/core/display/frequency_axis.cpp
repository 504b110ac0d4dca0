#include "core/display/frequency_axis.h"

#include <algorithm>
#include <cstdio>

namespace qv {

int32_t AxisDecimals(double span_mhz) {
  const double step = span_mhz / 10.0;
  if (step >= 10.0) return 0;
  if (step >= 1.0) return 1;
  return 2;
}

std::vector<AxisLabel> LayOutFrequencyAxis(const GraphGeometry& g, uint32_t start,
                                           uint16_t sweep_word, int32_t char_width,
                                           int32_t left_limit, int32_t right_limit) {
  std::vector<AxisLabel> out;
  if (g.points < 2 || g.dx <= 0 || char_width <= 0) return out;
  const double span =
      PointFrequency(start, g.points - 1, sweep_word) - PointFrequency(start, 0, sweep_word);
  const int32_t decimals = AxisDecimals(span);

  std::vector<AxisLabel> all;
  for (int32_t i = 0; i <= 10; ++i) {
    const int32_t x = g.GridX(i);
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", static_cast<int>(decimals),
                  PointFrequency(start, g.PointAtX(x), sweep_word));
    AxisLabel label{i, 0, 0, text};
    label.width = static_cast<int32_t>(label.text.size()) * char_width;
    label.left = x - label.width / 2;
    if (i == 0) label.left = std::max(label.left, left_limit);
    if (i == 10) label.left = std::min(label.left, right_limit - label.width);
    all.push_back(std::move(label));
  }

  // Each label keeps a character's gap to the one before it.
  const auto fits = [&](int32_t every) {
    const AxisLabel* previous = nullptr;
    for (const AxisLabel& label : all) {
      if (label.grid_line % every != 0) continue;
      if (previous != nullptr && previous->left + previous->width + char_width > label.left) {
        return false;
      }
      previous = &label;
    }
    return true;
  };
  int32_t every = 5;
  if (fits(1)) {
    every = 1;
  } else if (fits(2)) {
    every = 2;
  } else if (!fits(5)) {
    every = 10;  // only start and stop; a window this narrow has no room for the centre
  }
  for (AxisLabel& label : all) {
    if (label.grid_line % every == 0) out.push_back(std::move(label));
  }
  return out;
}

}  // namespace qv
