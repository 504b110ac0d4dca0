#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace qv {

// For one (point count, plot width): the x of every point and the first point of every pixel
// column, so a trace reduces to its columns straight from its levels, without a point array.
class ColumnIndex {
 public:
  // `xs` never decreases.
  void Build(std::vector<int32_t> xs);
  int Points() const { return static_cast<int>(xs_.size()); }
  int32_t X(int j) const { return xs_[j]; }
  // Points of column c (x = X(0) + c) are Begin(c) ... Begin(c + 1) - 1.
  int Begin(int c) const { return begin_[c]; }

 private:
  std::vector<int32_t> xs_;
  std::vector<int32_t> begin_;
};

// Per pixel column, the rows a polyline lights there. A polyline whose x never decreases
// visits each column once, moving only up or down inside it, so those rows are one unbroken
// run: the picture of the whole line is one vertical span per column.
class ColumnSpans {
 public:
  // Collects the spans of the 1-pixel line through `points`: each segment lights the integer
  // line from its first to its last point, both included.
  void Collect(const QPoint* points, int count);
  // The same spans for the line through points first ... last of `index`, the y of point k
  // being y[k - first]: the points inside a column give its minimum and maximum, and only the
  // segments between neighbouring columns are rasterised.
  template <typename Y>
  void Reduce(const ColumnIndex& index, const Y* y, int first, int last);
  // Writes the spans into an RGB32 image, clipped to it. widen = 1 grows every span by one
  // pixel on each side and into the neighbouring columns: the 3-pixel pen.
  void Write(QImage& image, QRgb colour, int widen) const;

 private:
  friend class SpanLayers;
  void Start(int first_x, int columns);
  void Cover(int x, int y0, int y1);
  void Segment(QPoint a, QPoint b);

  int first_x_ = 0;
  std::vector<int> low_;
  std::vector<int> high_;
};

// The spans of several lines, drawn as if written in the order added (later lines over earlier
// ones) but writing each pixel once: where traces lie over each other, as they mostly do, the
// pixel writes were most of the repaint.
class SpanLayers {
 public:
  // Forgets the lines added; the picture to come is width x height.
  void Begin(int width, int height);
  void Add(const ColumnSpans& spans, QRgb colour, int widen);
  void Write(QImage& image) const;

 private:
  // Rows top ... bottom of columns x0, x0 + 1, ... of the picture; an empty column has
  // top > bottom.
  struct Layer {
    QRgb colour = 0;
    int x0 = 0;
    std::vector<int32_t> top;
    std::vector<int32_t> bottom;
  };
  int width_ = 0;
  int height_ = 0;
  int used_ = 0;
  std::vector<Layer> layers_;
};

// The pieces a polyline of `count` points is drawn in, in order, as (first point, last point,
// widen): the segment ending at point j is 3 pixels wide when thick_first <= j <= thick_last
// (after clamping to the points), 1 pixel otherwise.
template <typename PieceFn>
void ForEachPenPiece(int count, int thick_first, int thick_last, PieceFn&& piece) {
  thick_first = std::max(thick_first, 0);
  thick_last = std::min(thick_last, count - 1);
  if (thick_first > thick_last) {
    piece(0, count - 1, 0);
    return;
  }
  // Thin before: segments ending at 1 ... thick_first - 1; thick; thin after.
  if (thick_first > 0) piece(0, thick_first - 1, 0);
  piece(std::max(thick_first - 1, 0), thick_last, 1);
  piece(thick_last, count - 1, 0);
}

template <typename Y>
void ColumnSpans::Reduce(const ColumnIndex& index, const Y* y, int first, int last) {
  if (last < first) {
    low_.clear();
    high_.clear();
    return;
  }
  const int32_t x0 = index.X(first);
  const int c_first = x0 - index.X(0);
  const int c_last = index.X(last) - index.X(0);
  Start(x0, c_last - c_first + 1);
  int previous = -1;  // last point of the previous column holding points
  int next = std::max(index.Begin(c_first), first);
  for (int c = c_first; c <= c_last; ++c) {
    const int b = next;
    const int e = std::min(index.Begin(c + 1), last + 1);
    next = e;
    if (b >= e) continue;
    const Y* p = y + (b - first);
    const Y* const end = y + (e - first);
    int lo = *p;
    int hi = lo;
    for (++p; p < end; ++p) {
      const int v = *p;
      lo = v < lo ? v : lo;
      hi = v > hi ? v : hi;
    }
    int& low = low_[c - c_first];
    int& high = high_[c - c_first];
    low = std::min(low, lo);
    high = std::max(high, hi);
    if (previous >= 0) {
      Segment(QPoint(index.X(previous), y[previous - first]), QPoint(index.X(b), y[b - first]));
    }
    previous = e - 1;
  }
}

// A 1-pixel and a 3-pixel polyline through `points` (x never decreasing), written straight into
// an RGB32 image. Stroking thousands of noisy segments with QPainter costs milliseconds per
// trace (seconds with a wide pen); one span per column costs microseconds.
void DrawThinPolyline(QImage& image, const QPoint* points, int count, QRgb colour,
                      ColumnSpans& scratch);
void DrawThickPolyline(QImage& image, const QPoint* points, int count, QRgb colour,
                       ColumnSpans& scratch);

// The 1-pixel line drawn segment by segment, every pixel of every segment written; the
// reference the span drawing must equal.
void DrawPlainPolyline(QImage& image, const QPoint* points, int count, QRgb colour);

}  // namespace qv
