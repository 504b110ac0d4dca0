#include "core/app/window_place.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace qv {
namespace {

using Rects = std::vector<ScreenRect>;

// A 600 x 400 window beside main windows of every shape, on one and on two screens; dialogs
// centred on theirs.
TEST(WindowPlaceTest, BesideTheMainWindowWhereThereIsRoomElseCoveringLeastDialogsCentred) {
  const Rects one = {{0, 0, 1920, 1080}};
  // Room on the right; a left half leaves it, level with the main window's top.
  EXPECT_EQ(PlaceBeside({0, 0, 1000, 700}, 600, 400, one, {}), (ScreenRect{1000, 0, 600, 400}));
  // No room on the right: left.
  EXPECT_EQ(PlaceBeside({800, 100, 1000, 700}, 600, 400, one, {}),
            (ScreenRect{200, 100, 600, 400}));
  // Neither side has 600 pixels: below.
  EXPECT_EQ(PlaceBeside({100, 0, 1700, 600}, 600, 400, one, {}), (ScreenRect{100, 600, 600, 400}));

  // Maximised: the right edge of the screen, and the next window under the first, not on it.
  const ScreenRect maximised{0, 0, 1920, 1080};
  const ScreenRect first = PlaceBeside(maximised, 600, 400, one, {});
  EXPECT_EQ(first, (ScreenRect{1320, 0, 600, 400}));
  EXPECT_EQ(PlaceBeside(maximised, 500, 300, one, {first}), (ScreenRect{1420, 400, 500, 300}));
  // A screen full of windows: the least covered place, still on the screen.
  const Rects taken = {first, {1420, 400, 500, 300}, {0, 0, 700, 1080}};
  const ScreenRect crowded = PlaceBeside(maximised, 600, 400, one, taken);
  EXPECT_EQ(OverlapArea(crowded, taken[0]) + OverlapArea(crowded, taken[1]) +
                OverlapArea(crowded, taken[2]),
            0);
  EXPECT_GE(crowded.x, 700);

  // A second screen on the right takes the window next to the maximised one.
  const Rects two = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  EXPECT_EQ(PlaceBeside(maximised, 600, 400, two, {}), (ScreenRect{1920, 0, 600, 400}));
  // A window larger than its screen keeps its top-left corner there; without screens: right.
  EXPECT_EQ(PlaceBeside({0, 0, 800, 600}, 1000, 700, {{0, 0, 800, 600}}, {}),
            (ScreenRect{0, 0, 1000, 700}));
  EXPECT_EQ(PlaceBeside({10, 20, 800, 600}, 300, 200, {}, {}), (ScreenRect{810, 20, 300, 200}));

  // Dialogs centred on their parent, inside its screen.
  EXPECT_EQ(CentreOn({40, 30, 720, 540}, 301, 200, one), (ScreenRect{249, 200, 301, 200}));
  // A parent hanging off the right edge: the dialog stays on the screen.
  EXPECT_EQ(CentreOn({1700, 100, 400, 300}, 300, 200, one), (ScreenRect{1620, 150, 300, 200}));
  // Larger than the screen: its top-left corner on it.
  EXPECT_EQ(CentreOn({0, 0, 1920, 1080}, 2000, 1200, one), (ScreenRect{0, 0, 2000, 1200}));
  EXPECT_EQ(CentreOn({1700, 100, 400, 300}, 300, 200, {}), (ScreenRect{1750, 150, 300, 200}));
}

// A maximised main window on a 1280 x 800 screen: the graph's windows must lie over it, but
// over its graph, never over its toolbar, status bar or the timeline's controls; a dialog of a
// maximised window is centred on its screen, whatever place the window reports.
TEST(WindowPlaceTest, OverAMaximisedWindowTheBarsAndControlsStayClear) {
  const Rects screen = {{0, 0, 1280, 800}};
  const ScreenRect main{0, 0, 1280, 800};
  const Rects bars = {{0, 20, 1280, 60}, {0, 700, 1280, 76}, {0, 776, 1280, 24}};
  Rects open;
  for (const auto& [width, height] : {std::pair{640, 420}, {560, 400}, {600, 300}}) {
    const ScreenRect place = PlaceBeside(main, width, height, screen, open, bars);
    for (const ScreenRect& bar : bars) EXPECT_EQ(OverlapArea(place, bar), 0) << width;
    EXPECT_EQ(OverlapArea(place, screen[0]), int64_t{width} * height) << width;
    open.push_back(place);
  }
  EXPECT_EQ(CentreTarget({0, 0, 1280, 800}, false, screen), (ScreenRect{0, 0, 1280, 800}));
  const Rects wide = {{0, 0, 1920, 1080}};
  EXPECT_EQ(CentreOn(CentreTarget({0, 0, 1280, 800}, true, wide), 300, 200, wide),
            (ScreenRect{810, 440, 300, 200}));
}

}  // namespace
}  // namespace qv
