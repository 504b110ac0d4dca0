#pragma once

#include <cstdint>
#include <vector>

namespace qv {

// Edge of the graph window a side-panel page docks to.
enum TabSide : int32_t { kTabLeft = 0, kTabRight = 1, kTabTop = 2, kTabBottom = 3 };

inline constexpr int32_t kTabDepth = 20;
inline constexpr int32_t kTabBorder = 2;
inline constexpr int32_t kTabInitialLength = 50;
inline constexpr int32_t kTabIconSize = 16;
inline constexpr int32_t kCloseBoxSize = 15;
inline constexpr int32_t kAutoHidePeriodMs = 500;

struct TabPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const TabPoint&, const TabPoint&) = default;
};

struct TabRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const TabRect&, const TabRect&) = default;
};

// The measures a page's outline is built from. Panel sizes are the page as designed, without
// the tab strip.
struct TabShape {
  int32_t side = kTabLeft;
  int32_t panel_width = 0;
  int32_t panel_height = 0;
  int32_t tab_depth = kTabDepth;
  int32_t tab_length = kTabInitialLength;
  int32_t border = kTabBorder;
  bool has_icon = false;
  bool close_box = true;
};

// Length of the tab along the edge for a title `title_width` pixels wide. Without a shown title
// the length stays `current_length`.
int32_t TabLength(const TabShape& shape, bool show_title, int32_t title_width,
                  int32_t current_length = kTabInitialLength);

// How long the panel is along the edge its tab lies on; the tab can be no longer.
int32_t TabEdgeLength(const TabShape& shape);
// A page shorter along that edge than its tab grows to the tab's length, so the title stays
// whole; a page is cut below that only to fit the graph (FitPanel).
TabRect PanelWithRoomForTab(const TabShape& shape);

// Size of the rendered title: what is left of the tab after the border, icon and close box.
TabRect TitleRect(const TabShape& shape);

// The window is the panel plus the tab strip on the side facing into the container.
TabRect WindowSize(const TabShape& shape);
// Where the panel sits inside the window.
TabPoint PanelOrigin(const TabShape& shape);

// The strip along the container's edge that a left or right page keeps free of controls: the
// other pages' tabs lie there, over the shown page, and would take its clicks.
int32_t EdgeGutter(const TabShape& shape);
// Where the controls sit inside the window: the panel less that strip.
TabRect ControlsRect(const TabShape& shape);

// Outline of the window, closed (the last vertex repeats the first).
std::vector<TabPoint> TabPolygon(const TabShape& shape);

// Top-left of the title inside the tab; for the left and right sides the title runs upwards
// from this point.
TabPoint TitleOrigin(const TabShape& shape);
// Where the icon goes when one is set.
TabPoint IconOrigin(const TabShape& shape);
TabRect CloseBoxRect(const TabShape& shape);

// Where a page sits with only its tab in view, given where it sits fully shown.
TabPoint HiddenPosition(const TabShape& shape, TabPoint shown);

// A docked container in the graph's client pixels.
struct TabContainer {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t bottom() const { return top + height; }
};

// The panel size of a page docked to the left or right edge of `container`: as designed when
// it fits beside its tab strip, else cut to the container. A cut page scrolls, and the bar that
// then appears across the cut adds `scroll_bar` pixels the other way where there is room.
TabRect FitPanel(int32_t designed_width, int32_t designed_height, int32_t tab_depth,
                 const TabContainer& container, int32_t scroll_bar);

// What one tab of a stack needs along its edge: its whole length, `title` pixels of it the title.
struct TabRun {
  int32_t length = 0;
  int32_t title = 0;
};

// How the tabs of one stack share an edge.
struct TabStackFit {
  double title_scale = 1;        // the titles' font shrinks by this factor
  std::vector<int32_t> lengths;  // each tab's length; together no longer than the edge
};

// Titles shrink no further than this; past it the tabs are cut and their titles elided.
inline constexpr double kMinTitleScale = 0.6;

// Tabs that fit the edge keep their lengths. Otherwise every title shrinks by one factor, so all
// stay whole and alike, and only when that is not enough are the tabs cut in proportion.
TabStackFit FitTabStack(const std::vector<TabRun>& tabs, int32_t edge);

// Shown and hidden positions of one page, sliding between them. The widget moves to position().
class TabPlacement {
 public:
  explicit TabPlacement(const TabShape& shape = {}) : shape_(shape) {}

  void SetShape(const TabShape& shape) { shape_ = shape; }
  const TabShape& shape() const { return shape_; }

  // Sides 2 and 3 start shown at the top of the container, the others at its left edge.
  void ResetShownPosition();

  // Docks to the left or right edge of `container` with the end of its tab `offset` pixels up
  // from its bottom, and leaves the page slid behind its tab. A page taller than the room above
  // that end shows lower down, whole inside the container; its tab stays in place while hidden.
  // Returns the offset for the next page above it.
  int32_t Dock(int32_t side, const TabContainer& container, int32_t offset);

  // No move when already hidden or already shown.
  void Hide();
  void Show();

  bool hidden() const { return hidden_; }
  TabPoint shown() const { return shown_; }
  void SetShown(TabPoint shown) { shown_ = tucked_ = shown; }
  TabPoint position() const { return position_; }

 private:
  TabShape shape_;
  TabPoint shown_;
  TabPoint tucked_;  // where the page would show with its tab in its place; hiding starts here
  TabPoint position_;
  bool hidden_ = false;
};

}  // namespace qv
