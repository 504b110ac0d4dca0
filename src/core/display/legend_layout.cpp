#include "core/display/legend_layout.h"

#include <algorithm>

#include "core/display/plot_scale.h"

namespace qv {
namespace {

// The marker delta lines start with their glyphs this far left of the delta base.
constexpr int32_t kDeltaGlyphsLeft = 30;

}  // namespace

LegendLayout LayOutLegend(const GraphRect& window, const GraphGeometry& g,
                          int32_t scale_label_height, int32_t axis_row_height) {
  // The view's proportions, not the window's: a strip under the graph leaves the legend its size.
  const int32_t height = g.area.bottom - g.area.top;
  const int32_t width = window.right - window.left;
  LegendLayout out;
  out.left_x = g.area.left + kPlotLeftMargin;
  out.right_x = window.right / 3;

  // The band between the plot (with its lowest scale label) and the window's bottom holds
  // every row.
  const int32_t band_top =
      std::max(AxisRowTop(g) + axis_row_height, g.GridY(10) - kPlotTopY + scale_label_height);
  const int32_t band = std::max(window.bottom - band_top, kLegendRows);
  out.pitch = std::max(1, std::min(height / 30, band / kLegendRows));
  out.top = std::max(band_top, std::min(11 * g.dy - 20, window.bottom - kLegendRows * out.pitch));

  const int32_t left_room = out.right_x - kLegendGap - out.left_x;
  const int32_t right_end = std::min(window.right, g.DeltaBase() - kDeltaGlyphsLeft);
  const int32_t right_room = right_end - kLegendGap - out.right_x;
  out.char_width = std::max(
      1, std::min({width / 88, left_room / kLegendLeftChars, right_room / kLegendRightChars}));
  return out;
}

GraphRect FrozenLiveBox(const GraphGeometry& g) {
  const int32_t left = g.GridX(4);
  const int32_t bottom = g.GridY(8);
  return GraphRect{left, bottom - kFrozenLiveBoxHeight, left + kFrozenLiveBoxWidth, bottom};
}

}  // namespace qv
