#include <QStringList>
#include <array>
#include <vector>

#include "core/display/marker_layout.h"
#include "core/display/plot_scale.h"
#include "gui/display/graph_paint_context.h"

namespace qv {
namespace {

// Max, min and mean, apart from the live trace's colours and the peaks'.
const std::array<QColor, 3> kWindowColours = {QColor(255, 140, 0), QColor(0, 160, 255),
                                              QColor(255, 0, 255)};

}  // namespace

void PaintWindowTraces(GraphPaintContext& ctx) {
  const std::vector<TraceColumn>* columns = ctx.scene.window_traces;
  if (columns == nullptr || columns->empty()) return;
  const int32_t reference = ctx.trace.header.reference_level;
  const int64_t span = ctx.geometry.LevelSpan();
  std::vector<int32_t> y;
  const size_t shown = std::min(columns->size(), kWindowColours.size());
  for (size_t k = 0; k < shown; ++k) {
    const TraceColumn& column = (*columns)[k];
    y.clear();
    for (const int16_t level : column.sixteenths) y.push_back(SixteenthsToY(reference, level, span));
    PaintThinTrace(ctx, kWindowColours[k], y, column.first_point);
  }
}

void PaintWindowLegend(GraphPaintContext& ctx) {
  const std::vector<TraceColumn>* columns = ctx.scene.window_traces;
  if (columns == nullptr || columns->empty()) return;
  const size_t shown = std::min(columns->size(), kWindowColours.size());
  // Each name in its trace's colour, in a box at the plot's top right, clear of the channels.
  const QFontMetrics metrics(ctx.small_font);
  int width = 0;
  for (size_t k = 0; k < shown; ++k)
    width = std::max(width, metrics.horizontalAdvance(QString::fromStdString((*columns)[k].name)));
  const GraphGeometry& g = ctx.geometry;
  const int line = metrics.height();
  const GraphRect box = PlaceClear(
      GraphRect{g.GridX(10) - 4 - width - 16, g.GridY(0) + 4, g.GridX(10) - 4,
                g.GridY(0) + 4 + line * static_cast<int>(shown) + 8},
      ctx.PlotBounds(), ctx.overlays);
  const int left = box.left;
  const int top = box.top;
  ctx.ShadeBox(box);
  for (size_t k = 0; k < shown; ++k) {
    ctx.Text(QPoint(left + 8, top + 4 + line * static_cast<int>(k)), (*columns)[k].name,
             kWindowColours[k], ctx.small_font);
  }
}

}  // namespace qv
