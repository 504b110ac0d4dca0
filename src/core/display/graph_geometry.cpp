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

GraphGeometry::GraphGeometry(const GraphRect& a, int32_t n, int32_t window_bottom)
    : GraphGeometry(a, n) {
  const int32_t strip = std::max(0, a.bottom - window_bottom);
  if (strip == 0) return;
  bottom = std::max(a.top, bottom - strip);
  dy = (bottom - a.top) / 10;
}

int32_t StepColumn(int32_t j, int32_t n, int32_t width) {
  if (n < 1 || width <= 0) return 0;
  return static_cast<int32_t>((2 * static_cast<int64_t>(j) + 1) * width / (2 * int64_t{n}));
}

int32_t ColumnStep(int32_t column, int32_t width, int32_t n) {
  if (n < 1 || width <= 0 || column < 0) return 0;
  const int64_t j = (2 * static_cast<int64_t>(column) + 1) * n / (2 * int64_t{width});
  return static_cast<int32_t>(std::min<int64_t>(j, n - 1));
}

int32_t GridColumn(int32_t line, int32_t width) {
  return std::max(std::min(line * width / 10, width - 1), 0);
}

int32_t GraphGeometry::XOf(int32_t j, int32_t count) const {
  return StepColumn(j, count, Width()) + kPlotLeftMargin;
}

int32_t GraphGeometry::PointAtX(int32_t x) const {
  return ColumnStep(x - kPlotLeftMargin, Width(), points);
}

bool GraphGeometry::Contains(int32_t x, int32_t y) const {
  return x >= GridX(0) && x <= GridX(10) && y >= GridY(0) && y <= GridY(10);
}

int32_t GraphGeometry::GridX(int32_t i) const {
  return static_cast<int32_t>(static_cast<int64_t>(i) * Width() / 10) + kPlotLeftMargin;
}

int32_t GraphGeometry::GridY(int32_t j) const {
  // Exactly where trace processing draws the line's level.
  return LevelToY(0, -10 * j, LevelSpan());
}

PlotRect GraphGeometry::LevelPlot() const {
  // ScaleSpan is bottom - top - 5: the grid's height, bottom - A.top.
  return PlotRect{area.left, area.top, right, bottom + kPlotTopY};
}

double PointFrequency(uint32_t start, int32_t point, uint16_t sweep_word) {
  return (static_cast<double>(start) + static_cast<double>(point) * sweep_word) * 50.0 / 1000.0;
}

double GridFrequency(uint32_t start, uint16_t sweep_word, int32_t points, int32_t line) {
  // In tenths of a step, so whole frequencies come out whole.
  const int64_t tenths = 10 * static_cast<int64_t>(start) +
                         static_cast<int64_t>(line) * points * static_cast<int64_t>(sweep_word);
  return static_cast<double>(tenths) * 5.0 / 1000.0;
}

double AxisFrequencyAt(const GraphGeometry& g, uint32_t start, uint16_t sweep_word, int32_t x) {
  const int64_t w = g.Width();
  const int64_t span = static_cast<int64_t>(std::max(g.points, 0)) * sweep_word;  // steps
  if (w <= 0 || span == 0) return PointFrequency(start, 0, sweep_word);
  const int64_t column = std::clamp<int64_t>(static_cast<int64_t>(x) - kPlotLeftMargin, 0, w);
  // A grid line on a whole step reads it, though a rounder step may share its column.
  for (int32_t line = 0; line <= 10; ++line) {
    if (g.GridX(line) - kPlotLeftMargin == column && line * span % 10 == 0) {
      return GridFrequency(start, sweep_word, g.points, line);
    }
  }
  // The column covers the steps [lo, hi) / w.
  const int64_t lo = static_cast<int64_t>(start) * w + column * span;
  const int64_t hi = lo + span;
  // 1 GHz, 100, 50, 10, 5 and 1 MHz, 500, 100 and 50 kHz.
  for (const int64_t unit : {20000, 2000, 1000, 200, 100, 20, 10, 2, 1}) {
    const int64_t scaled = unit * w;
    const int64_t first = (lo + scaled - 1) / scaled * scaled;
    if (first >= hi) continue;
    const int64_t last = (hi - 1) / scaled * scaled;
    // Of several, the one nearest the column's middle.
    const int64_t nearest = std::clamp((lo + hi + scaled) / (2 * scaled) * scaled, first, last);
    return static_cast<double>(nearest / w) * 50.0 / 1000.0;
  }
  return static_cast<double>(lo + hi) / (2.0 * static_cast<double>(w)) * 50.0 / 1000.0;
}

}  // namespace qv
