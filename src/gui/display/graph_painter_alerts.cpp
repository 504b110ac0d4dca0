#include <QFontMetrics>

#include "core/display/graph_texts.h"
#include "gui/display/graph_paint_context.h"

namespace qv {

void PaintDataSilence(GraphPaintContext& ctx) {
  const QString text = QString::fromStdString(
      ReceiverQuietText(ctx.state.silent_seconds, ctx.state.waiting_for_trigger));
  if (text.isEmpty()) return;
  // Over the traces, in the middle of the plot: a frozen picture must not pass for a quiet band.
  // A trigger wait is no fault, so it is not in the alarm's red.
  const GraphGeometry& g = ctx.geometry;
  const QRect extent = QFontMetrics(ctx.legend_font).boundingRect(text);
  const int x = kPlotLeftMargin + g.Width() / 2 - extent.width() / 2;
  const int y = g.GridY(2);
  ctx.EraseBox(x - 8, y - 4, x + extent.width() + 8, y + extent.height() + 4);
  ctx.Text(QPoint(x, y), text,
           ctx.state.waiting_for_trigger ? QColor(255, 255, 255) : QColor(255, 0, 0),
           ctx.legend_font);
}

void PaintPlaybackEnd(GraphPaintContext& ctx) {
  const DisplayState& s = ctx.state;
  if (s.playback_end.empty() || s.playing_back || s.recording) return;
  // Where the progress box stood, without a box: the last sweep stays readable under it.
  ctx.Text(QPoint(62, ctx.geometry.GridY(9) - kPlotTopY + 7), s.playback_end, QColor(255, 255, 0),
           ctx.medium_font);
}

}  // namespace qv
