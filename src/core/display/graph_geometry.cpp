#include "core/display/graph_geometry.h"

#include "core/display/plot_scale.h"

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

int32_t GraphGeometry::GridX(int32_t i) const {
  return i == 10 ? Width() + kPlotLeftMargin : i * dx + kPlotLeftMargin;
}

int32_t GraphGeometry::GridY(int32_t j) const {
  return j == 10 ? bottom - area.top + kPlotTopY : j * dy + kPlotTopY;
}

}  // namespace qv
