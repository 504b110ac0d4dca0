#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

#include "core/display/density.h"
#include "core/display/channel_plan_layout.h"
#include "core/display/display_state.h"
#include "core/display/trace_data.h"
#include "core/limits/limit_monitor.h"
#include "core/record/trace_csv.h"

namespace qv {

// Receives every text the graph draws, with its top-left corner, colour and font, so the
// picture's texts and their extents can be checked without reading pixels.
class GraphTextLog {
 public:
  virtual ~GraphTextLog() = default;
  virtual void Text(const QString& text, const QPoint& at, const QColor& colour,
                    const QFont& font) = 0;
  // Every box of texts placed over the plot (right and bottom exclusive), in the order placed.
  virtual void Placed(const QRect& box) { (void)box; }
};

struct GraphScene {
  const TraceData& trace;
  const DisplayState& state;
  QRect window;  // W, the graph window's rect in its client coordinates
  QRect area;    // A, the view's rect in the graph's client coordinates
  int low_battery_countdown;  // the receive path's live countdown, in seconds
  int trigger_threshold;      // dBm, as last sent to the Receiver
  // A selected time window's max, min and mean of the shown sweep setting; none drawn when null
  // or empty.
  const std::vector<TraceColumn>* window_traces = nullptr;
  // The density view under the traces, with its colour scale; none drawn when null.
  const DensityRecord* density = nullptr;
  // The limit lines and the last sweep's verdict; none drawn when null or without lines.
  const LimitMonitor* limits = nullptr;
  // The channel plan's bands across the top of the plot; none drawn when null.
  const ChannelPlanFigures* channel_plan = nullptr;
};

struct DrawnGlyph {
  int marker;  // 1 ... 3
  bool b_end;
  int x;
};

// The whole graph picture into `image` (resized to W when needed). False when no mode is set,
// and then nothing is painted.
bool PaintGraph(QImage& image, const GraphScene& scene, GraphTextLog* texts = nullptr);

// The same picture drawn with `painter` in W's coordinates onto a device of any resolution (a
// printer's page): W filled with the background, then every layer as lines and text, the
// traces stroked rather than written as pixels. False when no mode is set; W is filled anyway.
bool PaintGraphOn(QPainter& painter, const GraphScene& scene);

// The marker glyphs, drawn over the copied picture; returns what was drawn, for the log.
std::vector<DrawnGlyph> PaintMarkerGlyphs(QPainter& painter, const GraphScene& scene);

}  // namespace qv
