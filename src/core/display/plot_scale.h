#pragma once

#include <cstdint>

namespace qv {

// The graph's plot area in client pixels; bottom is already cut to three quarters of the graph.
struct PlotRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Left margin of the plot, where x = 60 is the first point of the sweep.
inline constexpr int32_t kPlotLeftMargin = 60;
// y of the reference level; the plot shows 100 dB below it.
inline constexpr int32_t kPlotTopY = 5;

// Pixels for 100 dB: the plot height less the top margin. A plot too small for the margin
// draws every level on the reference line rather than upside down.
inline int64_t ScaleSpan(const PlotRect& plot) {
  const int64_t span = static_cast<int64_t>(plot.bottom) - plot.top - kPlotTopY;
  return span > 0 ? span : 0;
}

// Screen y of a whole-dBm level, truncating toward zero. Levels above the reference give y < 5.
inline int32_t LevelToY(int32_t reference_level, int32_t level, int64_t span) {
  return static_cast<int32_t>(kPlotTopY +
                              (static_cast<int64_t>(reference_level) - level) * span / 100);
}

// Screen y of a level in 1/16 dBm, truncating toward zero; equal to LevelToY for 16 x a whole
// level, so a trace lies on the grid lines drawn at whole levels.
inline int32_t SixteenthsToY(int32_t reference_level, int32_t sixteenths, int64_t span) {
  return static_cast<int32_t>(
      kPlotTopY + (static_cast<int64_t>(reference_level) * 16 - sixteenths) * span / 1600);
}

}  // namespace qv
