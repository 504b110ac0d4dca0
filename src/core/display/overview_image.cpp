#include "core/display/overview_image.h"

#include <algorithm>

#include "core/record/log_scan.h"

namespace qv {
namespace {

// Cells [first, end) of `count` that pixel `i` of `pixels` covers: at least one.
std::pair<uint32_t, uint32_t> Covered(int i, int pixels, uint32_t count) {
  const auto first = static_cast<uint32_t>(uint64_t{count} * static_cast<uint64_t>(i) /
                                           static_cast<uint64_t>(pixels));
  const auto end = static_cast<uint32_t>(uint64_t{count} * static_cast<uint64_t>(i + 1) /
                                         static_cast<uint64_t>(pixels));
  return {first, std::max(end, first + 1)};
}

}  // namespace

std::vector<Colour> OverviewPixels(const LogOverview& overview, int width, int height,
                                   const std::array<Colour, CGradient::kTableSize>& colours,
                                   Colour background) {
  if (width <= 0 || height <= 0) return {};
  std::vector<Colour> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), background);
  const LogOverviewGrid& grid = overview.Grid();
  // A grid refused for its size keeps its shape but no cells.
  if (grid.rows == 0 || grid.columns == 0 || !overview.LevelRange()) return pixels;
  // The highest level of each pixel column's rows, per grid column, then folded down the height.
  std::vector<int16_t> highest(grid.columns);
  for (int x = 0; x < width; ++x) {
    const auto [row_first, row_end] = Covered(x, width, grid.rows);
    std::fill(highest.begin(), highest.end(), LogOverview::kEmpty);
    for (uint32_t row = row_first; row < row_end; ++row) {
      for (uint32_t column = 0; column < grid.columns; ++column)
        highest[column] = std::max(highest[column], overview.Cell(row, column));
    }
    for (int y = 0; y < height; ++y) {
      const auto [column_first, column_end] = Covered(height - 1 - y, height, grid.columns);
      const int16_t level = *std::max_element(highest.begin() + column_first,
                                              highest.begin() + column_end);
      if (level == LogOverview::kEmpty) continue;
      // 1/16 dBm down to whole dBm, held to the table's range.
      const int dbm = std::clamp(level >= 0 ? level / 16 : -((-level + 15) / 16),
                                 CGradient::kLowestLevel, CGradient::kHighestLevel);
      pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
          colours[static_cast<size_t>(CGradient::kHighestLevel - dbm)];
    }
  }
  return pixels;
}

}  // namespace qv
