#include <QPainterPath>
#include <QPen>

#include "core/limits/limit_check.h"
#include "core/limits/limit_monitor.h"
#include "core/link/sweep_message.h"
#include "gui/display/graph_paint_context.h"

namespace qv {
namespace {

// Apart from every trace colour: the upper line in a warning red, the lower in amber.
const QColor kUpperColour(255, 64, 64);
const QColor kLowerColour(255, 176, 0);
const QColor kPassColour(0, 200, 0);
constexpr double kStepHz = 50000.0;

// A line through its points, x where the frequency falls on the sweep's axis (each point drawn
// in the middle of its step, as the traces are), y on the traces' level scale.
void PaintLine(GraphPaintContext& ctx, const LimitLine& line, const QColor& colour) {
  const GraphGeometry& g = ctx.geometry;
  const SweepHeader& h = ctx.trace.header;
  if (line.Empty() || g.points < 1 || h.sweep_word == 0) return;
  const double start = h.start * kStepHz;
  const double step = h.sweep_word * kStepHz;
  const double column = static_cast<double>(g.Width()) / g.points;
  const double span = static_cast<double>(g.LevelSpan());
  const double reference = h.reference_level;
  QPainterPath path;
  for (size_t k = 0; k < line.points.size(); ++k) {
    const LimitPoint& p = line.points[k];
    const QPointF at(kPlotLeftMargin + ((p.hz - start) / step + 0.5) * column,
                     kPlotTopY + (reference - p.dbm) * span / 100.0);
    if (k == 0) {
      path.moveTo(at);
    } else {
      path.lineTo(at);
    }
  }
  ctx.painter.save();
  ctx.painter.setClipRect(QRect(QPoint(g.GridX(0), g.GridY(0)), QPoint(g.GridX(10), g.GridY(10))));
  ctx.painter.setRenderHint(QPainter::Antialiasing, false);
  ctx.painter.setPen(QPen(colour, 1));
  ctx.painter.setBrush(Qt::NoBrush);
  ctx.painter.drawPath(path);
  ctx.painter.restore();
}

}  // namespace

void PaintLimitLines(GraphPaintContext& ctx) {
  const LimitMonitor* limits = ctx.scene.limits;
  if (limits == nullptr) return;
  PaintLine(ctx, limits->Line(LimitKind::kUpper), kUpperColour);
  PaintLine(ctx, limits->Line(LimitKind::kLower), kLowerColour);
}

void PaintLimitVerdict(GraphPaintContext& ctx) {
  const LimitMonitor* limits = ctx.scene.limits;
  if (limits == nullptr || !limits->Last() || !limits->Last()->checked) return;
  const SweepVerdict& verdict = *limits->Last();
  if (verdict.fail) {
    PlacedTexts(ctx,
                {QStringLiteral("FAIL"),
                 QString::fromStdString(ExcessText(verdict.worst_excess_db, verdict.worst_hz))},
                kUpperColour, ctx.small_font);
  } else {
    PlacedTexts(ctx, {QStringLiteral("PASS")}, kPassColour, ctx.small_font);
  }
}

}  // namespace qv
