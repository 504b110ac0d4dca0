#include "gui/display/graph_polyline.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qv {

void DecimateByColumn(const QPoint* points, int count, std::vector<QPoint>& out) {
  out.clear();
  int i = 0;
  while (i < count) {
    const int x = points[i].x();
    int j = i;
    int low = i;
    int high = i;
    while (j + 1 < count && points[j + 1].x() == x) {
      ++j;
      if (points[j].y() < points[low].y()) low = j;
      if (points[j].y() > points[high].y()) high = j;
    }
    // Within one column the vertical segments cover low ... high whatever their order.
    const QPoint keep[4] = {points[i], points[low], points[high], points[j]};
    for (const QPoint& p : keep) {
      if (out.empty() || out.back() != p) out.push_back(p);
    }
    i = j + 1;
  }
}

void DrawThinPolyline(QPainter& painter, const QPoint* points, int count,
                      std::vector<QPoint>& scratch) {
  if (count < 2) return;
  DecimateByColumn(points, count, scratch);
  if (scratch.size() == 1) {
    painter.drawPoint(scratch.front());
    return;
  }
  painter.drawPolyline(scratch.data(), static_cast<int>(scratch.size()));
}

void DrawThickPolyline(QImage& image, const QPoint* points, int count, const QColor& colour) {
  if (count < 1 || image.isNull()) return;
  const int first = points[0].x();
  const int last = points[count - 1].x();
  if (last < first) return;
  const int columns = last - first + 1;
  std::vector<int> low(columns, std::numeric_limits<int>::max());
  std::vector<int> high(columns, std::numeric_limits<int>::min());
  auto cover = [&](int x, int y0, int y1) {
    const int c = x - first;
    if (c < 0 || c >= columns) return;
    low[c] = std::min({low[c], y0, y1});
    high[c] = std::max({high[c], y0, y1});
  };
  cover(points[0].x(), points[0].y(), points[0].y());
  for (int k = 1; k < count; ++k) {
    const QPoint a = points[k - 1];
    const QPoint b = points[k];
    if (a.x() == b.x()) {
      cover(a.x(), a.y(), b.y());
      continue;
    }
    const double slope = double(b.y() - a.y()) / (b.x() - a.x());
    for (int x = a.x(); x <= b.x(); ++x) {
      const double from = std::max<double>(a.x(), x - 0.5);
      const double to = std::min<double>(b.x(), x + 0.5);
      const int y0 = static_cast<int>(std::lround(a.y() + slope * (from - a.x())));
      const int y1 = static_cast<int>(std::lround(a.y() + slope * (to - a.x())));
      cover(x, y0, y1);
    }
  }
  const QRgb pixel = colour.rgb();
  const int width = image.width();
  const int height = image.height();
  uchar* bits = image.bits();
  const qsizetype stride = image.bytesPerLine();
  for (int x = first - 1; x <= last + 1; ++x) {
    if (x < 0 || x >= width) continue;
    int top = std::numeric_limits<int>::max();
    int bottom = std::numeric_limits<int>::min();
    for (int c = x - 1 - first; c <= x + 1 - first; ++c) {
      if (c < 0 || c >= columns || low[c] > high[c]) continue;
      top = std::min(top, low[c]);
      bottom = std::max(bottom, high[c]);
    }
    if (top > bottom) continue;
    top = std::max(top - 1, 0);
    bottom = std::min(bottom + 1, height - 1);
    for (int y = top; y <= bottom; ++y) {
      reinterpret_cast<QRgb*>(bits + y * stride)[x] = pixel;
    }
  }
}

}  // namespace qv
