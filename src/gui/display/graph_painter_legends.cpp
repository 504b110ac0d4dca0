#include <QFontMetrics>
#include <algorithm>

#include "core/display/graph_mouse.h"
#include "core/display/graph_texts.h"
#include "core/display/legend_layout.h"
#include "gui/display/graph_paint_context.h"

namespace qv {
namespace {

const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kAverage(143, 188, 139);

void Swatch(GraphPaintContext& ctx, const QColor& colour, int x1, int y, int x2) {
  ctx.painter.setPen(QPen(colour, 3));
  ctx.painter.drawLine(x1, y, x2, y);
}

// The legend of one family of frozen traces in its box below the plot.
template <typename Slots>
void FrozenFamily(GraphPaintContext& ctx, const Slots& family, int box_division,
                  const char* label) {
  const bool any = std::any_of(family.begin(), family.end(), [](const auto& s) { return s.frozen; });
  if (!any) return;
  const GraphGeometry& g = ctx.geometry;
  // Two divisions wide, two high, on the grid's lines.
  const int x = g.GridX(box_division);
  ctx.ShadeBox(x, g.GridY(8), g.GridX(box_division + 2), g.GridY(10));
  for (int k = 0; k < kTraceSlots; ++k) {
    if (!family[k].frozen) continue;
    const int yk = (k * g.dy) / 2 + g.GridY(8) - kPlotTopY;
    const QColor colour = ToQColor(family[k].colour);
    Swatch(ctx, colour, x + 10, yk + 12, x + 20);
    ctx.Text(QPoint(x + 23, yk + 5), QString::fromLatin1(label) + QString::number(k + 1), colour,
             ctx.small_font);
  }
}

}  // namespace

void PaintSelectionPower(GraphPaintContext& ctx) {
  const DisplayState& s = ctx.state;
  if (!s.area_selected) return;
  const Selection& sel = s.selection;
  const int x = std::min(sel.start_x, sel.end_x) + 10;
  const GraphRect live = ctx.PlaceLines(
      QPoint(x, sel.start_y + 10),
      {QString::fromStdString(
          DbmText(ctx.trace.BandPower(kLiveTraceSelector, sel.start_x, sel.end_x, ctx.geometry)))},
      kGreen, ctx.legend_font);
  // Each frozen live trace's power under it, in the trace's colour.
  int y = live.bottom;
  for (int k = 0; k < kTraceSlots; ++k) {
    const FrozenLiveSlot& slot = ctx.trace.frozen_live[k];
    if (!slot.frozen) continue;
    y = ctx.PlaceLines(QPoint(live.left, y),
                       {QString::fromStdString(
                           DbmText(ctx.trace.BandPower(k, sel.start_x, sel.end_x, ctx.geometry)))},
                       ToQColor(slot.colour), ctx.legend_font)
            .bottom;
  }
}

void PaintLegend(GraphPaintContext& ctx) {
  const TraceData& t = ctx.trace;
  const DisplayState& s = ctx.state;
  const GraphGeometry& g = ctx.geometry;
  const QFont& font = ctx.column_font;
  const int x = ctx.legend.left_x;
  const int top = ctx.legend.top;
  const int h = ctx.legend.pitch;
  // While the first sweep or trigger is awaited, the mode asked for.
  using Awaiting = DisplayState::Awaiting;
  ctx.Text(QPoint(x, top),
           ModeText(s.spectrum_mode || s.awaiting == Awaiting::kFirstSweep,
                    s.power_trigger_mode || s.awaiting == Awaiting::kTrigger),
           kGreen, font);
  const SweepHeader& hd = t.header;
  ctx.Text(QPoint(x, top + h), CentreText(hd.start, hd.points, hd.sweep_word), kGreen, font);
  ctx.Text(QPoint(x, top + 2 * h), SpanText(hd.points, hd.sweep_word), kGreen, font);
  ctx.Text(QPoint(x, top + 3 * h), RbwText(hd.rbw_code), kGreen, font);
  ctx.Text(QPoint(x, top + 4 * h), ReferenceLevelText(hd.reference_level), kGreen, font);
  ctx.Text(QPoint(x, top + 5 * h), SweepPowerText(t.sweep_power), kGreen, font);
  if (s.power_trigger_mode) {
    ctx.Text(QPoint(x, top + 6 * h), TriggerPowerText(ctx.scene.trigger_threshold), kGreen, font);
  }

  // The trace column stacks its lines, each on the next row, in this order.
  int row = 0;
  const auto trace_line = [&](const QString& text, const QColor& colour) {
    ctx.Text(QPoint(ctx.legend.right_x, ctx.legend.Row(row++)), text, colour, font);
  };
  trace_line(s.live_shown ? QStringLiteral("Current Spectrum")
                          : QStringLiteral("Current Spectrum: Hidden"),
             kGreen);
  if (t.trace_average_on) {
    trace_line(s.average_hidden ? QStringLiteral("Trace Average: Hidden")
                                : QStringLiteral("Trace Average: Active"),
               kAverage);
  }
  if (t.bin_average_on) {
    trace_line(s.bin_average_hidden ? QStringLiteral("Video Average: Hidden")
                                    : QStringLiteral("Video Average: Active"),
               kWhite);
  }
  for (const PeakSlot& slot : t.peaks) {
    if (!slot.live) continue;
    trace_line(
        slot.hidden ? QStringLiteral("Peak Trace:Hidden") : QStringLiteral("Peak Trace:Live"),
        ToQColor(slot.colour));
  }
  const MinHoldSlot& min = t.min_hold;
  if (min.live || min.frozen) {
    trace_line(min.hidden   ? QStringLiteral("Min Hold:Hidden")
               : min.frozen ? QStringLiteral("Min Hold:Frozen")
                            : QStringLiteral("Min Hold:Live"),
               ToQColor(min.colour));
  }

  if (t.data_clipping) {
    // One text with its line feed, in the plot's top left corner or the nearest place free.
    const QString clipping = QString::fromLatin1(kDataClippingText);
    const QFontMetrics metrics(ctx.legend_font);
    int width = 0;
    for (const QString& line : clipping.split(QLatin1Char('\n')))
      width = std::max(width, metrics.horizontalAdvance(line));
    const GraphRect box =
        ctx.PlaceText(GraphRect{g.GridX(0), g.GridY(0), g.GridX(0) + width,
                                g.GridY(0) + 2 * metrics.height()});
    ctx.Text(QPoint(box.left, box.top), clipping, kRed, ctx.legend_font);
  }
  if (t.low_battery) {
    ctx.ShadeBox(g.GridX(4), g.GridY(4), g.GridX(6), g.GridY(6));
    ctx.Text(QPoint(g.GridX(4) + 10, g.GridY(4) + 10),
             LowBatteryText(ctx.scene.low_battery_countdown), kRed, ctx.legend_font);
  }
}

void PaintFrozenLegends(GraphPaintContext& ctx) {
  const TraceData& t = ctx.trace;
  FrozenFamily(ctx, t.frozen_bin_average, 8, "Frozen Vid Avg");
  FrozenFamily(ctx, t.frozen_average, 6, "Frozen Avg Tr ");
  FrozenFamily(ctx, t.peaks, 4, "Frozen Peak Tr ");

  // The frozen live traces' box sits in the plot, so it moves with it and stays clear of the
  // legend below.
  const bool any = std::any_of(t.frozen_live.begin(), t.frozen_live.end(),
                               [](const FrozenLiveSlot& s) { return s.frozen; });
  if (!any) return;
  const GraphRect box = FrozenLiveBox(ctx.geometry);
  ctx.ShadeBox(box.left, box.top, box.right, box.bottom);
  ctx.Text(QPoint(box.left + 4, box.top + 7), QStringLiteral("Frozen Traces"), kGreen,
           ctx.small_font);
  for (int k = 0; k < kTraceSlots; ++k) {
    const FrozenLiveSlot& slot = t.frozen_live[k];
    if (!slot.frozen) continue;
    const QColor colour = ToQColor(slot.colour);
    const int y = box.top + 22 + kFrozenLiveRowPitch * k;
    Swatch(ctx, colour, box.left + 4, y + 10, box.left + 24);
    ctx.Text(QPoint(box.left + 32, y), QStringLiteral("Live Tr ") + QString::number(k + 1), colour,
             ctx.small_font);
  }
}

void PaintFrequencyIndicator(GraphPaintContext& ctx) {
  const DisplayState& s = ctx.state;
  const GraphGeometry& g = ctx.geometry;
  if (!s.mouse_inside) return;
  const int x = s.mouse_x;
  const int y = s.mouse_y;
  if (!g.Contains(x, y)) return;
  // The frequency of the drawn point under the pointer: a marker placed here reports the same.
  const double mhz =
      FrequencyUnder(g, MouseSweep{ctx.trace.header.start, ctx.trace.header.sweep_word}, x);
  ctx.PlaceLines(QPoint(x - 20, y - 12), {QString::fromStdString(IndicatorText(mhz))}, kWhite,
                 ctx.legend_font);
}

void PaintRecordingBox(GraphPaintContext& ctx) {
  const DisplayState& s = ctx.state;
  if (!s.recording && !s.playing_back) return;
  const int dx = ctx.geometry.dx;
  const int dy = ctx.geometry.dy;
  // The box fills the bottom division up to the grid's bottom line.
  const int row = ctx.geometry.GridY(9) - kPlotTopY;
  const int bottom = ctx.geometry.GridY(10);
  const QString log_size = QString::fromStdString(LogSizeText(s.log_bytes));
  const QString log_time = QString::fromStdString(LogTimeText(s.log_minutes));
  if (s.recording) {
    // Two divisions, or as wide as a large log's size needs.
    const QFontMetrics metrics(ctx.medium_font);
    const int texts = 63 + std::max(metrics.horizontalAdvance(log_size),
                                    metrics.horizontalAdvance(log_time)) + 4;
    ctx.ShadeBox(61, row + 5, std::min(std::max(2 * dx + 60, texts), ctx.geometry.GridX(10)),
                 bottom);
  } else {
    ctx.ShadeBox(61, row + 7, 3 * dx + 58, bottom);
  }
  if (s.playing_back) {
    const QColor yellow(255, 255, 0);
    QColor colour = yellow;
    if (s.playback_paused) {
      ctx.Text(QPoint(65, row + 7), QStringLiteral("Replay Paused"), yellow, ctx.medium_font);
    } else if (s.fast_forward) {
      ctx.Text(QPoint(62, row + 7), QStringLiteral("Replay Fast Forward"), yellow,
               ctx.medium_font);
    } else if (s.fast_rewind) {
      ctx.Text(QPoint(62, row + 7), QStringLiteral("Replay Fast Rewind"), yellow,
               ctx.medium_font);
    } else {
      colour = kGreen;
      ctx.Text(QPoint(62, row + 7), QStringLiteral("Replay Progress"), kGreen, ctx.small_font);
    }
    const int bar_right = ReplayBarRight(s.playback_position, s.log_length, dx);
    // See-through on screen as the box is: the grid and the trace go on under the bar.
    ctx.painter.fillRect(QRect(QPoint(62, row + dy / 2 + 5), QPoint(bar_right - 1, bottom - 1)),
                         s.printing ? kRed : QColor(255, 0, 0, 170));
    ctx.Text(QPoint(dx + 60, row + dy / 2 + 5),
             ReplayPercentText(s.playback_position, s.log_length), colour, ctx.medium_font);
  }
  if (s.recording) {
    ctx.Text(QPoint(63, row + 5), log_size, kGreen, ctx.medium_font);
    ctx.Text(QPoint(63, row + dy / 2 + 5), log_time, kGreen, ctx.medium_font);
  }
}

}  // namespace qv
