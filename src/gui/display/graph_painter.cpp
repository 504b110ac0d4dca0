#include "gui/display/graph_painter.h"

#include "gui/display/graph_paint_context.h"

namespace qv {
namespace {

bool AnyMode(const DisplayState& s) {
  return s.spectrum_mode || s.power_trigger_mode || s.replay_drawing ||
         s.awaiting != DisplayState::Awaiting::kNone;
}

QColor Background(const DisplayState& s) {
  const bool paper_white = s.printing && (s.print_colour_option == 2 || s.print_colour_option == 3);
  return paper_white ? Qt::white : Qt::black;
}

// `image` is the picture painted or, null, none: the painter's device is all there is.
void PaintLayers(QPainter& painter, QImage& image, const GraphScene& scene, GraphTextLog* texts) {
  GraphPaintContext ctx(painter, image, scene, texts);
  PaintDensity(ctx);
  PaintSelectionAndChannels(ctx);
  PaintGrid(ctx);
  PaintTraces(ctx);
  PaintWindowTraces(ctx);
  PaintChannelPlan(ctx);
  PaintLimitLines(ctx);
  // The boxes that stand still, then the texts placed clear of them and of each other.
  PaintLegend(ctx);
  PaintFrozenLegends(ctx);
  PaintRecordingBox(ctx);
  PaintWindowLegend(ctx);
  PaintAreaTexts(ctx);
  PaintSelectionPower(ctx);
  PaintDensityScale(ctx);
  PaintMarkerTexts(ctx);
  PaintFrequencyIndicator(ctx);
  // The boxes placed where they hide the least come after the boxes that stand still.
  PaintTriggerTexts(ctx);
  PaintPlaybackEnd(ctx);
  PaintDataSilence(ctx);
  PaintLimitVerdict(ctx);
}

}  // namespace

bool PaintGraph(QImage& image, const GraphScene& scene, GraphTextLog* texts) {
  const DisplayState& s = scene.state;
  if (!AnyMode(s)) return false;
  // Thick trace stretches are written as 32-bit opaque pixels, which both formats take as they
  // are.
  const bool pixels_fit = image.format() == QImage::Format_RGB32 ||
                          image.format() == QImage::Format_ARGB32_Premultiplied;
  if (image.size() != scene.window.size() || !pixels_fit) {
    image = QImage(scene.window.size(), QImage::Format_RGB32);
  }
  image.fill(Background(s));
  if (image.isNull()) return true;

  QPainter painter(&image);
  PaintLayers(painter, image, scene, texts);
  return true;
}

bool PaintGraphOn(QPainter& painter, const GraphScene& scene) {
  painter.fillRect(QRect(QPoint(0, 0), scene.window.size()), Background(scene.state));
  if (!AnyMode(scene.state) || scene.window.isEmpty()) return false;
  QImage none;
  PaintLayers(painter, none, scene, nullptr);
  return true;
}

}  // namespace qv
