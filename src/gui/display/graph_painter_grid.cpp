#include <QFontMetrics>
#include <algorithm>

#include "core/display/frequency_axis.h"
#include "core/display/graph_texts.h"
#include "core/display/occupied_bandwidth.h"
#include "gui/display/graph_paint_context.h"

namespace qv {
namespace {

const QColor kAreaFill(84, 73, 92);
const QColor kAreaFrequency(6, 190, 230);
const QColor kGreen(0, 255, 0);

// A marked area: filled on screen, edged on paper where a fill would waste ink.
void AreaRect(GraphPaintContext& ctx, int x1, int y1, int x2, int y2) {
  const QRect rect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                   QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
  if (!ctx.state.printing) {
    ctx.painter.fillRect(rect, kAreaFill);
    return;
  }
  ctx.painter.setBrush(Qt::NoBrush);
  ctx.painter.setPen(QPen(QColor(Qt::gray), 1));
  ctx.painter.drawRect(rect.adjusted(0, 0, -1, -1));
  ctx.painter.setPen(QPen(QColor(Qt::darkGray), 1));
  ctx.painter.drawRect(rect.adjusted(1, 1, -2, -2));
}

}  // namespace

void PaintSelectionAndChannels(GraphPaintContext& ctx) {
  const DisplayState& s = ctx.state;
  if (s.area_selected) {
    const Selection& sel = s.selection;
    AreaRect(ctx, sel.start_x, sel.start_y, sel.end_x, sel.end_y);
  }
  for (const ChannelRecord& ch : ctx.trace.channels) {
    if (ch.channel_number == 0) continue;
    AreaRect(ctx, ch.x1, ch.y1, ch.x2, ch.y2);
  }
}

void PaintAreaTexts(GraphPaintContext& ctx) {
  const DisplayState& s = ctx.state;
  const auto label = [&](int x, int y, double mhz) {
    ctx.PlaceLines(QPoint(x, y), {QString::fromStdString(MhzText(mhz))}, kAreaFrequency,
                   ctx.legend_font);
  };
  if (s.area_selected) {
    const Selection& sel = s.selection;
    label(sel.start_x - 40, sel.start_y - 30, sel.start_frequency);
    label(sel.end_x - 40, sel.start_y - 30, sel.end_frequency);
  }
  for (const ChannelRecord& ch : ctx.trace.channels) {
    if (ch.channel_number == 0) continue;
    label(ch.x1 - 40, ch.y1 - 30, ch.first_frequency);
    label(ch.x2 - 40, ch.y2 - 30, ch.second_frequency);
    const double power = ctx.trace.BandPower(kLiveTraceSelector, ch.x1, ch.x2, ctx.geometry);
    const BandReadings band = ReadLiveBandAtX(ctx.trace, ch.x1, ch.x2, ctx.geometry);
    ctx.PlaceLines(QPoint(ch.x1 + 10, ch.y1),
                   {QString::fromStdString(ChannelText(ch.channel_number, power)),
                    QString::fromStdString(ObwText(band)), QString::fromStdString(AcprText(band))},
                   kGreen, ctx.legend_font);
  }
}

void PaintGrid(GraphPaintContext& ctx) {
  const GraphGeometry& g = ctx.geometry;
  const int16_t reference = ctx.trace.header.reference_level;
  // One-pixel lines, both ends included, as solid fills: a stroked line costs far more.
  const QColor grid(0, 127, 0);
  for (int j = 0; j <= 10; ++j) {
    const int y = g.GridY(j);
    ctx.painter.fillRect(QRect(QPoint(g.GridX(0), y), QPoint(g.GridX(10), y)), grid);
    // Reference level 0 means no setting has arrived: no scale to label.
    if (reference != 0) {
      ctx.Text(QPoint(g.area.left + 25, y - kPlotTopY), QString::number(reference - 10 * j),
               kGreen, ctx.scale_font);
    }
  }
  for (int i = 0; i <= 10; ++i) {
    const int x = g.GridX(i);
    ctx.painter.fillRect(QRect(QPoint(x, g.GridY(0)), QPoint(x, g.GridY(10))), grid);
  }
  if (!ctx.state.frequency_axis) return;
  // The amplitude labels hang into the row on the left; the start label stays right of them.
  const SweepHeader& hd = ctx.trace.header;
  const int y = AxisRowTop(g);
  for (const AxisLabel& label :
       LayOutFrequencyAxis(g, hd.start, hd.sweep_word, ctx.axis_measure.digit_width,
                           ctx.scale_right, ctx.window.right)) {
    ctx.Text(QPoint(label.left, y), label.text, kGreen, ctx.axis_font);
  }
}

}  // namespace qv
