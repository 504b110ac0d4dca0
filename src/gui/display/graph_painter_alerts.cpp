#include <QFontMetrics>

#include "core/display/graph_texts.h"
#include "gui/display/graph_paint_context.h"

namespace qv {

void PaintDataSilence(GraphPaintContext& ctx) {
  if (ctx.state.silent_seconds <= 0) return;
  // Over the traces, in the middle of the plot: a frozen picture must not pass for a quiet band.
  const QString text = QString::fromStdString(DataSilenceText(ctx.state.silent_seconds));
  const GraphGeometry& g = ctx.geometry;
  const QRect extent = QFontMetrics(ctx.legend_font).boundingRect(text);
  const int x = kPlotLeftMargin + g.Width() / 2 - extent.width() / 2;
  const int y = g.GridY(2);
  ctx.EraseBox(x - 8, y - 4, x + extent.width() + 8, y + extent.height() + 4);
  ctx.Text(QPoint(x, y), text, QColor(255, 0, 0), ctx.legend_font);
}

}  // namespace qv
