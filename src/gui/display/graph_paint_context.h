#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <string>
#include <vector>

#include "core/display/colour.h"
#include "core/display/graph_geometry.h"
#include "core/display/legend_layout.h"
#include "gui/display/graph_painter.h"

namespace qv {

// Sizes of a graph font, measured once per font.
struct FontMeasure {
  int height = 0;        // line height
  int digit_width = 0;   // one digit (the font is monospaced)
  int scale_width = 0;   // the widest amplitude scale label, "-100"
};

// What every layer of one repaint shares: the painter, the layout, the fonts and the text log.
struct GraphPaintContext {
  GraphPaintContext(QPainter& painter, QImage& image, const GraphScene& scene, GraphTextLog* texts);

  QPainter& painter;
  QImage& image;  // the back buffer, for the spans the painter would draw slowly
  const GraphScene& scene;
  const TraceData& trace;
  const DisplayState& state;
  GraphTextLog* texts;
  GraphGeometry geometry;
  GraphRect window;  // W
  QColor erase;      // the picture's background
  // Boxes drawn over the plot so far, for the boxes placed after them to keep clear of.
  std::vector<GraphRect> overlays;
  LegendLayout legend;
  QFont legend_font;  // texts in the plot
  QFont column_font;  // the legend's two columns below the plot, fitted to the room there
  QFont medium_font;
  QFont small_font;
  QFont scale_font;  // the amplitude labels, narrow enough to end left of the plot
  QFont axis_font;  // the frequency labels under the plot
  FontMeasure medium_measure;
  FontMeasure small_measure;
  FontMeasure scale_measure;
  FontMeasure axis_measure;
  // Right edge of the amplitude scale's labels, which reach into the plot from the left.
  int scale_right = 0;

  // Text with its top-left corner at `at` on a transparent background; line feeds break lines.
  void Text(const QPoint& at, const QString& text, const QColor& colour, const QFont& font);
  void Text(const QPoint& at, const std::string& text, const QColor& colour, const QFont& font) {
    Text(at, QString::fromStdString(text), colour, font);
  }
  // The backing of a box of texts over the plot, corners as given (right and bottom exclusive):
  // on screen a translucent shade, so the grid and the traces under it still show; on paper the
  // background, as the print schemes expect. The box is noted in `overlays`.
  void ShadeBox(int left, int top, int right, int bottom);
  void ShadeBox(const GraphRect& box) { ShadeBox(box.left, box.top, box.right, box.bottom); }
  // Notes a box of texts over the plot, for the texts placed after it to keep clear of.
  void Occupy(const GraphRect& box);
  // Where the plot's texts go: inside the plot, right of the amplitude labels.
  GraphRect PlotBounds() const;
  // A box of texts wanted at `wanted`, moved up or down clear of the boxes noted so far and
  // held inside the plot, then noted.
  GraphRect PlaceText(const GraphRect& wanted);
  // Lines of text in `font` placed as one box with its top-left corner wanted at `at`; returns
  // where it went.
  GraphRect PlaceLines(const QPoint& at, const QStringList& lines, const QColor& colour,
                       const QFont& font);
};

QColor ToQColor(Colour colour);
GraphRect ToGraphRect(const QRect& rect);
// The plot of a scene: the view's area, less any strip under the graph window.
GraphGeometry SceneGeometry(const GraphScene& scene);
// Height of the view the graph stands for, which the texts' sizes follow.
inline int ViewHeight(const GraphScene& scene) { return scene.area.height(); }
// A font `height` pixels high stretched so its average character is `width` pixels wide.
QFont GraphFont(int height, int width);
// The largest such font whose lines are at most `line_height` pixels apart and whose characters
// are at most `char_width` pixels wide.
QFont FittedGraphFont(int line_height, int char_width);

// A thin trace of screen rows `y`, value j at sweep point first_point + j, written at once.
void PaintThinTrace(GraphPaintContext& ctx, const QColor& colour, const std::vector<int32_t>& y,
                    int first_point);

// Lines of text in a shaded box where it hides the least of the traces and no box drawn before.
void PlacedTexts(GraphPaintContext& ctx, const QStringList& lines, const QColor& colour,
                 const QFont& font);

// The frequency labels' font in a window `window_height` pixels high.
const QFont& AxisFont(int window_height);
// Height of the frequency labels' row under the plot; 0 while the axis is off.
int AxisRowHeight(const DisplayState& state, int window_height);
// Top of the marker delta lines under the plot, below the frequency labels' row.
inline int DeltaLinesTop(const GraphGeometry& g, const DisplayState& state, int window_height) {
  return std::max(g.bottom + 10, AxisRowTop(g) + AxisRowHeight(state, window_height) + 1);
}

// The layers, in the order they are painted.
void PaintDensity(GraphPaintContext& ctx);
void PaintSelectionAndChannels(GraphPaintContext& ctx);
void PaintGrid(GraphPaintContext& ctx);
void PaintTraces(GraphPaintContext& ctx);
void PaintWindowTraces(GraphPaintContext& ctx);
void PaintLimitLines(GraphPaintContext& ctx);
void PaintChannelPlan(GraphPaintContext& ctx);
void PaintSelectionPower(GraphPaintContext& ctx);
void PaintLegend(GraphPaintContext& ctx);
void PaintWindowLegend(GraphPaintContext& ctx);
void PaintAreaTexts(GraphPaintContext& ctx);
void PaintFrozenLegends(GraphPaintContext& ctx);
void PaintDensityScale(GraphPaintContext& ctx);
void PaintFrequencyIndicator(GraphPaintContext& ctx);
void PaintMarkerTexts(GraphPaintContext& ctx);
void PaintRecordingBox(GraphPaintContext& ctx);
void PaintTriggerTexts(GraphPaintContext& ctx);
void PaintDataSilence(GraphPaintContext& ctx);
void PaintPlaybackEnd(GraphPaintContext& ctx);
void PaintLimitVerdict(GraphPaintContext& ctx);

}  // namespace qv
