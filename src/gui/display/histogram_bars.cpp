#include "gui/display/histogram_bars.h"

#include <QPainter>
#include <algorithm>
#include <vector>

#include "core/display/histogram_axis.h"

namespace qv {

std::array<QRgb, CGradient::kTableSize> HistogramColourTable(const CGradient& gradient) {
  const std::array<uint32_t, CGradient::kTableSize> table = gradient.Table();
  std::array<QRgb, CGradient::kTableSize> colours;
  for (size_t k = 0; k < table.size(); ++k) {
    const uint32_t c = table[k];  // red in the low byte
    colours[k] = qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                      static_cast<int>((c >> 16) & 0xFF));
  }
  return colours;
}

int HistogramBarHeight(int16_t count, int16_t sweep_counter, int height) {
  if (sweep_counter <= 0 || height <= 0) return 0;
  const int64_t bar = static_cast<int64_t>(height) * count / sweep_counter;
  return static_cast<int>(std::clamp<int64_t>(bar, 0, height));
}

void PaintHistogramBars(QImage& image, int32_t points, int16_t sweep_counter,
                        const int16_t* counts, const int16_t* live_levels,
                        const std::array<QRgb, CGradient::kTableSize>& colours) {
  image.fill(kHistogramBackground);
  const int w = image.width();
  const int h = image.height();
  if (points <= 0 || sweep_counter <= 0 || w <= 0 || h <= 0) return;

  // Bar tops and colours first, so each column below only looks them up.
  struct Bar {
    int column;
    int top;
    QRgb colour;
  };
  thread_local std::vector<Bar> bars;
  bars.resize(static_cast<size_t>(points));
  for (int32_t i = 0; i < points; ++i) {
    const int level = std::clamp<int>(live_levels[i], CGradient::kLowestLevel,
                                      CGradient::kHighestLevel);
    bars[i] = {StepColumn(i, points, w), h - HistogramBarHeight(counts[i], sweep_counter, h),
               colours[static_cast<size_t>(CGradient::kHighestLevel - level)]};
  }

  // Columns ascend with the point, so the bars touching a column are one run of points. Going
  // through that run from its last point, each bar shows only above what later bars covered.
  auto* pixels = reinterpret_cast<QRgb*>(image.bits());
  const qsizetype stride = image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
  constexpr int kReach = kHistogramBarWidth / 2;
  int32_t last = 0;  // one past the last bar reaching the current column
  for (int x = 0; x < w; ++x) {
    while (last < points && bars[last].column <= x + kReach) ++last;
    int covered = h;  // rows covered from here down
    for (int32_t i = last - 1; i >= 0 && bars[i].column >= x - kReach && covered > 0; --i) {
      const Bar& bar = bars[i];
      if (bar.top >= covered) continue;
      QRgb* p = pixels + static_cast<qsizetype>(bar.top) * stride + x;
      for (int y = bar.top; y < covered; ++y, p += stride) *p = bar.colour;
      covered = bar.top;
    }
  }
}

void PaintHistogramAxis(QPainter& painter, int width, int line_height,
                        const std::vector<AxisLabel>& labels) {
  constexpr int kTick = 3;
  for (const AxisLabel& label : labels) {
    const int x = GridColumn(label.grid_line, width);
    painter.drawLine(x, 0, x, kTick - 1);
    painter.drawText(QRect(label.left, kTick, label.width, line_height),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                     QString::fromStdString(label.text));
  }
}

}  // namespace qv
