#include "core/display/marker_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv {
namespace {

bool Overlap(const MarkerTextBox& a, const MarkerTextBox& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// The 12 x 12 glyph over a point, its tip on the point's column.
const GraphRect kGlyph{-5, -12, 7, 0};

// Whether a box covers the glyph of an end.
bool CoversGlyph(const MarkerTextBox& box, const MarkerTextBox& end) {
  return Overlap(box, MarkerTextBox{0, 0, 12, 12, end.x - 5, end.y - 12});
}

// Ends on a 1280 x 800 graph of 1000 points, texts 77 x 34 pixels as the small font draws them:
// at the plot's edges, on a peak near the top, and ends close enough to collide, on one level
// and a few pixels apart as on noise at the left edge.
TEST(MarkerLayoutTest, TextsStayInsideThePlotAndApart) {
  const GraphGeometry g(GraphRect{0, 0, 1280, 800}, 1000);
  const GraphRect bounds{g.GridX(0) + 10, g.GridY(0) + 1, g.GridX(10), g.GridY(10)};
  const auto box = [&](int32_t point, int32_t y) { return MarkerTextBox{g.X(point), y, 77, 34}; };
  std::vector<MarkerTextBox> boxes{box(400, 300), box(999, 300), box(0, 300),
                                   box(402, 300), box(405, 302), box(600, 8),
                                   box(2, 311),   box(4, 324)};
  LayOutMarkerTexts(boxes, bounds, kGlyph);
  // Where there is room a box is centred over its glyph, clear of it.
  EXPECT_EQ(boxes[0].left, g.X(400) - 38);
  EXPECT_LE(boxes[0].top + boxes[0].height, 300 - 12);
  // The last point's texts end at the right edge, the first point's start right of the scale.
  EXPECT_EQ(boxes[1].left + boxes[1].width, bounds.right);
  EXPECT_EQ(boxes[2].left, bounds.left);
  // A peak at the top has its texts under it.
  EXPECT_GT(boxes[5].top, 8);
  for (size_t k = 0; k < boxes.size(); ++k) {
    const MarkerTextBox& b = boxes[k];
    EXPECT_GE(b.left, bounds.left) << k;
    EXPECT_LE(b.left + b.width, bounds.right) << k;
    EXPECT_GE(b.top, bounds.top) << k;
    EXPECT_LE(b.top + b.height, bounds.bottom) << k;
    for (size_t o = 0; o < boxes.size(); ++o) {
      if (o < k) { EXPECT_FALSE(Overlap(b, boxes[o])) << k << " and " << o; }
      EXPECT_FALSE(CoversGlyph(b, boxes[o])) << k << " over the glyph of " << o;
    }
  }

  // Six ends on one point at the top of the plot still find six places.
  std::vector<MarkerTextBox> stack(6, box(500, 20));
  LayOutMarkerTexts(stack, bounds, kGlyph);
  for (size_t k = 0; k < stack.size(); ++k) {
    EXPECT_GE(stack[k].top, bounds.top);
    EXPECT_LE(stack[k].top + stack[k].height, bounds.bottom);
    for (size_t o = 0; o < k; ++o) EXPECT_FALSE(Overlap(stack[k], stack[o])) << k << " and " << o;
  }
}

}  // namespace
}  // namespace qv
