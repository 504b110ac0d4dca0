#pragma once

#include <cstdint>
#include <vector>

#include "core/display/graph_geometry.h"

namespace qv {

// One trace as drawn: the screen y of each of its `count` points, spread over the plot's width.
struct DrawnTrace {
  const int16_t* y = nullptr;
  int32_t count = 0;
};

// Where a box of `width` x `height` pixels goes on the plot `g` so that it hides the least of
// the traces: among a few places (upper, middle and lower thirds; centre, left and right), the
// one crossed by the fewest trace columns, avoiding the boxes already `taken`. Ties go to the
// earlier place, upper centre first, so a quiet picture keeps the box where it always was.
GraphRect PlaceOverlay(const GraphGeometry& g, int32_t width, int32_t height,
                       const std::vector<DrawnTrace>& traces, const std::vector<GraphRect>& taken);

// How many columns of `trace` pass through `box`: a column counts when the line drawn to its
// point from the previous one crosses the box's rows.
int32_t TraceColumnsIn(const GraphGeometry& g, const DrawnTrace& trace, const GraphRect& box);

}  // namespace qv
