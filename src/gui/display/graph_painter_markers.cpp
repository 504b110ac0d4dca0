#include <algorithm>
#include <cmath>

#include "core/display/graph_texts.h"
#include "gui/display/graph_paint_context.h"
#include "gui/display/marker_glyphs.h"

namespace qv {
namespace {

int LiveYAt(const TraceData& t, int32_t point) {
  return t.live_y[std::clamp<int32_t>(point, 0, kMaxPoints - 1)];
}

}  // namespace

void PaintMarkerTexts(GraphPaintContext& ctx) {
  if (!ctx.state.live_shown) return;
  const TraceData& t = ctx.trace;
  const GraphGeometry& g = ctx.geometry;
  for (int m = 0; m < kMarkerCount; ++m) {
    const MarkerRecord& mk = t.markers[m];
    const QColor colour = ToQColor(mk.colour);
    const int r = 20 * m;
    if (mk.a_placed) {
      const int x = g.X(mk.a_point);
      const int y = LiveYAt(t, mk.a_point);
      ctx.Text(QPoint(x - 40, y - 45), MhzText(mk.a_frequency), colour, ctx.small_font);
      ctx.Text(QPoint(x - 40, y - 30), DbmText(mk.a_level), colour, ctx.small_font);
    }
    if (mk.b_placed) {
      const int x = g.X(mk.b_point);
      const int y = LiveYAt(t, mk.b_point);
      ctx.Text(QPoint(x - 40, y - 45), MhzText(mk.b_frequency), colour, ctx.small_font);
      ctx.Text(QPoint(x - 40, y - 30), DbmText(mk.b_level), colour, ctx.small_font);
      const int line_y = DeltaLinesTop(g, ctx.state, ctx.window.bottom - ctx.window.top) + r;
      const int base = g.DeltaBase();
      ctx.Text(QPoint(base + 90, line_y), DeltaLevelText(double(mk.b_level) - mk.a_level), colour,
               ctx.small_font);
      ctx.Text(QPoint(base + 15, line_y),
               DeltaFrequencyText(std::fabs(double(mk.b_frequency) - mk.a_frequency)), colour,
               ctx.small_font);
      ctx.Text(QPoint(base + 160, line_y), MarkerPowerText(mk.band_sum, mk.band_power), colour,
               ctx.small_font);
    }
  }
}

std::vector<DrawnGlyph> PaintMarkerGlyphs(QPainter& painter, const GraphScene& scene) {
  std::vector<DrawnGlyph> drawn;
  if (!scene.state.live_shown) return drawn;
  const TraceData& t = scene.trace;
  const GraphGeometry g(ToGraphRect(scene.area), t.StoredPoints());
  for (int m = 0; m < kMarkerCount; ++m) {
    const MarkerRecord& mk = t.markers[m];
    const int number = m + 1;
    if (mk.a_placed && !mk.hidden) {
      // Glyphs sit on the drawn point the end reads, whatever the window's size since.
      const int x = g.X(mk.a_point);
      painter.drawImage(x, LiveYAt(t, mk.a_point) - kMarkerGlyphSize, MarkerGlyph(number, false));
      drawn.push_back({number, false, x});
    }
    if (mk.b_placed) {
      // Both glyphs label the pair's delta line under the plot.
      const int line_y = DeltaLinesTop(g, scene.state, scene.window.height()) + 20 * m;
      painter.drawImage(g.DeltaBase() - 30, line_y, MarkerGlyph(number, false));
      painter.drawImage(g.DeltaBase() - 10, line_y, MarkerGlyph(number, true));
      if (!mk.hidden) {
        const int x = g.X(mk.b_point);
        painter.drawImage(x, LiveYAt(t, mk.b_point) - kMarkerGlyphSize, MarkerGlyph(number, true));
        drawn.push_back({number, true, x});
      }
    }
  }
  return drawn;
}

}  // namespace qv
