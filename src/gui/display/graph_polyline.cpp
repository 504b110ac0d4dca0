#include "gui/display/graph_polyline.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace qv {
namespace {

// Nearest integer of n / d for d > 0, halves rounded up.
int RoundDiv(int n, int d) {
  const int num = 2 * n + d;
  const int den = 2 * d;
  return num >= 0 ? num / den : -((-num + den - 1) / den);
}

// The pixels of the integer line from a to b, both included, handed out as vertical runs
// (x, top, bottom). Shallow lines step one pixel per column; steep ones one pixel per row.
template <typename RunFn>
void RasterSegment(QPoint a, QPoint b, RunFn&& run) {
  if (a.x() == b.x()) {
    run(a.x(), std::min(a.y(), b.y()), std::max(a.y(), b.y()));
    return;
  }
  if (b.x() < a.x()) std::swap(a, b);
  const int dx = b.x() - a.x();
  const int dy = b.y() - a.y();
  if (std::abs(dy) <= dx) {
    for (int i = 0; i <= dx; ++i) {
      const int y = a.y() + RoundDiv(dy * i, dx);
      run(a.x() + i, y, y);
    }
    return;
  }
  const int steps = std::abs(dy);
  const int sign = dy > 0 ? 1 : -1;
  if (dx == 1) {
    // Into the next column, the common case: the first rows (up to halfway, rounded as the
    // general loop below rounds) stay in a's column, the rest go to b's.
    const int k = (steps + 1) / 2;
    const int last_a = a.y() + sign * (k - 1);
    const int first_b = a.y() + sign * k;
    run(a.x(), std::min(a.y(), last_a), std::max(a.y(), last_a));
    run(b.x(), std::min(first_b, b.y()), std::max(first_b, b.y()));
    return;
  }
  int run_x = a.x();
  int run_from = a.y();
  for (int i = 1; i <= steps; ++i) {
    const int y = a.y() + sign * i;
    const int x = a.x() + RoundDiv(dx * i, steps);
    if (x != run_x) {
      run(run_x, std::min(run_from, y - sign), std::max(run_from, y - sign));
      run_x = x;
      run_from = y;
    }
  }
  run(run_x, std::min(run_from, b.y()), std::max(run_from, b.y()));
}

// Direct access to the picture's pixels, taken once per line rather than once per run.
struct PixelTarget {
  explicit PixelTarget(QImage& image)
      : bits(image.bits()),
        stride(image.bytesPerLine()),
        width(image.width()),
        height(image.height()) {}

  void Run(QRgb colour, int x, int top, int bottom) const {
    if (x < 0 || x >= width) return;
    top = std::max(top, 0);
    bottom = std::min(bottom, height - 1);
    uchar* p = bits + top * stride + x * static_cast<qsizetype>(sizeof(QRgb));
    for (int y = top; y <= bottom; ++y, p += stride) *reinterpret_cast<QRgb*>(p) = colour;
  }

  uchar* bits;
  qsizetype stride;
  int width;
  int height;
};

}  // namespace

void ColumnSpans::Cover(int x, int y0, int y1) {
  const int c = x - first_x_;
  if (y0 < low_[c]) low_[c] = y0;
  if (y1 > high_[c]) high_[c] = y1;
}

void ColumnSpans::Segment(QPoint a, QPoint b) {
  RasterSegment(a, b, [this](int x, int top, int bottom) { Cover(x, top, bottom); });
}

void ColumnSpans::Collect(const QPoint* points, int count) {
  low_.clear();
  high_.clear();
  if (count < 1) return;
  first_x_ = points[0].x();
  const int columns = std::max(points[count - 1].x() - first_x_ + 1, 1);
  low_.assign(columns, INT_MAX);
  high_.assign(columns, INT_MIN);
  Cover(points[0].x(), points[0].y(), points[0].y());
  for (int k = 1; k < count; ++k) {
    const QPoint a = points[k - 1];
    const QPoint b = points[k];
    if (a.x() == b.x()) {
      // Inside one column: the common case when there are more points than pixels.
      Cover(a.x(), std::min(a.y(), b.y()), std::max(a.y(), b.y()));
    } else {
      Segment(a, b);
    }
  }
}

void ColumnSpans::Write(QImage& image, QRgb colour, int widen) const {
  if (image.isNull() || low_.empty()) return;
  const PixelTarget target(image);
  const int columns = static_cast<int>(low_.size());
  // Spans are written a group of neighbouring columns at a time, row by row, so that a tall
  // span's rows share cache lines with its neighbours' instead of each pixel costing one.
  constexpr int kGroup = 16;
  int tops[kGroup];
  int bottoms[kGroup];
  for (int first = -widen; first < columns + widen; first += kGroup) {
    const int count = std::min(kGroup, columns + widen - first);
    int group_top = INT_MAX;
    int group_bottom = INT_MIN;
    int64_t pixels = 0;
    for (int i = 0; i < count; ++i) {
      const int c = first + i;
      int top = INT_MAX;
      int bottom = INT_MIN;
      for (int k = std::max(c - widen, 0); k <= std::min(c + widen, columns - 1); ++k) {
        if (low_[k] > high_[k]) continue;
        top = std::min(top, low_[k]);
        bottom = std::max(bottom, high_[k]);
      }
      const int x = first_x_ + c;
      if (top > bottom || x < 0 || x >= target.width) {
        tops[i] = INT_MAX;  // nothing in this column
        bottoms[i] = INT_MIN;
        continue;
      }
      tops[i] = std::max(top - widen, 0);
      bottoms[i] = std::min(bottom + widen, target.height - 1);
      group_top = std::min(group_top, tops[i]);
      group_bottom = std::max(group_bottom, bottoms[i]);
      pixels += bottoms[i] - tops[i] + 1;
    }
    if (group_top > group_bottom) continue;
    // Where the spans are short and staggered (a slope), rows would mostly be skipped: write
    // the columns one by one instead.
    if (int64_t{group_bottom - group_top + 1} * count > 2 * pixels) {
      for (int i = 0; i < count; ++i) {
        if (tops[i] <= bottoms[i]) target.Run(colour, first_x_ + first + i, tops[i], bottoms[i]);
      }
      continue;
    }
    for (int y = group_top; y <= group_bottom; ++y) {
      QRgb* row = reinterpret_cast<QRgb*>(target.bits + y * target.stride);
      const int x0 = first_x_ + first;  // columns outside the picture never pass the test
      for (int i = 0; i < count; ++i) {
        if (tops[i] <= y && y <= bottoms[i]) row[x0 + i] = colour;
      }
    }
  }
}

void DrawThinPolyline(QImage& image, const QPoint* points, int count, QRgb colour,
                      ColumnSpans& scratch) {
  scratch.Collect(points, count);
  scratch.Write(image, colour, 0);
}

void DrawThickPolyline(QImage& image, const QPoint* points, int count, QRgb colour,
                       ColumnSpans& scratch) {
  scratch.Collect(points, count);
  scratch.Write(image, colour, 1);
}

void DrawPlainPolyline(QImage& image, const QPoint* points, int count, QRgb colour) {
  if (count < 1 || image.isNull()) return;
  const PixelTarget target(image);
  auto write = [&](int x, int top, int bottom) { target.Run(colour, x, top, bottom); };
  RasterSegment(points[0], points[0], write);
  for (int k = 1; k < count; ++k) RasterSegment(points[k - 1], points[k], write);
}

}  // namespace qv
