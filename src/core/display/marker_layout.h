#pragma once

#include <cstdint>
#include <vector>

#include "core/display/graph_geometry.h"

namespace qv {

// The texts of one placed marker end, frequency over level, as one box beside its glyph.
struct MarkerTextBox {
  int32_t x = 0;       // the point's x, where the glyph's tip is
  int32_t y = 0;       // the trace's y at the point
  int32_t width = 0;   // of the wider line
  int32_t height = 0;  // of both lines
  int32_t left = 0;    // placed: the box's top-left corner
  int32_t top = 0;
};

// `box` held inside `bounds` (right and bottom exclusive) and moved up or down, as little as it
// can, clear of every rectangle of `taken`; where no place in its columns is clear it stays
// where it was wanted, held inside. Every text of the graph is placed so among the others.
GraphRect PlaceClear(const GraphRect& box, const GraphRect& bounds,
                     const std::vector<GraphRect>& taken);

// Places the boxes in order: each centred over its glyph (`glyph` is the glyph's rectangle
// relative to its end's point), under the point where the plot has no room above it, held inside
// `bounds` (right and bottom exclusive) and moved up or down, as little as it can, clear of every
// glyph, of every rectangle of `taken` (texts placed before them) and of every box placed before
// it. Boxes overlap only where the plot is too small to hold them all apart.
void LayOutMarkerTexts(std::vector<MarkerTextBox>& boxes, const GraphRect& bounds,
                       const GraphRect& glyph, const std::vector<GraphRect>& taken = {});

}  // namespace qv
