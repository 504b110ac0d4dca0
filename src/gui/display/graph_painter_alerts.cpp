#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <vector>

#include "core/display/graph_texts.h"
#include "core/display/overlay_place.h"
#include "gui/display/graph_paint_context.h"

namespace qv {
namespace {

// Padding between a box's edge and its texts.
constexpr int kPadX = 8;
constexpr int kPadY = 4;

// The traces a box over the plot could hide, as drawn.
std::vector<DrawnTrace> TracesShown(const GraphPaintContext& ctx) {
  const TraceData& t = ctx.trace;
  const int32_t points = t.StoredPoints();
  std::vector<DrawnTrace> traces;
  if (ctx.state.live_shown) {
    traces.push_back({t.live_y.data(), static_cast<int32_t>(std::min<uint32_t>(
                                           t.points_received, static_cast<uint32_t>(points)))});
  }
  for (const PeakSlot& slot : t.peaks) {
    if ((slot.live || slot.frozen) && !slot.hidden) traces.push_back({slot.y.data(), points});
  }
  for (const FrozenLiveSlot& slot : t.frozen_live) {
    if (slot.frozen && !slot.hidden) traces.push_back({slot.y.data(), points});
  }
  return traces;
}

}  // namespace

void PlacedTexts(GraphPaintContext& ctx, const QStringList& lines, const QColor& colour,
                 const QFont& font) {
  const QFontMetrics metrics(font);
  int width = 0;
  for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
  const int height = metrics.height() * static_cast<int>(lines.size());
  const GraphRect box = PlaceOverlay(ctx.geometry, width + 2 * kPadX, height + 2 * kPadY,
                                     TracesShown(ctx), ctx.overlays);
  ctx.ShadeBox(box);
  for (int k = 0; k < lines.size(); ++k) {
    ctx.Text(QPoint(box.left + kPadX, box.top + kPadY + k * metrics.height()), lines[k], colour,
             font);
  }
}

void PaintTriggerTexts(GraphPaintContext& ctx) {
  const DisplayState& s = ctx.state;
  if (!s.power_trigger_mode) return;
  PlacedTexts(ctx,
              {QStringLiteral("Trigger Threshold: ") +
                   QString::fromStdString(s.trigger_threshold_text) + QStringLiteral(" dBm"),
               QStringLiteral("Time Since Last Trigger: ") +
                   QString::fromStdString(s.trigger_time_text)},
              QColor(255, 0, 0), ctx.medium_font);
}

void PaintDataSilence(GraphPaintContext& ctx) {
  if (ctx.state.awaiting != DisplayState::Awaiting::kNone) {
    // No trace yet: the grid and the axis of the setting sent, and what the graph waits for.
    PlacedTexts(ctx,
                {QString::fromStdString(FirstSweepWaitText(
                    ctx.state.awaiting == DisplayState::Awaiting::kTrigger,
                    ctx.state.silent_seconds))},
                QColor(255, 255, 255), ctx.legend_font);
    return;
  }
  const QString text = QString::fromStdString(
      ReceiverQuietText(ctx.state.silent_seconds, ctx.state.waiting_for_trigger));
  if (text.isEmpty()) return;
  // Over the traces, where it hides the least of them: a frozen picture must not pass for a quiet
  // band. A trigger wait is no fault, so it is not in the alarm's red.
  PlacedTexts(ctx, {text},
              ctx.state.waiting_for_trigger ? QColor(255, 255, 255) : QColor(255, 0, 0),
              ctx.legend_font);
}

void PaintPlaybackEnd(GraphPaintContext& ctx) {
  const DisplayState& s = ctx.state;
  if (s.playback_end.empty() || s.recording) return;
  // The playback waits at its end with its progress box: the words go where they hide least.
  PlacedTexts(ctx, QString::fromStdString(s.playback_end).split(QLatin1Char('\n')),
              QColor(255, 255, 0), ctx.medium_font);
}

}  // namespace qv
