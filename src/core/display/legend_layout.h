#pragma once

#include <cstdint>

#include "core/display/graph_geometry.h"

namespace qv {

// Rows each legend column keeps room for, shown or not, so the font does not change size when a
// trace or the trigger mode comes and goes: the mode and six readings on the left; the live
// trace, the two averages and the four peak slots on the right.
inline constexpr int32_t kLegendRows = 7;
// Characters of each column's longest line: "Trigger Power: -100 dBm" and
// "Current Spectrum: Hidden".
inline constexpr int32_t kLegendLeftChars = 23;
inline constexpr int32_t kLegendRightChars = 24;
// Clear pixels between a column and whatever lies beside or above it.
inline constexpr int32_t kLegendGap = 8;

// Where the two columns of the legend below the plot go and how large their font may be.
struct LegendLayout {
  int32_t left_x = 0;      // the readings: mode, centre, span, RBW, level, power, trigger power
  int32_t right_x = 0;     // the traces: live, trace average, video average, peaks
  int32_t top = 0;         // first line of both columns
  int32_t pitch = 0;       // line to line; the font's line height must not exceed it
  int32_t char_width = 0;  // the widest character that keeps each column clear of its neighbour

  int32_t Row(int32_t k) const { return top + k * pitch; }
};

// The legend of the plot `g` in the window `window`, under the amplitude scale's lowest label
// (`scale_label_height` pixels tall, it hangs below the plot) and under the frequency labels'
// row (`axis_row_height` pixels from just below the plot; 0 without the axis). It keeps the view's
// proportions (a line every area height / 30, characters width / 88 wide, first line at 11 dy - 20)
// where they fit, and shrinks them where the lines would otherwise run past the window's
// bottom, into the other column or under the marker delta lines at the right.
LegendLayout LayOutLegend(const GraphRect& window, const GraphGeometry& g,
                          int32_t scale_label_height, int32_t axis_row_height = 0);
// Top of the frequency labels' row: just below the plot's bottom line.
inline int32_t AxisRowTop(const GraphGeometry& g) { return g.GridY(10) + 2; }

// The frozen live traces' legend box: in the plot, just above the frozen peak traces' box.
inline constexpr int32_t kFrozenLiveBoxWidth = 93;
inline constexpr int32_t kFrozenLiveBoxHeight = 86;
inline constexpr int32_t kFrozenLiveRowPitch = 15;  // the small font's height
GraphRect FrozenLiveBox(const GraphGeometry& g);

}  // namespace qv
