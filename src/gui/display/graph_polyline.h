#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <vector>

namespace qv {

// Reduces a polyline whose x never decreases to the first, lowest, highest and last point of
// each pixel column. A 1-pixel line through the result lights exactly the same pixels, at a
// fraction of the segments.
void DecimateByColumn(const QPoint* points, int count, std::vector<QPoint>& out);

// A 1-pixel polyline through `points` (x never decreasing), drawn decimated.
void DrawThinPolyline(QPainter& painter, const QPoint* points, int count,
                      std::vector<QPoint>& scratch);

// A 3-pixel line through `points` (x never decreasing), written straight into an RGB32 image:
// the 1-pixel line's column spans widened by one pixel on every side. Stroking thousands of
// noisy segments with a wide pen takes seconds; this costs one span per column.
void DrawThickPolyline(QImage& image, const QPoint* points, int count, const QColor& colour);

}  // namespace qv
