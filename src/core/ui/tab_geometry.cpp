#include "core/ui/tab_geometry.h"

#include <algorithm>

namespace qv {
namespace {

bool Vertical(const TabShape& shape) {
  return shape.side == kTabLeft || shape.side == kTabRight;
}

// Room the close box takes along the tab, with its borders.
int32_t CloseBoxRoom(const TabShape& shape) {
  return shape.close_box ? 2 * shape.border + kCloseBoxSize : 0;
}

}  // namespace

int32_t TabLength(const TabShape& shape, bool show_title, int32_t title_width,
                  int32_t current_length) {
  int32_t length = current_length;
  if (show_title) {
    length = 0;
    if (shape.has_icon) length += kTabIconSize;
    length += CloseBoxRoom(shape);
    length += title_width + 3 * shape.border;
  }
  return length;
}

int32_t TabEdgeLength(const TabShape& shape) {
  return Vertical(shape) ? shape.panel_height : shape.panel_width;
}

TabRect PanelWithRoomForTab(const TabShape& shape) {
  TabRect panel{0, 0, shape.panel_width, shape.panel_height};
  if (Vertical(shape)) {
    panel.height = std::max(panel.height, shape.tab_length);
  } else {
    panel.width = std::max(panel.width, shape.tab_length);
  }
  return panel;
}

TabRect TitleRect(const TabShape& shape) {
  int32_t width = shape.tab_length - 3 * shape.border;
  if (shape.has_icon) width -= kTabIconSize;
  width -= CloseBoxRoom(shape);
  return TabRect{0, 0, std::max(width, 0), std::max(shape.tab_depth - 2 * shape.border, 0)};
}

TabRect WindowSize(const TabShape& shape) {
  if (Vertical(shape))
    return TabRect{0, 0, shape.panel_width + shape.tab_depth, shape.panel_height};
  return TabRect{0, 0, shape.panel_width, shape.panel_height + shape.tab_depth};
}

TabPoint PanelOrigin(const TabShape& shape) {
  if (shape.side == kTabRight) return TabPoint{shape.tab_depth, 0};
  if (shape.side == kTabBottom) return TabPoint{0, shape.tab_depth};
  return TabPoint{0, 0};
}

int32_t EdgeGutter(const TabShape& shape) {
  return Vertical(shape) ? shape.tab_depth : 0;
}

TabRect ControlsRect(const TabShape& shape) {
  const TabPoint origin = PanelOrigin(shape);
  const int32_t gutter = std::min(EdgeGutter(shape), shape.panel_width);
  // A left page's strip is its panel's left end; a right page's, the right end.
  const int32_t x = origin.x + (shape.side == kTabLeft ? gutter : 0);
  return TabRect{x, origin.y, shape.panel_width - gutter, shape.panel_height};
}

std::vector<TabPoint> TabPolygon(const TabShape& s) {
  const TabRect window = WindowSize(s);
  const int32_t W = window.width;
  const int32_t H = window.height;
  const int32_t T = s.tab_depth;
  const int32_t L = s.tab_length;
  const int32_t B = s.border;
  const int32_t b = Vertical(s) ? s.panel_height - L : s.panel_width - L;
  switch (s.side) {
    case kTabLeft:
      return {{0, 0},         {W - T - B, 0}, {W - T, B}, {W - T, b - B},
              {W - T + B, b}, {W - B, b},     {W, b + B}, {W, H - B - 1},
              {W - B - 1, H}, {0, H},         {0, 0}};
    case kTabRight:
      return {{B, b},     {0, b + B}, {0, H - B}, {B, H},     {W, H}, {W, 0},
              {T + B, 0}, {T, B},     {T, b - B}, {T - B, b}, {B, b}};
    case kTabTop:
      return {{0, 0},         {W, 0},         {W, H - B - T}, {W - B, H - T},
              {L + B, H - T}, {L, H - T + B}, {L, H - B},     {L - B, H},
              {B, H},         {0, H - B},     {0, 0}};
    default:
      return {{0, B},     {B, 0},     {L - B, 0}, {L, B}, {L, T - B}, {L + B, T},
              {W - B, T}, {W, T + B}, {W, H},     {0, H}, {0, B}};
  }
}

TabPoint TitleOrigin(const TabShape& s) {
  const TabRect window = WindowSize(s);
  const int32_t W = window.width;
  const int32_t H = window.height;
  TabPoint origin;
  switch (s.side) {
    case kTabLeft:
      origin = {W - s.tab_depth + s.border, H - s.border};
      break;
    case kTabRight:
      origin = {s.border, H - s.border};
      break;
    case kTabTop:
      origin = {s.border, H - s.tab_depth + s.border};
      break;
    default:
      origin = {s.border, s.border};
      break;
  }
  if (!s.has_icon) return origin;
  // The icon takes the start of the tab; the title follows it along the tab.
  const int32_t step = kTabIconSize + s.border;
  if (Vertical(s)) return TabPoint{origin.x, origin.y - step};
  return TabPoint{origin.x + step, origin.y};
}

TabPoint IconOrigin(const TabShape& s) {
  TabShape plain = s;
  plain.has_icon = false;
  const TabPoint origin = TitleOrigin(plain);
  // On the upright tabs the title runs upwards from its origin, so the icon sits above it.
  if (Vertical(s)) return TabPoint{origin.x, origin.y - kTabIconSize};
  return origin;
}

TabRect CloseBoxRect(const TabShape& s) {
  const TabRect window = WindowSize(s);
  const int32_t across = (s.tab_depth - kCloseBoxSize) / 2;
  switch (s.side) {
    case kTabLeft:
      return {window.width - s.tab_depth + across, s.panel_height - s.tab_length + s.border,
              kCloseBoxSize, kCloseBoxSize};
    case kTabRight:
      return {across, s.panel_height - s.tab_length + s.border, kCloseBoxSize, kCloseBoxSize};
    case kTabTop:
      return {s.tab_length - s.border - kCloseBoxSize, window.height - s.tab_depth + across,
              kCloseBoxSize, kCloseBoxSize};
    default:
      return {s.tab_length - s.border - kCloseBoxSize, across, kCloseBoxSize, kCloseBoxSize};
  }
}

TabPoint HiddenPosition(const TabShape& s, TabPoint shown) {
  const TabRect window = WindowSize(s);
  switch (s.side) {
    case kTabLeft:
      return {s.tab_depth + shown.x - window.width, shown.y};
    case kTabRight:
      return {window.width + shown.x - s.tab_depth, shown.y};
    case kTabTop:
      return {shown.x, s.tab_depth + shown.y - window.height};
    default:
      return {shown.x, window.height + shown.y - s.tab_depth};
  }
}

TabRect FitPanel(int32_t designed_width, int32_t designed_height, int32_t tab_depth,
                 const TabContainer& container, int32_t scroll_bar) {
  const int32_t max_width = std::max(container.width - tab_depth, 1);
  const int32_t max_height = std::max(container.height, 1);
  int32_t width = designed_width;
  int32_t height = designed_height;
  if (height > max_height) {
    height = max_height;
    width += scroll_bar;
  }
  if (width > max_width) {
    width = max_width;
    height = std::min(height + scroll_bar, max_height);
  }
  return TabRect{0, 0, width, height};
}

TabStackFit FitTabStack(const std::vector<TabRun>& tabs, int32_t edge) {
  TabStackFit fit;
  int64_t total = 0;
  int64_t titles = 0;
  for (const TabRun& tab : tabs) {
    fit.lengths.push_back(tab.length);
    total += tab.length;
    titles += tab.title;
  }
  if (total <= edge) return fit;

  const int64_t rest = total - titles;
  fit.title_scale =
      titles > 0 ? std::clamp(static_cast<double>(edge - rest) / titles, kMinTitleScale, 1.0) : 1.0;
  total = 0;
  for (size_t i = 0; i < tabs.size(); ++i) {
    fit.lengths[i] =
        tabs[i].length - tabs[i].title + static_cast<int32_t>(tabs[i].title * fit.title_scale);
    total += fit.lengths[i];
  }
  if (total <= edge) return fit;
  for (int32_t& length : fit.lengths) {
    length = static_cast<int32_t>(length * std::max<int64_t>(edge, 0) / total);
  }
  return fit;
}

void TabPlacement::ResetShownPosition() {
  if (Vertical(shape_)) {
    shown_.x = 0;
  } else {
    shown_.y = 0;
  }
  tucked_ = shown_;
}

int32_t TabPlacement::Dock(int32_t side, const TabContainer& container, int32_t offset) {
  shape_.side = side == kTabRight ? kTabRight : kTabLeft;
  const TabRect window = WindowSize(shape_);
  tucked_.y = container.bottom() - window.height - offset;
  tucked_.x = shape_.side == kTabLeft ? 0 : container.width - window.width;
  shown_ = TabPoint{tucked_.x, std::max(container.top, tucked_.y)};
  // Docking leaves only the tab in view, so the page counts as hidden from here on.
  position_ = HiddenPosition(shape_, tucked_);
  hidden_ = true;
  return offset + shape_.tab_length;
}

void TabPlacement::Hide() {
  if (hidden_) return;
  position_ = HiddenPosition(shape_, tucked_);
  hidden_ = true;
}

void TabPlacement::Show() {
  if (!hidden_) return;
  position_ = shown_;
  hidden_ = false;
}

}  // namespace qv
