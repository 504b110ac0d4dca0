#include <QFontMetrics>
#include <algorithm>

#include "core/display/channel_plan_layout.h"
#include "gui/display/graph_paint_context.h"

namespace qv {
namespace {

// Rows of staggered bands: the five of the 2.4 GHz plan's overlapping channels, and no more, so
// that the top of the plot stays readable.
constexpr int kMaxRows = 5;

// How busy at a glance: quiet, in use, busy.
QColor BusyColour(const ChannelUse& use) {
  if (!use.Measured()) return QColor(128, 128, 128);
  const double share = use.UtilisationPercent();
  if (share >= 50) return QColor(255, 64, 64);
  if (share >= 10) return QColor(255, 200, 0);
  return QColor(0, 200, 255);
}

}  // namespace

void PaintChannelPlan(GraphPaintContext& ctx) {
  const ChannelPlanFigures* shown = ctx.scene.channel_plan;
  if (shown == nullptr || shown->plan == nullptr) return;
  const ChannelPlan& plan = *shown->plan;
  const QFontMetrics metrics(ctx.small_font);
  std::vector<QString> labels, uses;
  std::vector<int32_t> widths;
  for (size_t c = 0; c < plan.channels.size(); ++c) {
    labels.push_back(QString::fromStdString(plan.channels[c].label));
    uses.push_back(QString::fromStdString(
        ChannelUseText(c < shown->figures.size() ? shown->figures[c] : ChannelUse{})));
    widths.push_back(std::max(metrics.horizontalAdvance(labels.back()),
                              metrics.horizontalAdvance(uses.back())) +
                     6);
  }
  const GraphGeometry& g = ctx.geometry;
  const SweepHeader& hd = ctx.trace.header;
  const int line = ctx.small_measure.height;
  const int row_height = 2 * line + 3;
  const int top = g.GridY(0) + 1;
  int rows = 0;
  for (const ChannelBandPlace& place :
       PlaceChannelBands(plan, g, hd.start, hd.sweep_word, widths, 4, kMaxRows)) {
    const size_t c = place.channel;
    rows = std::max(rows, place.row + 1);
    const int y = top + place.row * row_height;
    const QColor colour =
        BusyColour(c < shown->figures.size() ? shown->figures[c] : ChannelUse{});
    // The band's extent as a bar, its ends as ticks, so overlapping channels stay apart; an end
    // cut by the plot's edge gets none.
    ctx.painter.fillRect(QRect(place.left, y, std::max(1, place.right - place.left), 3), colour);
    if (place.left > g.GridX(0)) ctx.painter.fillRect(QRect(place.left, y, 1, row_height - 2), colour);
    if (place.right < g.GridX(10))
      ctx.painter.fillRect(QRect(place.right - 1, y, 1, row_height - 2), colour);
    if (!place.labelled) continue;
    const int middle = (place.left + place.right) / 2;
    const int box = widths[c];
    const int left =
        std::clamp(middle - box / 2, g.GridX(0), std::max(g.GridX(0), g.GridX(10) - box));
    if (!ctx.state.printing) {
      ctx.painter.fillRect(QRect(left, y + 3, box, 2 * line), QColor(0, 0, 0, 150));
    }
    ctx.Text(QPoint(left + 3, y + 3), labels[c], colour, ctx.small_font);
    ctx.Text(QPoint(left + 3, y + 3 + line), uses[c], colour, ctx.small_font);
    // Texts placed later (a limit verdict, a trigger text) keep clear of the labels.
    ctx.Occupy(GraphRect{left, y + 3, left + box, y + 3 + 2 * line});
  }
  // What the figures count, under the rows.
  if (shown->caption.empty()) return;
  const QString caption = QString::fromStdString(shown->caption);
  const int y = top + rows * row_height + 2;
  const int width = metrics.horizontalAdvance(caption) + 6;
  if (!ctx.state.printing) ctx.painter.fillRect(QRect(g.GridX(0) + 1, y, width, line), QColor(0, 0, 0, 150));
  ctx.Text(QPoint(g.GridX(0) + 4, y), caption, QColor(200, 200, 200), ctx.small_font);
  ctx.Occupy(GraphRect{g.GridX(0) + 1, y, g.GridX(0) + 1 + width, y + line});
}

}  // namespace qv
