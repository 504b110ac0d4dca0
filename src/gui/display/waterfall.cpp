#include "gui/display/waterfall.h"

#include <algorithm>
#include <cstring>

#include "core/display/average_history.h"
#include "core/display/spectrogram_axes.h"

namespace qv {

QRgb GradientToRgb(uint32_t colour) {
  return qRgb(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
              static_cast<int>((colour >> 16) & 0xFF));
}

WaterfallRenderer::WaterfallRenderer() {
  colours_.fill(qRgb(0, 0, 0));
}

void WaterfallRenderer::SetGradient(const CGradient& gradient, ColourMap map) {
  const auto table = LevelColourTable(map, gradient);
  for (size_t i = 0; i < table.size(); ++i) colours_[i] = GradientToRgb(table[i]);
}

void WaterfallRenderer::MapColumns(int32_t width, int32_t n) {
  if (width == mapped_width_ && n == mapped_n_) return;
  column_points_.resize(static_cast<size_t>(width));
  for (int32_t x = 0; x < width; ++x) {
    column_points_[static_cast<size_t>(x)] = ColumnStep(x, width, n);
  }
  mapped_width_ = width;
  mapped_n_ = n;
}

void HatchLine(QRgb* line, int32_t width, int32_t y) {
  for (int32_t x = 0; x < width; ++x) {
    line[x] = ((x + y) & 7) < 4 ? qRgb(200, 200, 200) : qRgb(176, 176, 176);
  }
}

void WaterfallRenderer::Render(QImage& image, const int16_t* rows, int32_t n,
                               const uint8_t* filled) {
  if (image.isNull()) return;
  if (image.format() != QImage::Format_RGB32) image = image.convertToFormat(QImage::Format_RGB32);
  const int32_t width = image.width();
  const int32_t height = image.height();
  if (rows == nullptr || n <= 0) {
    if (filled == nullptr) {
      image.fill(Qt::white);
    } else {
      for (int32_t y = 0; y < height; ++y) {
        HatchLine(reinterpret_cast<QRgb*>(image.scanLine(y)), width, y);
      }
    }
    return;
  }
  MapColumns(width, n);
  const int32_t h = height - 1;
  const int32_t* points = column_points_.data();
  const QRgb* colours = colours_.data();
  // Rows showing the same slot are equal: colour the first of them, copy it to the rest.
  int32_t painted_slot = -1;
  const QRgb* painted_line = nullptr;
  for (int32_t y = h; y >= 0; --y) {
    const int32_t slot = h == 0 ? 0 : ((h - y) * (kHistoryDepth - 1)) / h;
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    if (filled != nullptr && filled[slot] == 0) {
      HatchLine(line, width, y);
      continue;
    }
    if (slot == painted_slot) {
      std::memcpy(line, painted_line, static_cast<size_t>(width) * sizeof(QRgb));
      continue;
    }
    const int16_t* levels = rows + static_cast<size_t>(slot) * static_cast<size_t>(n);
    for (int32_t x = 0; x < width; ++x) {
      const int level =
          std::clamp<int>(levels[points[x]], CGradient::kLowestLevel, CGradient::kHighestLevel);
      line[x] = colours[CGradient::kHighestLevel - level];
    }
    painted_slot = slot;
    painted_line = line;
  }
}

void RenderWaterfall(QImage& image, const int16_t* rows, int32_t n, const CGradient& gradient) {
  WaterfallRenderer renderer;
  renderer.SetGradient(gradient);
  renderer.Render(image, rows, n);
}

void PaintColourScale(QPainter& painter, const GraphRect& bar, ColourMap map,
                      const CGradient& gradient, int32_t maximum, int32_t minimum,
                      int labels_left, int labels_right, int line, int height) {
  for (int y = bar.top; y < bar.bottom; ++y) {
    painter.fillRect(QRect(bar.left, y, bar.right - bar.left, 1),
                     QColor(GradientToRgb(LevelColour(
                         map, gradient, ColourBarLevel(bar, maximum, minimum, y)))));
  }
  for (const RowLabel& label : LayOutColourScale(bar, maximum, minimum, line)) {
    painter.drawLine(bar.right, label.y, bar.right + 2, label.y);
    const int top = std::clamp(label.y - line / 2, 0, std::max(height - line, 0));
    painter.drawText(QRect(labels_left, top, labels_right - labels_left, line),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(label.text));
  }
}

}  // namespace qv
