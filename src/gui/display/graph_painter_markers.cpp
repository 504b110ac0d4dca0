#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "core/display/graph_texts.h"
#include "core/display/marker_layout.h"
#include "core/display/occupied_bandwidth.h"
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
  // Every placed end's frequency over its level, laid out together so none covers another.
  struct EndTexts {
    QString frequency;
    QString level;
    QColor colour;
  };
  std::vector<EndTexts> texts;
  std::vector<MarkerTextBox> boxes;
  const int pitch = ctx.small_measure.height;
  std::optional<QFontMetrics> metrics;
  const auto add = [&](const MarkerRecord& mk, int32_t point, float mhz, float level) {
    EndTexts& end = texts.emplace_back(EndTexts{QString::fromStdString(MhzText(mhz)),
                                                QString::fromStdString(DbmText(level)),
                                                ToQColor(mk.colour)});
    if (!metrics) metrics.emplace(ctx.small_font);
    const int width =
        std::max(metrics->horizontalAdvance(end.frequency), metrics->horizontalAdvance(end.level));
    boxes.push_back({g.X(point), LiveYAt(t, point), width, 2 * pitch});
  };
  for (const MarkerRecord& mk : t.markers) {
    if (mk.a_placed) add(mk, mk.a_point, mk.a_frequency, mk.a_level);
    if (mk.b_placed) add(mk, mk.b_point, mk.b_frequency, mk.b_level);
  }
  LayOutMarkerTexts(boxes, ctx.PlotBounds(),
                    GraphRect{-kMarkerGlyphTip, -kMarkerGlyphSize,
                              kMarkerGlyphSize - kMarkerGlyphTip, 0},
                    ctx.overlays);
  for (size_t k = 0; k < boxes.size(); ++k) {
    const QPoint at(boxes[k].left, boxes[k].top);
    ctx.Occupy(GraphRect{at.x(), at.y(), at.x() + boxes[k].width, at.y() + boxes[k].height});
    // A dark veil under the texts keeps them readable over a noisy trace; paper needs none.
    if (!ctx.state.printing) {
      ctx.painter.fillRect(QRect(at.x() - 2, at.y(), boxes[k].width + 4, boxes[k].height),
                           QColor(0, 0, 0, 170));
    }
    ctx.Text(at, texts[k].frequency, texts[k].colour, ctx.small_font);
    ctx.Text(at + QPoint(0, pitch), texts[k].level, texts[k].colour, ctx.small_font);
  }

  for (int m = 0; m < kMarkerCount; ++m) {
    const MarkerRecord& mk = t.markers[m];
    if (!mk.b_placed) continue;
    const QColor colour = ToQColor(mk.colour);
    const int line_y = DeltaLinesTop(g, ctx.state, ViewHeight(ctx.scene)) + 20 * m;
    const int base = g.DeltaBase();
    ctx.Text(QPoint(base + 90, line_y), DeltaLevelText(double(mk.b_level) - mk.a_level), colour,
             ctx.small_font);
    ctx.Text(QPoint(base + 15, line_y),
             DeltaFrequencyText(std::fabs(double(mk.b_frequency) - mk.a_frequency)), colour,
             ctx.small_font);
    ctx.Text(QPoint(base + 160, line_y), MarkerPowerText(mk.band_sum, mk.band_power), colour,
             ctx.small_font);
    // The pair's band readings go under the three delta lines, where the legend leaves room.
    const BandReadings band = ReadLiveBand(t, mk.a_point, mk.b_point);
    ctx.Text(QPoint(base + 15, line_y + 20 * kMarkerCount),
             ObwText(band) + "  " + AcprText(band), colour, ctx.small_font);
  }
}

std::vector<DrawnGlyph> PaintMarkerGlyphs(QPainter& painter, const GraphScene& scene) {
  std::vector<DrawnGlyph> drawn;
  if (!scene.state.live_shown) return drawn;
  const TraceData& t = scene.trace;
  const GraphGeometry g = SceneGeometry(scene);
  for (int m = 0; m < kMarkerCount; ++m) {
    const MarkerRecord& mk = t.markers[m];
    const int number = m + 1;
    if (mk.a_placed && !mk.hidden) {
      // The tip marks the drawn point the end reads, whatever the window's size since.
      const int x = g.X(mk.a_point);
      painter.drawImage(x - kMarkerGlyphTip, LiveYAt(t, mk.a_point) - kMarkerGlyphSize,
                        MarkerGlyph(number, false));
      drawn.push_back({number, false, x});
    }
    if (mk.b_placed) {
      // Both glyphs label the pair's delta line under the plot.
      const int line_y = DeltaLinesTop(g, scene.state, ViewHeight(scene)) + 20 * m;
      painter.drawImage(g.DeltaBase() - 30, line_y, MarkerGlyph(number, false));
      painter.drawImage(g.DeltaBase() - 10, line_y, MarkerGlyph(number, true));
      if (!mk.hidden) {
        const int x = g.X(mk.b_point);
        painter.drawImage(x - kMarkerGlyphTip, LiveYAt(t, mk.b_point) - kMarkerGlyphSize,
                          MarkerGlyph(number, true));
        drawn.push_back({number, true, x});
      }
    }
  }
  return drawn;
}

}  // namespace qv
