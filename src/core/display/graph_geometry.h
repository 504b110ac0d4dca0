#pragma once

#include <cstdint>

#include "core/display/plot_scale.h"

namespace qv {

// A rectangle with exclusive right and bottom edges, in graph client pixels.
struct GraphRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// The plot's layout from the graph area A and the point count N. The painter, trace processing,
// markers, the pointer read-out, selections, channels and zoom all map through this one object,
// so a point drawn at x is the point every reading under x refers to.
//
// The x axis runs from the sweep's start to start + N steps, as the legend's span says: point j
// owns the pixels [j W / N, (j + 1) W / N) of the plot's width W and is drawn at their middle,
// and grid line i lies at i W / 10, where start + i tenths of the span is. Levels use the scale
// of trace processing, so grid line j lies where reference - 10 j dBm is drawn.
struct GraphGeometry {
  GraphRect area;      // A
  int32_t right = 0;   // R = A.right * 6 / 7
  int32_t bottom = 0;  // B = A.bottom * 3 / 4
  // A division's size, rounded down: for the legend boxes laid out in divisions. The grid itself
  // is GridX and GridY.
  int32_t dx = 0;
  int32_t dy = 0;
  int32_t points = 0;  // N

  GraphGeometry(const GraphRect& area, int32_t points);
  // The plot of a graph window whose bottom, `window_bottom`, lies above the area's (a strip
  // under the graph): the plot gives up the strip's height, so the room under it, where the
  // legend goes, stays what the area's proportions give.
  GraphGeometry(const GraphRect& area, int32_t points, int32_t window_bottom);

  // Screen x of point j of the sweep: the middle of its step.
  int32_t X(int32_t j) const { return XOf(j, points); }
  // Screen x of point j of a trace of `count` points over the same width.
  int32_t XOf(int32_t j, int32_t count) const;
  // The point whose step holds the middle of pixel column x, held within 0 ... N - 1 (0 without
  // points).
  int32_t PointAtX(int32_t x) const;
  // Whether (x, y) lies on the plot, edges included: where clicks place and select.
  bool Contains(int32_t x, int32_t y) const;
  // Plot width in pixels, R - A.left.
  int32_t Width() const { return right - area.left; }
  // Pixels for the 100 dB the plot shows.
  int64_t LevelSpan() const { return ScaleSpan(LevelPlot()); }
  // Lines of the grid, i = 0 ... 10: the first on the left (top) edge, the last on the right
  // (bottom) one.
  int32_t GridX(int32_t i) const;
  int32_t GridY(int32_t j) const;
  // 2R / 3, where the marker delta line starts.
  int32_t DeltaBase() const { return 2 * right / 3; }
  // The rectangle trace processing scales levels with: the reference level on the top grid
  // line and 100 dB below it on the bottom one.
  PlotRect LevelPlot() const;
};

// A row of `width` pixel columns spanning `n` equal frequency steps, start to stop, as every
// frequency axis of the program does: the column in the middle of step j; the step that holds
// the middle of `column` (held within 0 ... n - 1); and the column of grid line 0 ... 10, every
// tenth of the width, the last on the rightmost column.
int32_t StepColumn(int32_t j, int32_t n, int32_t width);
int32_t ColumnStep(int32_t column, int32_t width, int32_t n);
int32_t GridColumn(int32_t line, int32_t width);

// Frequency in MHz of point j of a sweep from `start` (50 kHz steps) with `sweep_word` steps
// between points: where its step begins.
double PointFrequency(uint32_t start, int32_t point, uint16_t sweep_word);
// Frequency in MHz under grid line 0 ... 10 of a sweep of `points` points: start plus that many
// tenths of the span.
double GridFrequency(uint32_t start, uint16_t sweep_word, int32_t points, int32_t line);
// The axis's frequency in MHz at pixel column x (held within the plot): a grid line's frequency
// on its line where that is a whole step, elsewhere the roundest whole step among the
// frequencies the column covers, or the column's middle where it covers none.
double AxisFrequencyAt(const GraphGeometry& g, uint32_t start, uint16_t sweep_word, int32_t x);

}  // namespace qv
