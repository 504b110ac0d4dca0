#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>
#include <vector>

namespace qv {

// Per pixel column, the rows a polyline lights there. A polyline whose x never decreases
// visits each column once, moving only up or down inside it, so those rows are one unbroken
// run: the picture of the whole line is one vertical span per column.
class ColumnSpans {
 public:
  // Collects the spans of the 1-pixel line through `points`: each segment lights the integer
  // line from its first to its last point, both included.
  void Collect(const QPoint* points, int count);
  // Writes the spans into an RGB32 image, clipped to it. widen = 1 grows every span by one
  // pixel on each side and into the neighbouring columns: the 3-pixel pen.
  void Write(QImage& image, QRgb colour, int widen) const;

 private:
  void Cover(int x, int y0, int y1);
  void Segment(QPoint a, QPoint b);

  int first_x_ = 0;
  std::vector<int> low_;
  std::vector<int> high_;
};

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
