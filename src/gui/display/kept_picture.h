#pragma once

#include <QImage>
#include <QRegion>
#include <QSize>
#include <cstdint>
#include <vector>

#include "gui/display/graph_painter.h"

class QPainter;

namespace qv {

// Where the graph's picture is painted and what is kept of it. While sweeps arrive it goes
// straight into the window's pixels; the picture painted there is kept nowhere else, so before
// the sweep mode ends it is drawn once more into the back buffer, which shows while no mode is
// set.
class KeptPicture {
 public:
  // Paints `scene` straight into the window's pixels under `window` (`size` at its origin),
  // leaving those in `covered` (the side-panel tabs) as they were. False, painting nothing,
  // when the pixels are not a plain 32-bit image at one device pixel per pixel.
  bool PaintIntoWindow(QPainter& window, const QSize& size, const QRegion& covered,
                       const GraphScene& scene);
  // Paints `scene` into the back buffer and draws that; with no sweep mode set, draws the last
  // picture (black at first) and returns false.
  bool PaintThroughBuffer(QPainter& window, const QSize& size, const GraphScene& scene);
  // Whether the back buffer holds the last picture painted.
  bool Kept() const { return kept_; }
  void Keep(const GraphScene& scene);
  void Blank() { back_buffer_.fill(Qt::black); }

 private:
  QImage back_buffer_;
  bool kept_ = true;
  // The window's pixels under the tabs while a frame is painted beneath them.
  std::vector<QRect> covered_rects_;
  std::vector<uint32_t> covered_pixels_;
};

}  // namespace qv
