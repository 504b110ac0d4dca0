#include <algorithm>
#include <vector>

#include "core/display/plot_scale.h"
#include "gui/display/graph_paint_context.h"
#include "gui/display/graph_polyline.h"

namespace qv {
namespace {

// Scratch buffers kept between repaints: a repaint draws up to 19 traces of 15000 points.
struct TraceBuffers {
  std::vector<QPoint> points;
  ColumnSpans spans;
  // x of every point for the last (point count, plot width): the same for most traces.
  std::vector<int32_t> xs;
  int32_t xs_count = -1;
  int32_t xs_width = -1;
};

TraceBuffers& Buffers() {
  static TraceBuffers buffers;
  return buffers;
}

// One trace: the path starts at (60, y[0]) and the segment ending at point j is drawn 3 pixels
// wide when thick_first <= j <= thick_last, 1 pixel otherwise.
template <typename YArray>
void DrawTrace(GraphPaintContext& ctx, const QColor& colour, const YArray& y, int count,
               int x_count, int thick_first, int thick_last) {
  if (count < 1) return;
  TraceBuffers& buffers = Buffers();
  std::vector<QPoint>& points = buffers.points;
  if (buffers.xs_count != x_count || buffers.xs_width != ctx.geometry.Width() ||
      static_cast<int>(buffers.xs.size()) < count) {
    buffers.xs.resize(std::max(count, x_count));
    for (int j = 0; j < static_cast<int>(buffers.xs.size()); ++j) {
      buffers.xs[j] = ctx.geometry.XOf(j, x_count);
    }
    buffers.xs_count = x_count;
    buffers.xs_width = ctx.geometry.Width();
  }
  points.resize(count);
  for (int j = 0; j < count; ++j) points[j] = QPoint(buffers.xs[j], y[j]);
  // The path's first move is to (60, y[0]), which is point 0 itself.
  thick_first = std::max(thick_first, 0);
  thick_last = std::min(thick_last, count - 1);
  const QRgb pixel = colour.rgb();
  if (thick_first > thick_last) {
    DrawThinPolyline(ctx.image, points.data(), count, pixel, buffers.spans);
    return;
  }
  // Thin before the block: segments ending at 1 ... thick_first - 1.
  DrawThinPolyline(ctx.image, points.data(), thick_first, pixel, buffers.spans);
  // Thick: segments ending at thick_first ... thick_last.
  const int path_first = std::max(thick_first - 1, 0);
  DrawThickPolyline(ctx.image, points.data() + path_first, thick_last - path_first + 1, pixel,
                    buffers.spans);
  // Thin after it.
  DrawThinPolyline(ctx.image, points.data() + thick_last, count - thick_last, pixel, buffers.spans);
}

template <typename YArray>
void DrawThin(GraphPaintContext& ctx, const QColor& colour, const YArray& y, int count) {
  DrawTrace(ctx, colour, y, count, count, 1, 0);
}

}  // namespace

void PaintTraces(GraphPaintContext& ctx) {
  const TraceData& t = ctx.trace;
  const DisplayState& s = ctx.state;
  const int n = t.StoredPoints();
  const int block_first = t.block_start_index;
  const int block_last = t.write_index;

  if (s.live_shown) {
    const int received = static_cast<int>(std::min<uint32_t>(t.points_received, n));
    // Played backwards, the block brackets the other way round.
    const bool reverse = s.fast_rewind;
    DrawTrace(ctx, ToQColor(s.live_colour), t.live_y, received, n,
              reverse ? block_last : block_first, reverse ? block_first : block_last);
  }
  for (const FrozenLiveSlot& slot : t.frozen_live) {
    if (slot.frozen && !slot.hidden) DrawThin(ctx, ToQColor(slot.colour), slot.y, n);
  }
  for (const PeakSlot& slot : t.peaks) {
    if (!(slot.live || slot.frozen) || slot.hidden) continue;
    DrawTrace(ctx, ToQColor(slot.colour), slot.y, n, n, slot.frozen ? 1 : block_first,
              slot.frozen ? 0 : block_last);
  }
  if (t.trace_average_on && !s.average_hidden) {
    DrawTrace(ctx, QColor(143, 188, 139), t.average_y, n, n, block_first, block_last);
  }
  for (const FrozenTraceSlot& slot : t.frozen_average) {
    if (slot.frozen && !slot.hidden) DrawThin(ctx, ToQColor(slot.colour), slot.y, n);
  }
  if (t.bin_average_on) {
    const int32_t bins = std::clamp<int32_t>(s.bin_count, 1, std::max(n, 1));
    // The smoothed trace is a cache of the live levels, recomputed for every picture.
    const_cast<TraceData&>(t).ComputeBinAverage(bins, ctx.geometry.LevelPlot());
    if (!s.bin_average_hidden) {
      const int count = n - bins;
      DrawTrace(ctx, QColor(255, 255, 255), t.bin_average_y, count, count, block_first, block_last);
    }
  }
  for (const FrozenTraceSlot& slot : t.frozen_bin_average) {
    if (slot.frozen && !slot.hidden) DrawThin(ctx, ToQColor(slot.colour), slot.y, n);
  }
}

}  // namespace qv
