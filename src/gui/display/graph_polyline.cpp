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

void ColumnIndex::Build(std::vector<int32_t> xs) {
  xs_ = std::move(xs);
  begin_.clear();
  if (xs_.empty()) return;
  const int count = static_cast<int>(xs_.size());
  const int columns = xs_.back() - xs_.front() + 1;
  begin_.resize(columns + 1);
  int j = 0;
  for (int c = 0; c <= columns; ++c) {
    while (j < count && xs_[j] - xs_.front() < c) ++j;
    begin_[c] = j;
  }
}

void ColumnSpans::Start(int first_x, int columns) {
  first_x_ = first_x;
  low_.assign(std::max(columns, 1), INT_MAX);
  high_.assign(std::max(columns, 1), INT_MIN);
}

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
  Start(points[0].x(), points[count - 1].x() - points[0].x() + 1);
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
  SpanLayers layers;
  layers.Begin(image.width(), image.height());
  layers.Add(*this, colour, widen);
  layers.Write(image);
}

void SpanLayers::Begin(int width, int height) {
  width_ = width;
  height_ = height;
  used_ = 0;
}

void SpanLayers::Add(const ColumnSpans& spans, QRgb colour, int widen) {
  const int columns = static_cast<int>(spans.low_.size());
  if (columns == 0) return;
  const int x_lo = std::max(spans.first_x_ - widen, 0);
  const int x_hi = std::min(spans.first_x_ + columns - 1 + widen, width_ - 1);
  if (x_lo > x_hi) return;
  if (used_ == static_cast<int>(layers_.size())) layers_.emplace_back();
  Layer& layer = layers_[used_++];
  layer.colour = colour;
  layer.x0 = x_lo;
  layer.top.resize(x_hi - x_lo + 1);
  layer.bottom.resize(x_hi - x_lo + 1);
  const int* low = spans.low_.data();
  const int* high = spans.high_.data();
  const int last_row = height_ - 1;
  for (int x = x_lo; x <= x_hi; ++x) {
    const int c = x - spans.first_x_;
    int top = INT_MAX;
    int bottom = INT_MIN;
    for (int k = std::max(c - widen, 0); k <= std::min(c + widen, columns - 1); ++k) {
      top = std::min(top, low[k]);
      bottom = std::max(bottom, high[k]);
    }
    // Clipped to the picture without overflow, whatever the levels.
    if (top <= bottom) {
      top = top <= widen ? 0 : top - widen;
      bottom = bottom >= last_row - widen ? last_row : bottom + widen;
    }
    if (top > bottom) {
      top = INT_MAX;
      bottom = INT_MIN;
    }
    layer.top[x - x_lo] = top;
    layer.bottom[x - x_lo] = bottom;
  }
}

void SpanLayers::Write(QImage& image) const {
  if (image.isNull() || used_ == 0 || image.width() != width_ || image.height() != height_) {
    return;
  }
  const PixelTarget target(image);
  // Column by column, the lines from the last added to the first: each writes only the rows
  // no later line has taken, so a pixel is written once however many lines cross it. `taken`
  // holds those rows as sorted, disjoint, non-touching runs.
  std::vector<int32_t> taken_top(used_ + 1);
  std::vector<int32_t> taken_bottom(used_ + 1);
  std::vector<int32_t> merged_top(used_ + 1);
  std::vector<int32_t> merged_bottom(used_ + 1);
  for (int x = 0; x < width_; ++x) {
    int taken = 0;
    for (int l = used_ - 1; l >= 0; --l) {
      const Layer& layer = layers_[l];
      const int i = x - layer.x0;
      if (i < 0 || i >= static_cast<int>(layer.top.size())) continue;
      int top = layer.top[i];
      const int bottom = layer.bottom[i];
      if (top > bottom) continue;
      // Mostly the spans of a column meet in one run.
      if (taken == 0 || (taken == 1 && top <= taken_bottom[0] + 1 && bottom >= taken_top[0] - 1)) {
        if (taken == 0) {
          target.Run(layer.colour, x, top, bottom);
          taken_top[0] = top;
          taken_bottom[0] = bottom;
          taken = 1;
          continue;
        }
        if (top < taken_top[0]) target.Run(layer.colour, x, top, taken_top[0] - 1);
        if (bottom > taken_bottom[0]) target.Run(layer.colour, x, taken_bottom[0] + 1, bottom);
        taken_top[0] = std::min(taken_top[0], top);
        taken_bottom[0] = std::max(taken_bottom[0], bottom);
        continue;
      }
      // The rows between the taken runs.
      for (int r = 0; r < taken && top <= bottom; ++r) {
        if (taken_bottom[r] < top) continue;
        if (taken_top[r] > bottom) break;
        if (taken_top[r] > top) target.Run(layer.colour, x, top, taken_top[r] - 1);
        top = taken_bottom[r] + 1;
      }
      if (top <= bottom) target.Run(layer.colour, x, top, bottom);
      // Take the span's rows, merging the runs it meets or touches.
      int m = 0;
      int r = 0;
      while (r < taken && taken_bottom[r] < layer.top[i] - 1) {
        merged_top[m] = taken_top[r];
        merged_bottom[m++] = taken_bottom[r++];
      }
      int run_top = layer.top[i];
      int run_bottom = bottom;
      while (r < taken && taken_top[r] <= bottom + 1) {
        run_top = std::min(run_top, taken_top[r]);
        run_bottom = std::max(run_bottom, taken_bottom[r++]);
      }
      merged_top[m] = run_top;
      merged_bottom[m++] = run_bottom;
      while (r < taken) {
        merged_top[m] = taken_top[r];
        merged_bottom[m++] = taken_bottom[r++];
      }
      taken_top.swap(merged_top);
      taken_bottom.swap(merged_bottom);
      taken = m;
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
