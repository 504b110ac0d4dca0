// The density view: a colour per (pixel column, pixel row) of the plot from the density grid,
// written under every other layer, and its colour scale.
#include <QFontMetrics>
#include <QImage>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/display/density.h"
#include "core/display/marker_layout.h"
#include "gui/display/graph_paint_context.h"

namespace qv {
namespace {

// Scratch kept between repaints: the colour indexes of every (level row, pixel column).
std::vector<uint8_t>& Cells() {
  static std::vector<uint8_t> cells;
  return cells;
}

const std::array<QRgb, kDensityColours>& RgbTable() {
  static const std::array<QRgb, kDensityColours> table = [] {
    std::array<QRgb, kDensityColours> t{};
    for (int i = 0; i < kDensityColours; ++i) t[i] = ToQColor(DensityColourTable()[i]).rgb();
    return t;
  }();
  return table;
}

// The grid's row drawn at screen row y: the level whose row is nearest, or -1 beyond the grid.
int RowAtY(int y, int16_t reference, int64_t span) {
  if (span <= 0) return -1;
  const auto level = reference - static_cast<int32_t>(std::lround(
                                      static_cast<double>(y - kPlotTopY) * 100.0 / span));
  if (level > kDensityHighestLevel || level < kDensityLowestLevel) return -1;
  return DensityGrid::RowOf(level);
}

// Writes the cells into `target`, whose pixel (0, 0) is the plot's (left, top); index 0 leaves
// a pixel as it is.
void WriteCells(QImage& target, int left, int top, int width, int height, int16_t reference,
                int64_t span, int plot_top) {
  const std::vector<uint8_t>& cells = Cells();
  const std::array<QRgb, kDensityColours>& rgb = RgbTable();
  const int x_from = std::max(0, -left);
  const int x_to = std::min(width, target.width() - left);
  for (int j = std::max(0, -top); j < height && top + j < target.height(); ++j) {
    const int row = RowAtY(plot_top + j, reference, span);
    if (row < 0) continue;
    auto* line = reinterpret_cast<QRgb*>(target.scanLine(top + j)) + left;
    const uint8_t* source = cells.data() + static_cast<size_t>(row) * width;
    for (int i = x_from; i < x_to; ++i) {
      if (source[i] != 0) line[i] = rgb[source[i]];
    }
  }
}

}  // namespace

void PaintDensity(GraphPaintContext& ctx) {
  const DensityRecord* density = ctx.scene.density;
  const GraphGeometry& g = ctx.geometry;
  if (density == nullptr) return;
  const DensityGrid& grid = density->Grid();
  // A grid of another sweep setting has nothing to say about this one.
  if (grid.Points() == 0 || grid.Points() != g.points) return;
  const int left = g.GridX(0);
  const int top = g.GridY(0);
  const int width = g.GridX(10) - left + 1;
  const int height = g.GridY(10) - top + 1;
  if (width <= 0 || height <= 0) return;

  // Each pixel column shows the points drawn in it together.
  std::vector<uint8_t>& cells = Cells();
  cells.resize(static_cast<size_t>(width) * kDensityRows);
  std::array<uint8_t, kDensityRows> column{};
  for (int i = 0; i < width; ++i) {
    const int x = left + i;
    const int first = g.PointAtX(x);
    const int last = i + 1 < width ? std::max(first, g.PointAtX(x + 1) - 1) : g.points - 1;
    grid.ColumnColours(first, last, column.data());
    for (int r = 0; r < kDensityRows; ++r) cells[static_cast<size_t>(r) * width + i] = column[r];
  }

  const int16_t reference = ctx.trace.header.reference_level;
  const int64_t span = g.LevelSpan();
  if (!ctx.image.isNull()) {
    WriteCells(ctx.image, left, top, width, height, reference, span, top);
    return;
  }
  // A printer's page: the same pixels as an image of their own, drawn over the background.
  QImage picture(width, height, QImage::Format_ARGB32);
  picture.fill(Qt::transparent);
  WriteCells(picture, 0, 0, width, height, reference, span, top);
  ctx.painter.drawImage(left, top, picture);
}

void PaintDensityScale(GraphPaintContext& ctx) {
  const DensityRecord* density = ctx.scene.density;
  if (density == nullptr) return;
  const GraphGeometry& g = ctx.geometry;
  const int line = ctx.small_measure.height;
  const int bar_height = 4 * line;  // a decade a line
  const std::string_view persistence = DensityPersistenceName(density->Persistence());
  const QString title =
      QStringLiteral("Density ") +
      QString::fromLatin1(persistence.data(), static_cast<qsizetype>(persistence.size()));
  const QFontMetrics metrics(ctx.small_font);
  const int box_width = std::max(metrics.horizontalAdvance(title) + 8,
                                 metrics.horizontalAdvance(QStringLiteral("0.01 %")) + 22);
  const int height = bar_height + 2 * line + 6;
  // At the top right, below the boxes already there (the channel plan's labels).
  const GraphRect box = PlaceClear(GraphRect{g.GridX(10) - 2 - box_width, g.GridY(0) + 2,
                                             g.GridX(10) - 2, g.GridY(0) + 2 + height},
                                   ctx.PlotBounds(), ctx.overlays);
  const int left = box.left;
  const int top = box.top;
  const QColor text(255, 255, 255);
  ctx.ShadeBox(box);
  ctx.Text(QPoint(left + 4, top + 2), title, text, ctx.small_font);
  // The bar runs from 100 % of the sweeps at its top down to the scale's bottom.
  // Half a line lower than the title's, so "100 %", centred on the bar's top, clears it.
  const int bar_top = top + line + line / 2 + 4;
  const std::array<Colour, kDensityColours>& colours = DensityColourTable();
  for (int j = 0; j < bar_height; ++j) {
    const double decades = kDensityDecades * (1.0 - static_cast<double>(j) / (bar_height - 1));
    const uint8_t index = DensityColourIndex(std::pow(10.0, decades - kDensityDecades));
    ctx.painter.fillRect(QRect(left + 4, bar_top + j, 10, 1), ToQColor(colours[index]));
  }
  static const char* const kShares[] = {"100 %", "1 %", "0.01 %"};
  for (int k = 0; k < 3; ++k) {
    const int y = bar_top + k * (bar_height - 1) / 2 - line / 2;
    ctx.Text(QPoint(left + 18, y), QString::fromLatin1(kShares[k]), text, ctx.small_font);
  }
}

}  // namespace qv
