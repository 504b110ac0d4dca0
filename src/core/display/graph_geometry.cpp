#include "core/display/graph_geometry.h"

#include <algorithm>

namespace qv {

GraphGeometry::GraphGeometry(const GraphRect& a, int32_t n)
    : area(a),
      right(a.right * 6 / 7),
      bottom(a.bottom * 3 / 4),
      dx((right - a.left) / 10),
      dy((bottom - a.top) / 10),
      points(n) {}

int32_t GraphGeometry::X(int32_t j) const {
  return XOf(j, points);
}

int32_t GraphGeometry::XOf(int32_t j, int32_t count) const {
  if (count < 2) return kPlotLeftMargin;
  return static_cast<int32_t>(static_cast<int64_t>(j) * Width() / (count - 1)) + kPlotLeftMargin;
}

int32_t GraphGeometry::PointAtX(int32_t x) const {
  if (points < 2 || Width() <= 0) return 0;
  const int64_t last = points - 1;
  const int64_t offset = static_cast<int64_t>(x) - kPlotLeftMargin;
  // Rounded, then moved to whichever neighbour X() really draws nearer (X truncates).
  int64_t j = std::clamp<int64_t>((2 * offset * last + Width()) / (2 * int64_t{Width()}), 0, last);
  const auto distance = [&](int64_t p) {
    const int64_t d = static_cast<int64_t>(X(static_cast<int32_t>(p))) - x;
    return d < 0 ? -d : d;
  };
  if (j > 0 && distance(j - 1) < distance(j)) --j;
  if (j < last && distance(j + 1) < distance(j)) ++j;
  return static_cast<int32_t>(j);
}

bool GraphGeometry::Contains(int32_t x, int32_t y) const {
  return x >= kPlotLeftMargin && x <= Width() + kPlotLeftMargin && y >= kPlotTopY &&
         y <= GridY(10);
}

int32_t GraphGeometry::GridX(int32_t i) const {
  return i == 10 ? Width() + kPlotLeftMargin : i * dx + kPlotLeftMargin;
}

int32_t GraphGeometry::GridY(int32_t j) const {
  return j == 10 ? bottom - area.top + kPlotTopY : j * dy + kPlotTopY;
}

PlotRect GraphGeometry::LevelPlot() const {
  // ScaleSpan is bottom - top - 5: the grid's height, bottom - A.top.
  return PlotRect{area.left, area.top, right, bottom + kPlotTopY};
}

double PointFrequency(uint32_t start, int32_t point, uint16_t sweep_word) {
  return (static_cast<double>(start) + static_cast<double>(point) * sweep_word) * 50.0 / 1000.0;
}

}  // namespace qv
