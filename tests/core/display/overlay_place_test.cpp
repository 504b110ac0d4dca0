#include "core/display/overlay_place.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace qv {
namespace {

bool Overlap(const GraphRect& a, const GraphRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A 1280 x 800 graph of 1000 points (plot x 60 ... 1157, y 5 ... 605) and a 400 x 40 alert box:
// a quiet band keeps it in the upper middle; a carrier rising through that place, a noise floor
// across the bottom and boxes already drawn push it to where nothing is hidden; one larger than
// the plot stays on it.
TEST(OverlayPlaceTest, TheBoxGoesWhereItHidesTheFewestTraceColumns) {
  const GraphGeometry g(GraphRect{0, 0, 1280, 800}, 1000);
  std::vector<int16_t> floor(1000, 550);
  const DrawnTrace trace{floor.data(), 1000};
  const GraphRect quiet = PlaceOverlay(g, 400, 40, {trace}, {});
  EXPECT_EQ(quiet.top, g.GridY(2));
  EXPECT_LE(std::abs(quiet.left + quiet.right - g.GridX(0) - g.GridX(10)), 1);
  EXPECT_EQ(quiet.right - quiet.left, 400);
  EXPECT_EQ(TraceColumnsIn(g, trace, quiet), 0);

  // A carrier 100 points wide in the middle whose top runs through the box's rows; a top above
  // them hides only its flanks.
  for (int j = 450; j < 550; ++j) floor[j] = static_cast<int16_t>(quiet.top + 10);
  EXPECT_GT(TraceColumnsIn(g, trace, quiet), 90);
  for (int j = 450; j < 550; ++j) floor[j] = 0;
  EXPECT_EQ(TraceColumnsIn(g, trace, quiet), 2);
  for (int j = 450; j < 550; ++j) floor[j] = static_cast<int16_t>(quiet.top + 10);
  const GraphRect moved = PlaceOverlay(g, 400, 40, {trace}, {});
  EXPECT_EQ(TraceColumnsIn(g, trace, moved), 0);
  EXPECT_EQ(moved.top, g.GridY(2));  // still in the upper third, beside the carrier
  EXPECT_LT(moved.right, g.X(449));

  // With the upper left taken as well, the upper right is next.
  const GraphRect right = PlaceOverlay(g, 400, 40, {trace}, {moved});
  EXPECT_FALSE(Overlap(right, moved));
  EXPECT_EQ(TraceColumnsIn(g, trace, right), 0);
  const DrawnTrace none{};
  EXPECT_EQ(TraceColumnsIn(g, none, right), 0);

  const GraphRect huge = PlaceOverlay(g, 5000, 5000, {trace}, {});
  EXPECT_EQ(huge.left, g.GridX(0));
  EXPECT_EQ(huge.top, g.GridY(0));
}

}  // namespace
}  // namespace qv
