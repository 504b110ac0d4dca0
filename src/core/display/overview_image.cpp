#include "core/display/overview_image.h"

#include <algorithm>

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

// The setting pixel column x shows: that of the first of its rows holding a sweep.
std::optional<LogSweepSetting> ColumnSetting(const LogOverview& overview, int x, int width) {
  const auto [row_first, row_end] = Covered(x, width, overview.Grid().rows);
  for (uint32_t row = row_first; row < row_end; ++row) {
    if (auto setting = overview.RowSetting(row)) return setting;
  }
  return std::nullopt;
}

int WholeDbm(int16_t sixteenths) {
  return sixteenths >= 0 ? sixteenths / 16 : -((-sixteenths + 15) / 16);
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
    const std::optional<LogSweepSetting> shown =
        grid.own_frequencies ? ColumnSetting(overview, x, width) : std::nullopt;
    std::fill(highest.begin(), highest.end(), LogOverview::kEmpty);
    for (uint32_t row = row_first; row < row_end; ++row) {
      // Rows of another setting read other frequencies in the same columns.
      if (shown && overview.RowSetting(row) != shown) continue;
      for (uint32_t column = 0; column < grid.columns; ++column)
        highest[column] = std::max(highest[column], overview.Cell(row, column));
    }
    for (int y = 0; y < height; ++y) {
      const auto [column_first, column_end] = Covered(height - 1 - y, height, grid.columns);
      const int16_t level = *std::max_element(highest.begin() + column_first,
                                              highest.begin() + column_end);
      if (level == LogOverview::kEmpty) continue;
      // 1/16 dBm down to whole dBm, held to the table's range.
      const int dbm = std::clamp(WholeDbm(level), CGradient::kLowestLevel, CGradient::kHighestLevel);
      pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
          colours[static_cast<size_t>(CGradient::kHighestLevel - dbm)];
    }
  }
  return pixels;
}

std::vector<OverviewPart> OverviewParts(const LogOverview& overview, int width) {
  std::vector<OverviewPart> parts;
  if (!overview.Grid().own_frequencies || overview.Grid().rows == 0) return parts;
  for (int x = 0; x < width; ++x) {
    const std::optional<LogSweepSetting> setting = ColumnSetting(overview, x, width);
    if (!setting) {
      if (!parts.empty()) parts.back().last = x;
      continue;
    }
    if (parts.empty() || !(parts.back().setting == *setting)) {
      parts.push_back({parts.empty() ? 0 : x, x, *setting});
    } else {
      parts.back().last = x;
    }
  }
  return parts;
}

std::optional<std::pair<int16_t, int16_t>> OverviewColourRange(const LogOverview& overview) {
  const auto levels = overview.LevelRange();
  if (!levels) return std::nullopt;
  const auto down5 = [](int dbm) { return dbm >= 0 ? dbm / 5 * 5 : -((-dbm + 4) / 5 * 5); };
  int low = std::clamp(down5(WholeDbm(levels->first)), CGradient::kLowestLevel,
                       CGradient::kHighestLevel);
  // The highest level rounded up: the next multiple of 5 at or above it.
  int high = std::clamp(-down5(-(WholeDbm(levels->second) + (levels->second % 16 != 0 ? 1 : 0))),
                        CGradient::kLowestLevel, CGradient::kHighestLevel);
  if (high - low < 10) {
    high = std::min(CGradient::kHighestLevel, low + 10);
    low = high - 10;
  }
  return std::pair<int16_t, int16_t>{static_cast<int16_t>(high), static_cast<int16_t>(low)};
}

}  // namespace qv
