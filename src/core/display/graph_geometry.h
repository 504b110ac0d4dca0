#pragma once

#include <cstdint>

namespace qv {

// A rectangle with exclusive right and bottom edges, in graph client pixels.
struct GraphRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// The plot's layout for one repaint, from the graph area A and the point count N.
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
  // Plot width in pixels, R - A.left.
  int32_t Width() const { return right - area.left; }
  // Lines of the grid: i = 0 ... 10; the last one sits on the plot's far edge.
  int32_t GridX(int32_t i) const;
  int32_t GridY(int32_t j) const;
  // 2R / 3, where the marker delta line starts.
  int32_t DeltaBase() const { return 2 * right / 3; }
};

}  // namespace qv
