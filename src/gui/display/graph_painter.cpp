#include "gui/display/graph_painter.h"

#include "gui/display/graph_paint_context.h"

namespace qv {

bool PaintGraph(QImage& image, const GraphScene& scene, GraphTextLog* texts) {
  const DisplayState& s = scene.state;
  if (!s.spectrum_mode && !s.power_trigger_mode && !s.replay_drawing) return false;
  // Thick trace stretches are written as 32-bit opaque pixels, which both formats take as they
  // are.
  const bool pixels_fit = image.format() == QImage::Format_RGB32 ||
                          image.format() == QImage::Format_ARGB32_Premultiplied;
  if (image.size() != scene.window.size() || !pixels_fit) {
    image = QImage(scene.window.size(), QImage::Format_RGB32);
  }
  const bool paper_white = s.printing && (s.print_colour_option == 2 || s.print_colour_option == 3);
  image.fill(paper_white ? Qt::white : Qt::black);
  if (image.isNull()) return true;

  QPainter painter(&image);
  GraphPaintContext ctx(painter, image, scene, texts);
  PaintSelectionAndChannels(ctx);
  PaintGrid(ctx);
  PaintTraces(ctx);
  PaintSelectionPower(ctx);
  PaintLegend(ctx);
  PaintFrozenLegends(ctx);
  PaintFrequencyIndicator(ctx);
  PaintMarkerTexts(ctx);
  PaintRecordingBox(ctx);
  // The boxes placed where they hide the least come after the boxes that stand still.
  PaintTriggerTexts(ctx);
  PaintPlaybackEnd(ctx);
  PaintDataSilence(ctx);
  return true;
}

}  // namespace qv
