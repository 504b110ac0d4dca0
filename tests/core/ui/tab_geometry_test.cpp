#include "core/ui/tab_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv {
namespace {

using Points = std::vector<TabPoint>;

// A 100 x 80 panel with a 30-pixel tab, 20 deep, border 2.
TabShape Shape(int32_t side) {
  TabShape shape;
  shape.side = side;
  shape.panel_width = 100;
  shape.panel_height = 80;
  shape.tab_length = 30;
  return shape;
}

TEST(TabGeometryTest, PolygonOfEachSide) {
  // clang-format off
  // Window 120 x 80, tab from y = 50 down to the bottom on the right.
  EXPECT_EQ(TabPolygon(Shape(kTabLeft)), (Points{{0, 0}, {98, 0}, {100, 2}, {100, 48}, {102, 50},
      {118, 50}, {120, 52}, {120, 77}, {117, 80}, {0, 80}, {0, 0}}));
  EXPECT_EQ(TabPolygon(Shape(kTabRight)), (Points{{2, 50}, {0, 52}, {0, 78}, {2, 80}, {120, 80},
      {120, 0}, {22, 0}, {20, 2}, {20, 48}, {18, 50}, {2, 50}}));
  // Window 100 x 100, tab 30 long at the left end.
  EXPECT_EQ(TabPolygon(Shape(kTabTop)), (Points{{0, 0}, {100, 0}, {100, 78}, {98, 80}, {32, 80},
      {30, 82}, {30, 98}, {28, 100}, {2, 100}, {0, 98}, {0, 0}}));
  EXPECT_EQ(TabPolygon(Shape(kTabBottom)), (Points{{0, 2}, {2, 0}, {28, 0}, {30, 2}, {30, 18},
      {32, 20}, {98, 20}, {100, 22}, {100, 100}, {0, 100}, {0, 2}}));
  // clang-format on
}

TEST(TabGeometryTest, WindowPanelOriginTitleAndCloseBox) {
  EXPECT_EQ(WindowSize(Shape(kTabLeft)), (TabRect{0, 0, 120, 80}));
  EXPECT_EQ(WindowSize(Shape(kTabBottom)), (TabRect{0, 0, 100, 100}));
  EXPECT_EQ(PanelOrigin(Shape(kTabLeft)), (TabPoint{0, 0}));
  EXPECT_EQ(PanelOrigin(Shape(kTabRight)), (TabPoint{20, 0}));
  EXPECT_EQ(PanelOrigin(Shape(kTabTop)), (TabPoint{0, 0}));
  EXPECT_EQ(PanelOrigin(Shape(kTabBottom)), (TabPoint{0, 20}));

  EXPECT_EQ(TitleOrigin(Shape(kTabLeft)), (TabPoint{102, 78}));
  EXPECT_EQ(TitleOrigin(Shape(kTabRight)), (TabPoint{2, 78}));
  EXPECT_EQ(TitleOrigin(Shape(kTabTop)), (TabPoint{2, 82}));
  EXPECT_EQ(TitleOrigin(Shape(kTabBottom)), (TabPoint{2, 2}));

  // The close box lies inside the tab, centred across its depth, at the far end of the title.
  EXPECT_EQ(CloseBoxRect(Shape(kTabLeft)), (TabRect{102, 52, 15, 15}));
  EXPECT_EQ(CloseBoxRect(Shape(kTabRight)), (TabRect{2, 52, 15, 15}));
  EXPECT_EQ(CloseBoxRect(Shape(kTabTop)), (TabRect{13, 82, 15, 15}));
  EXPECT_EQ(CloseBoxRect(Shape(kTabBottom)), (TabRect{13, 2, 15, 15}));

  // An icon pushes the title along the tab: up on the upright tabs, right on the others.
  TabShape with_icon = Shape(kTabLeft);
  with_icon.has_icon = true;
  EXPECT_EQ(IconOrigin(with_icon), (TabPoint{102, 62}));
  EXPECT_EQ(TitleOrigin(with_icon), (TabPoint{102, 60}));
  with_icon.side = kTabBottom;
  EXPECT_EQ(IconOrigin(with_icon), (TabPoint{2, 2}));
  EXPECT_EQ(TitleOrigin(with_icon), (TabPoint{20, 2}));
}

TEST(TabGeometryTest, TabLengthFollowsTheTitleAndThePanelMakesRoomForIt) {
  TabShape shape = Shape(kTabRight);
  // Close box 2 * 2 + 15, title 30, borders 3 * 2.
  EXPECT_EQ(TabLength(shape, true, 30), 55);
  shape.has_icon = true;
  EXPECT_EQ(TabLength(shape, true, 30), 71);
  shape.has_icon = false;
  shape.close_box = false;
  EXPECT_EQ(TabLength(shape, true, 30), 36);
  shape.close_box = true;
  // Without a shown title the length is left alone.
  EXPECT_EQ(TabLength(shape, false, 40, 50), 50);

  // A title longer than the 80-pixel panel height: the page grows along the tab's edge only,
  // however narrow it is across; a page long enough keeps its size.
  shape.tab_length = TabLength(shape, true, 200);
  EXPECT_EQ(shape.tab_length, 225);
  EXPECT_EQ(TabEdgeLength(shape), 80);
  EXPECT_EQ(PanelWithRoomForTab(shape), (TabRect{0, 0, 100, 225}));
  shape.side = kTabTop;
  EXPECT_EQ(TabEdgeLength(shape), 100);
  EXPECT_EQ(PanelWithRoomForTab(shape), (TabRect{0, 0, 225, 80}));
  shape.tab_length = 60;
  EXPECT_EQ(PanelWithRoomForTab(shape), (TabRect{0, 0, 100, 80}));
  shape.side = kTabRight;

  // The title fills exactly what the tab leaves for it.
  shape.tab_length = 55;
  EXPECT_EQ(TitleRect(shape), (TabRect{0, 0, 30, 16}));
  shape.tab_length = 10;
  EXPECT_EQ(TitleRect(shape).width, 0);
}

TEST(TabGeometryTest, HiddenPositionsLeaveOnlyTheTabInView) {
  EXPECT_EQ(HiddenPosition(Shape(kTabLeft), {0, 300}), (TabPoint{-100, 300}));
  EXPECT_EQ(HiddenPosition(Shape(kTabRight), {500, 300}), (TabPoint{600, 300}));
  EXPECT_EQ(HiddenPosition(Shape(kTabTop), {40, 0}), (TabPoint{40, -80}));
  EXPECT_EQ(HiddenPosition(Shape(kTabBottom), {40, 380}), (TabPoint{40, 460}));
}

TEST(TabPlacementTest, DocksUpTheEdgeWithTheRunningOffset) {
  const TabContainer container{0, 0, 800, 600};
  TabPlacement lower(Shape(kTabLeft));
  TabPlacement upper(Shape(kTabLeft));
  const int32_t after_lower = lower.Dock(kTabRight, container, 0);
  EXPECT_EQ(after_lower, 30);
  EXPECT_EQ(upper.Dock(kTabRight, container, after_lower), 60);

  EXPECT_EQ(lower.shape().side, kTabRight);
  EXPECT_EQ(lower.shown(), (TabPoint{680, 520}));
  EXPECT_EQ(lower.position(), (TabPoint{780, 520}));
  EXPECT_EQ(upper.shown(), (TabPoint{680, 490}));
  EXPECT_TRUE(lower.hidden());

  TabPlacement left(Shape(kTabRight));
  left.Dock(kTabLeft, container, 45);
  EXPECT_EQ(left.shown(), (TabPoint{0, 475}));
  EXPECT_EQ(left.position(), (TabPoint{-100, 475}));
}

TEST(TabPlacementTest, SlidesOnlyWhenTheStateChanges) {
  TabPlacement page(Shape(kTabRight));
  page.Dock(kTabRight, TabContainer{0, 0, 800, 600}, 0);
  page.Show();
  EXPECT_EQ(page.position(), (TabPoint{680, 520}));
  page.Hide();
  EXPECT_EQ(page.position(), (TabPoint{780, 520}));

  // The page was moved by hand while hidden: hiding again must not snap it back.
  page.SetShown({100, 100});
  page.Hide();
  EXPECT_EQ(page.position(), (TabPoint{780, 520}));
  page.Show();
  EXPECT_EQ(page.position(), (TabPoint{100, 100}));
  page.Show();
  EXPECT_FALSE(page.hidden());
}

TEST(TabPlacementTest, PagesAndTabsTooLargeForTheContainerAreFittedIntoIt) {
  const TabContainer container{0, 0, 800, 600};
  // 300 high with its tab ending 500 up: it shows from the top, its tab stays put while hidden.
  TabShape tall = Shape(kTabRight);
  tall.panel_height = 300;
  TabPlacement page(tall);
  page.Dock(kTabRight, container, 500);
  EXPECT_EQ(page.position(), (TabPoint{780, -200}));
  page.Show();
  EXPECT_EQ(page.position(), (TabPoint{680, 0}));
  page.Hide();
  EXPECT_EQ(page.position(), (TabPoint{780, -200}));

  // Cut to the container, the scroll bar added across the cut where it fits.
  EXPECT_EQ(FitPanel(100, 300, 20, container, 15), (TabRect{0, 0, 100, 300}));
  EXPECT_EQ(FitPanel(100, 700, 20, container, 15), (TabRect{0, 0, 115, 600}));
  EXPECT_EQ(FitPanel(790, 300, 20, container, 15), (TabRect{0, 0, 780, 315}));

  // Tabs of 25 pixels besides their titles: the titles shrink alike, then the tabs are cut.
  const std::vector<TabRun> tabs{{85, 60}, {125, 100}, {65, 40}};
  EXPECT_EQ(FitTabStack(tabs, 275).lengths, (std::vector<int32_t>{85, 125, 65}));
  const TabStackFit pressed = FitTabStack(tabs, 235);
  EXPECT_DOUBLE_EQ(pressed.title_scale, 0.8);
  EXPECT_EQ(pressed.lengths, (std::vector<int32_t>{73, 105, 57}));
  const TabStackFit cut = FitTabStack(tabs, 100);
  EXPECT_DOUBLE_EQ(cut.title_scale, kMinTitleScale);
  EXPECT_EQ(cut.lengths, (std::vector<int32_t>{31, 43, 25}));
}

}  // namespace
}  // namespace qv
