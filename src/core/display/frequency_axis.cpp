#include "core/display/frequency_axis.h"

#include <algorithm>
#include <cmath>
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
  if (g.points < 2 || g.Width() < 10) return {};
  std::array<int32_t, 11> xs{};
  for (int32_t i = 0; i <= 10; ++i) xs[i] = g.GridX(i);
  return LayOutStepAxis(xs, start, sweep_word, g.points, char_width, left_limit, right_limit);
}

std::vector<AxisLabel> LayOutStepAxis(const std::array<int32_t, 11>& xs, uint32_t start,
                                      uint16_t sweep_word, int32_t points, int32_t char_width,
                                      int32_t left_limit, int32_t right_limit) {
  std::array<double, 11> mhz{};
  for (int32_t i = 0; i <= 10; ++i) mhz[i] = GridFrequency(start, sweep_word, points, i);
  return LayOutAxisLabels(xs, mhz, AxisDecimals(mhz[10] - mhz[0]), char_width, left_limit,
                          right_limit);
}

std::vector<AxisLabel> LayOutAxisLabels(const std::array<int32_t, 11>& xs,
                                        const std::array<double, 11>& mhz, int32_t decimals,
                                        int32_t char_width, int32_t left_limit,
                                        int32_t right_limit) {
  std::vector<AxisLabel> out;
  if (char_width <= 0) return out;
  // No more decimals than the labels need: 2405 rather than 2405.0 when every one is whole.
  const auto exact = [&](int32_t places) {
    double scale = 1;
    for (int32_t k = 0; k < places; ++k) scale *= 10;
    return std::all_of(mhz.begin(), mhz.end(), [&](double f) {
      return std::fabs(f * scale - std::round(f * scale)) < 1e-6;
    });
  };
  int32_t fewest = 0;
  while (fewest < decimals && !exact(fewest)) ++fewest;
  decimals = fewest;
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
