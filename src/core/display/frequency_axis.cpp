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
  if (g.points < 2 || g.dx <= 0) return {};
  const double span =
      PointFrequency(start, g.points - 1, sweep_word) - PointFrequency(start, 0, sweep_word);
  std::array<int32_t, 11> xs{};
  std::array<double, 11> mhz{};
  for (int32_t i = 0; i <= 10; ++i) {
    xs[i] = g.GridX(i);
    mhz[i] = PointFrequency(start, g.PointAtX(xs[i]), sweep_word);
  }
  return LayOutAxisLabels(xs, mhz, AxisDecimals(span), char_width, left_limit, right_limit);
}

std::vector<AxisLabel> LayOutAxisLabels(const std::array<int32_t, 11>& xs,
                                        const std::array<double, 11>& mhz, int32_t decimals,
                                        int32_t char_width, int32_t left_limit,
                                        int32_t right_limit) {
  std::vector<AxisLabel> out;
  if (char_width <= 0) return out;
  std::vector<AxisLabel> all;
  for (int32_t i = 0; i <= 10; ++i) {
    const int32_t x = xs[i];
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", static_cast<int>(decimals), mhz[i]);
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
