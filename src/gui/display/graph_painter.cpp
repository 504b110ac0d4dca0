#include "gui/display/graph_painter.h"

namespace qv {

bool PaintGraph(QImage& image, const GraphScene& scene, GraphTextLog* texts) {
  const DisplayState& s = scene.state;
  if (!s.spectrum_mode && !s.power_trigger_mode && !s.replay_drawing) return false;
  if (image.size() != scene.window.size()) {
    image = QImage(scene.window.size(), QImage::Format_RGB32);
  }
  image.fill(Qt::black);
  return true;
}

std::vector<DrawnGlyph> PaintMarkerGlyphs(QPainter&, const GraphScene&) {
  return {};
}

}  // namespace qv
