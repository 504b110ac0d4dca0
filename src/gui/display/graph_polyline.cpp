#include "gui/display/graph_polyline.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {

constexpr int kGroup = 16;

// Rows top ... bottom of a full group: one compare and select per pixel, no branches, four
// pixels per instruction where SSE2 is there (every x86-64).
void WriteGroupRows(uchar* bits, qsizetype stride, int x0, const int32_t* tops,
                    const int32_t* bottoms, int top, int bottom, QRgb colour) {
#if defined(__SSE2__)
  static_assert(kGroup == 16);
  const __m128i t0 = _mm_load_si128(reinterpret_cast<const __m128i*>(tops));
  const __m128i t1 = _mm_load_si128(reinterpret_cast<const __m128i*>(tops + 4));
  const __m128i t2 = _mm_load_si128(reinterpret_cast<const __m128i*>(tops + 8));
  const __m128i t3 = _mm_load_si128(reinterpret_cast<const __m128i*>(tops + 12));
  const __m128i b0 = _mm_load_si128(reinterpret_cast<const __m128i*>(bottoms));
  const __m128i b1 = _mm_load_si128(reinterpret_cast<const __m128i*>(bottoms + 4));
  const __m128i b2 = _mm_load_si128(reinterpret_cast<const __m128i*>(bottoms + 8));
  const __m128i b3 = _mm_load_si128(reinterpret_cast<const __m128i*>(bottoms + 12));
  const __m128i paint = _mm_set1_epi32(static_cast<int>(colour));
  auto quad = [&](__m128i* p, __m128i vy, __m128i t, __m128i b) {
    const __m128i outside = _mm_or_si128(_mm_cmpgt_epi32(t, vy), _mm_cmpgt_epi32(vy, b));
    const __m128i old = _mm_loadu_si128(p);
    _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(outside, old), _mm_andnot_si128(outside, paint)));
  };
  for (int y = top; y <= bottom; ++y) {
    __m128i* row = reinterpret_cast<__m128i*>(reinterpret_cast<QRgb*>(bits + y * stride) + x0);
    const __m128i vy = _mm_set1_epi32(y);
    quad(row, vy, t0, b0);
    quad(row + 1, vy, t1, b1);
    quad(row + 2, vy, t2, b2);
    quad(row + 3, vy, t3, b3);
  }
#else
  for (int y = top; y <= bottom; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(bits + y * stride) + x0;
    for (int i = 0; i < kGroup; ++i) {
      const QRgb old = row[i];
      row[i] = (tops[i] <= y) & (y <= bottoms[i]) ? colour : old;
    }
  }
#endif
}

}  // namespace

void SpanLayers::Write(QImage& image) const {
  if (image.isNull() || used_ == 0 || image.width() != width_ || image.height() != height_) {
    return;
  }
  const PixelTarget target(image);
  alignas(16) int32_t tops[kGroup];
  alignas(16) int32_t bottoms[kGroup];
  for (int first = 0; first < width_; first += kGroup) {
    const int count = std::min(kGroup, width_ - first);
    // Every line's spans in this group while its cache lines are hot, in paint order.
    for (int l = 0; l < used_; ++l) {
      const Layer& layer = layers_[l];
      const int from = std::max(first, layer.x0) - first;
      const int to =
          std::min(first + count, layer.x0 + static_cast<int>(layer.top.size())) - first;
      if (from >= to) continue;
      int group_top = INT_MAX;
      int group_bottom = INT_MIN;
      int64_t pixels = 0;
      for (int i = 0; i < kGroup; ++i) {
        const bool inside = i >= from && i < to;
        tops[i] = inside ? layer.top[first + i - layer.x0] : INT_MAX;
        bottoms[i] = inside ? layer.bottom[first + i - layer.x0] : INT_MIN;
        if (tops[i] > bottoms[i]) continue;
        group_top = std::min(group_top, tops[i]);
        group_bottom = std::max(group_bottom, bottoms[i]);
        pixels += bottoms[i] - tops[i] + 1;
      }
      if (group_top > group_bottom) continue;
      // Where the spans are short and staggered (a slope), rows would mostly be skipped: write
      // the columns one by one instead.
      if (count < kGroup || int64_t{group_bottom - group_top + 1} * kGroup > 8 * pixels) {
        for (int i = 0; i < count; ++i) {
          if (tops[i] <= bottoms[i]) target.Run(layer.colour, first + i, tops[i], bottoms[i]);
        }
        continue;
      }
      WriteGroupRows(target.bits, target.stride, first, tops, bottoms, group_top, group_bottom,
                     layer.colour);
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
