#pragma once

#include <QImage>
#include <QPainter>
#include <array>
#include <cstdint>
#include <vector>

#include "core/display/colour_map.h"
#include "core/display/gradient.h"
#include "core/display/graph_geometry.h"

namespace qv {

// Paints the spectrogram's waterfall: the bottom row shows slot 0 and the top row slot 99, each
// column the point at or below its proportional position. `rows` is slot-major, as
// SpectrogramHistory::CopySlots writes it: rows[slot * n + point], 100 rows of n points.
//
// The picture uses the whole image: with w = width - 1 and h = height - 1, column x shows point
// (x * (n - 1)) / w and row y slot ((h - y) * 99) / h, so the right-hand column shows the last
// point and the bottom row the newest sweep. A one-pixel-wide image shows point 0 and a
// one-pixel-high one slot 0; with n = 1 every column shows point 0. With n <= 0 or no levels the
// image is white, as a cleared waterfall is.
//
// Given `filled` (100 marks, SpectrogramHistory::FilledSlots), rows whose slot holds no sweep
// are hatched in two greys neither colour map gives, so an empty history does not look like a
// signal; so is everything while there are no levels.
class WaterfallRenderer {
 public:
  WaterfallRenderer();

  // Colours of every level for the current range in `map`; call whenever either changes.
  void SetGradient(const CGradient& gradient, ColourMap map = ColourMap::kReceiver);

  void Render(QImage& image, const int16_t* rows, int32_t n, const uint8_t* filled = nullptr);

 private:
  void MapColumns(int32_t width, int32_t n);

  std::array<QRgb, CGradient::kTableSize> colours_{};  // index 0 is 0 dBm
  std::vector<int32_t> column_points_;
  int32_t mapped_width_ = -1;
  int32_t mapped_n_ = -1;
};

// One-off render with its own colour table, for callers that do not repaint repeatedly.
void RenderWaterfall(QImage& image, const int16_t* rows, int32_t n, const CGradient& gradient);

// Writes the hatch of rows without a sweep into row y of `line`, `width` pixels.
void HatchLine(QRgb* line, int32_t width, int32_t y);

// A gradient colour (red in the low byte) as the image's pixel value.
QRgb GradientToRgb(uint32_t colour);

// A colour scale: each row of `bar` in the colour of the level it stands for, `maximum` dBm at
// its top and `minimum` at its bottom, and a tick and a label for each LayOutColourScale row,
// the labels between x = `labels_left` and `labels_right`, `line` pixels high, kept inside
// 0 ... `height`. The painter's pen and font are the labels'.
void PaintColourScale(QPainter& painter, const GraphRect& bar, ColourMap map,
                      const CGradient& gradient, int32_t maximum, int32_t minimum,
                      int labels_left, int labels_right, int line, int height);

}  // namespace qv
