#include "core/display/overlay_place.h"

#include <algorithm>
#include <array>
#include <limits>

namespace qv {
namespace {

bool Overlap(const GraphRect& a, const GraphRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

int32_t TraceColumnsIn(const GraphGeometry& g, const DrawnTrace& trace, const GraphRect& box) {
  if (trace.y == nullptr || trace.count <= 0) return 0;
  int32_t hits = 0;
  int32_t previous = trace.y[0];
  for (int32_t j = 0; j < trace.count; ++j) {
    const int32_t y = trace.y[j];
    const int32_t x = g.XOf(j, trace.count);
    const int32_t low = std::min(previous, y);
    const int32_t high = std::max(previous, y);
    previous = y;
    if (x < box.left || x >= box.right) continue;
    if (high >= box.top && low < box.bottom) ++hits;
  }
  return hits;
}

GraphRect PlaceOverlay(const GraphGeometry& g, int32_t width, int32_t height,
                       const std::vector<DrawnTrace>& traces, const std::vector<GraphRect>& taken) {
  const int32_t plot_left = g.GridX(0);
  const int32_t plot_right = g.GridX(10);
  const int32_t plot_top = g.GridY(0);
  const int32_t plot_bottom = g.GridY(10);
  // A box wider or taller than the plot stays at its left or top edge.
  const auto hold = [](int32_t at, int32_t low, int32_t high) {
    return std::max(low, std::min(at, high));
  };
  const int32_t centre_x = hold((plot_left + plot_right - width) / 2, plot_left, plot_right - width);
  // Half a division in from the sides, clear of the amplitude labels at the left.
  const int32_t inset = g.dx / 2;
  const std::array<int32_t, 3> xs = {centre_x, hold(plot_left + inset, plot_left, plot_right - width),
                                     hold(plot_right - inset - width, plot_left, plot_right - width)};
  const std::array<int32_t, 3> ys = {
      hold(g.GridY(2), plot_top, plot_bottom - height),
      hold(g.GridY(5) - height / 2, plot_top, plot_bottom - height),
      hold(g.GridY(8) - height, plot_top, plot_bottom - height)};

  GraphRect best{};
  int64_t best_cost = std::numeric_limits<int64_t>::max();
  for (const int32_t y : ys) {
    for (const int32_t x : xs) {
      const GraphRect box{x, y, x + width, y + height};
      int64_t cost = 0;
      // A box over another hides it whole: worse than any trace under it.
      for (const GraphRect& other : taken) {
        if (Overlap(box, other)) cost += int64_t{1} << 32;
      }
      for (const DrawnTrace& trace : traces) cost += TraceColumnsIn(g, trace, box);
      if (cost < best_cost) {
        best_cost = cost;
        best = box;
      }
    }
  }
  return best;
}

}  // namespace qv
