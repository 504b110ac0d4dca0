#include <algorithm>
#include <vector>

#include "core/display/plot_scale.h"
#include "gui/display/graph_paint_context.h"
#include "gui/display/graph_polyline.h"

namespace qv {
namespace {

// A frozen trace's spans, kept while its values and the columns stay as they were: frozen
// traces are most of a busy picture and do not change from one frame to the next.
struct FrozenSpans {
  const void* values = nullptr;  // the slot's array
  int count = 0;
  int first_point = 0;
  uint64_t columns_built = 0;
  std::vector<char> copy;  // the values the spans were reduced from
  ColumnSpans spans;
};

// Scratch buffers kept between repaints: a repaint draws up to 19 traces of 15000 points.
struct TraceBuffers {
  ColumnSpans spans;
  SpanLayers layers;
  // The columns of the sweep's points for the last (point count, plot width).
  ColumnIndex columns;
  int32_t columns_count = -1;
  int32_t columns_width = -1;
  uint64_t columns_built = 0;  // how many times the columns were built
  std::vector<FrozenSpans> frozen;
};

TraceBuffers& Buffers() {
  static TraceBuffers buffers;
  return buffers;
}

// Without a picture to write into (a printer's page) the painter strokes the points
// first ... last themselves, value j at sweep point first_point + j: lines at any resolution.
template <typename YArray>
void StrokePiece(GraphPaintContext& ctx, const QColor& colour, const YArray& y, int first_point,
                 int first, int last, int widen) {
  QPolygon line;
  line.reserve(last - first + 1);
  for (int j = first; j <= last; ++j) line.append(QPoint(ctx.geometry.X(first_point + j), y[j]));
  ctx.painter.setPen(QPen(colour, widen != 0 ? 3 : 1, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  ctx.painter.drawPolyline(line);
}

// The columns of the sweep's points for the geometry painted, built when it changed.
void BuildColumns(const GraphPaintContext& ctx) {
  TraceBuffers& buffers = Buffers();
  const int n = ctx.geometry.points;
  if (buffers.columns_count == n && buffers.columns_width == ctx.geometry.Width()) return;
  std::vector<int32_t> xs(n);
  for (int j = 0; j < n; ++j) xs[j] = ctx.geometry.X(j);
  buffers.columns.Build(std::move(xs));
  buffers.columns_count = n;
  buffers.columns_width = ctx.geometry.Width();
  ++buffers.columns_built;
}

// One trace of `count` values; value j belongs to sweep point first_point + j and is drawn where
// that point is. The segment ending at value j is drawn 3 pixels wide when
// thick_first <= j <= thick_last, 1 pixel otherwise. Its spans join the repaint's layers.
template <typename YArray>
void DrawTrace(GraphPaintContext& ctx, const QColor& colour, const YArray& y, int count,
               int first_point, int thick_first, int thick_last) {
  const int n = ctx.geometry.points;
  count = std::min(count, n - first_point);
  // A plot narrower than nothing would map the points right to left.
  if (count < 1 || first_point < 0 || ctx.geometry.Width() < 0) return;
  if (ctx.image.isNull()) {
    ForEachPenPiece(count, thick_first, thick_last, [&](int first, int last, int widen) {
      StrokePiece(ctx, colour, y, first_point, first, last, widen);
    });
    return;
  }
  TraceBuffers& buffers = Buffers();
  BuildColumns(ctx);
  // Values first ... last, as points of the sweep, with the pen `widen` wide.
  auto piece = [&](int first, int last, int widen) {
    buffers.spans.Reduce(buffers.columns, y.data() + first, first_point + first,
                         first_point + last);
    buffers.layers.Add(buffers.spans, colour.rgb(), widen);
  };
  // The path's first move is to (60, y[0]), which is point 0 itself.
  ForEachPenPiece(count, thick_first, thick_last, piece);
}

// A frozen trace: thin, and reduced again only when its values or the columns changed.
template <typename YArray>
void DrawFrozen(GraphPaintContext& ctx, const QColor& colour, const YArray& y, int count,
                int first_point = 0) {
  const int n = ctx.geometry.points;
  count = std::min(count, n - first_point);
  if (count < 1 || first_point < 0 || ctx.geometry.Width() < 0) return;
  if (ctx.image.isNull()) {
    StrokePiece(ctx, colour, y, first_point, 0, count - 1, 0);
    return;
  }
  TraceBuffers& buffers = Buffers();
  BuildColumns(ctx);
  const auto* values = reinterpret_cast<const char*>(y.data());
  const size_t bytes = static_cast<size_t>(count) * sizeof(y[0]);
  FrozenSpans* kept = nullptr;
  for (FrozenSpans& f : buffers.frozen) {
    if (f.values == y.data()) kept = &f;
  }
  if (kept == nullptr) kept = &buffers.frozen.emplace_back();
  const bool same = kept->count == count && kept->first_point == first_point &&
                    kept->columns_built == buffers.columns_built && kept->copy.size() == bytes &&
                    std::equal(values, values + bytes, kept->copy.data());
  if (!same) {
    kept->values = y.data();
    kept->count = count;
    kept->first_point = first_point;
    kept->columns_built = buffers.columns_built;
    kept->copy.assign(values, values + bytes);
    kept->spans.Reduce(buffers.columns, y.data(), first_point, first_point + count - 1);
  }
  buffers.layers.Add(kept->spans, colour.rgb(), 0);
}

}  // namespace

void PaintTraces(GraphPaintContext& ctx) {
  const TraceData& t = ctx.trace;
  const DisplayState& s = ctx.state;
  const int n = t.StoredPoints();
  // The rows are a cache of the levels kept: a still graph follows a resize as a live one does.
  const_cast<TraceData&>(t).FitRows(ctx.geometry.LevelPlot());
  // An empty bracket draws every trace with the thin pen.
  const bool marked = NewestBlockMarked(s);
  const int block_first = marked ? t.block_start_index : 1;
  const int block_last = marked ? t.write_index : 0;
  SpanLayers& layers = Buffers().layers;
  layers.Begin(ctx.image.width(), ctx.image.height());

  if (s.live_shown) {
    const int received = static_cast<int>(std::min<uint32_t>(t.points_received, n));
    // Played backwards, the block brackets the other way round.
    const bool reverse = s.fast_rewind && marked;
    DrawTrace(ctx, ToQColor(s.live_colour), t.live_y, received, 0,
              reverse ? block_last : block_first, reverse ? block_first : block_last);
  }
  for (const FrozenLiveSlot& slot : t.frozen_live) {
    if (slot.frozen && !slot.hidden) DrawFrozen(ctx, ToQColor(slot.colour), slot.y, n);
  }
  for (const PeakSlot& slot : t.peaks) {
    if (!(slot.live || slot.frozen) || slot.hidden) continue;
    DrawTrace(ctx, ToQColor(slot.colour), slot.y, n, 0, slot.frozen ? 1 : block_first,
              slot.frozen ? 0 : block_last);
  }
  const MinHoldSlot& min = t.min_hold;
  if ((min.live || min.frozen) && !min.hidden) {
    DrawTrace(ctx, ToQColor(min.colour), min.y, t.MinHoldPoints(), 0,
              min.frozen ? 1 : block_first, min.frozen ? 0 : block_last);
  }
  if (t.trace_average_on && !s.average_hidden) {
    DrawTrace(ctx, QColor(143, 188, 139), t.average_y, n, 0, block_first, block_last);
  }
  for (const FrozenTraceSlot& slot : t.frozen_average) {
    if (slot.frozen && !slot.hidden) DrawFrozen(ctx, ToQColor(slot.colour), slot.y, n);
  }
  // Smoothed value i is the mean of points i ... i + bins - 1: it is drawn at the middle one, so
  // a peak stays where the live trace has it.
  const int32_t bins = std::clamp<int32_t>(s.bin_count, 1, std::max(n, 1));
  const int smoothed = n - bins + 1;
  const int centre = (bins - 1) / 2;
  if (t.bin_average_on) {
    // The smoothed trace is a cache of the live levels, recomputed for every picture.
    const_cast<TraceData&>(t).ComputeBinAverage(bins, ctx.geometry.LevelPlot());
    if (!s.bin_average_hidden) {
      DrawTrace(ctx, QColor(255, 255, 255), t.bin_average_y, smoothed, centre,
                block_first - centre, block_last - centre);
    }
  }
  for (const FrozenTraceSlot& slot : t.frozen_bin_average) {
    if (slot.frozen && !slot.hidden) DrawFrozen(ctx, ToQColor(slot.colour), slot.y, smoothed, centre);
  }
  layers.Write(ctx.image);
}

void PaintThinTrace(GraphPaintContext& ctx, const QColor& colour, const std::vector<int32_t>& y,
                    int first_point) {
  SpanLayers& layers = Buffers().layers;
  layers.Begin(ctx.image.width(), ctx.image.height());
  DrawTrace(ctx, colour, y, static_cast<int>(y.size()), first_point, 1, 0);
  layers.Write(ctx.image);
}

}  // namespace qv
