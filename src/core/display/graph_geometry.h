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
struct GraphGeometry {
  GraphRect area;      // A
  int32_t right = 0;   // R = A.right * 6 / 7
  int32_t bottom = 0;  // B = A.bottom * 3 / 4
  int32_t dx = 0;      // width of one of the ten divisions
  int32_t dy = 0;      // height of one of the ten divisions
  int32_t points = 0;  // N

  GraphGeometry(const GraphRect& area, int32_t points);

  // Screen x of point j of the sweep. A sweep of fewer than two points sits on the left edge.
  int32_t X(int32_t j) const;
  // Screen x of point j of a trace of `count` points spread over the same width.
  int32_t XOf(int32_t j, int32_t count) const;
  // The drawn point nearest to screen x, held within 0 ... N - 1 (0 while N < 2).
  int32_t PointAtX(int32_t x) const;
  // Whether (x, y) lies on the plot, edges included: where clicks place and select.
  bool Contains(int32_t x, int32_t y) const;
  // Plot width in pixels, R - A.left.
  int32_t Width() const { return right - area.left; }
  // Lines of the grid: i = 0 ... 10; the last one sits on the plot's far edge.
  int32_t GridX(int32_t i) const;
  int32_t GridY(int32_t j) const;
  // 2R / 3, where the marker delta line starts.
  int32_t DeltaBase() const { return 2 * right / 3; }
  // The rectangle trace processing scales levels with: the reference level on the top grid
  // line and 100 dB below it on the bottom one.
  PlotRect LevelPlot() const;
};

// Frequency in MHz of point j of a sweep from `start` (50 kHz steps) with `sweep_word` steps
// between points.
double PointFrequency(uint32_t start, int32_t point, uint16_t sweep_word);

}  // namespace qv
