#include "core/app/window_place.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace qv {
namespace {

int64_t Right(const ScreenRect& r) {
  return int64_t{r.x} + r.width;
}

int64_t Bottom(const ScreenRect& r) {
  return int64_t{r.y} + r.height;
}

// A window at (x, y) moved inside the screen as far as it fits; one larger than the screen
// keeps its top-left corner on it, where its title bar is.
ScreenRect Inside(int64_t x, int64_t y, int32_t width, int32_t height, const ScreenRect& screen) {
  x = std::clamp<int64_t>(x, screen.x, std::max<int64_t>(screen.x, Right(screen) - width));
  y = std::clamp<int64_t>(y, screen.y, std::max<int64_t>(screen.y, Bottom(screen) - height));
  return ScreenRect{static_cast<int32_t>(x), static_cast<int32_t>(y), width, height};
}

// The screen that holds the window's centre, else the one holding most of it; null when none
// holds any of it.
const ScreenRect* ScreenOf(const ScreenRect& window, const std::vector<ScreenRect>& screens) {
  const int64_t cx = window.x + int64_t{window.width} / 2;
  const int64_t cy = window.y + int64_t{window.height} / 2;
  for (const ScreenRect& screen : screens) {
    if (cx >= screen.x && cx < Right(screen) && cy >= screen.y && cy < Bottom(screen)) {
      return &screen;
    }
  }
  const ScreenRect* best = nullptr;
  int64_t most = 0;
  for (const ScreenRect& screen : screens) {
    if (const int64_t area = OverlapArea(window, screen); area > most) {
      most = area;
      best = &screen;
    }
  }
  return best;
}

}  // namespace

int64_t OverlapArea(const ScreenRect& a, const ScreenRect& b) {
  const int64_t w = std::min(Right(a), Right(b)) - std::max(a.x, b.x);
  const int64_t h = std::min(Bottom(a), Bottom(b)) - std::max(a.y, b.y);
  return w > 0 && h > 0 ? w * h : 0;
}

ScreenRect PlaceBeside(const ScreenRect& main, int32_t width, int32_t height,
                       const std::vector<ScreenRect>& screens,
                       const std::vector<ScreenRect>& others,
                       const std::vector<ScreenRect>& keep_clear) {
  // Any pixel of a bar or control covered costs more than a whole graph.
  constexpr int64_t kKeepClearWeight = int64_t{1} << 24;
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (screens.empty()) return ScreenRect{static_cast<int32_t>(Right(main)), main.y, width, height};

  // The wanted places in order: right of the main window, left of it (level with its top or
  // under a window already there), below it; then every corner the screens, the main window and
  // the others line up, for the least covering place.
  std::vector<std::pair<int64_t, int64_t>> places;
  std::vector<int64_t> side_tops{main.y};
  std::vector<int64_t> below_lefts{main.x};
  for (const ScreenRect& other : others) {
    side_tops.push_back(Bottom(other));
    below_lefts.push_back(Right(other));
  }
  for (const int64_t x : {Right(main), int64_t{main.x} - width}) {
    for (const int64_t y : side_tops) places.emplace_back(x, y);
  }
  for (const int64_t x : below_lefts) places.emplace_back(x, Bottom(main));
  std::vector<const ScreenRect*> edges{&main};
  for (const ScreenRect& screen : screens) edges.push_back(&screen);
  for (const ScreenRect& other : others) edges.push_back(&other);
  for (const ScreenRect& control : keep_clear) edges.push_back(&control);
  for (const ScreenRect* rx : edges) {
    for (const int64_t x :
         {int64_t{rx->x}, Right(*rx), int64_t{rx->x} - width, Right(*rx) - width}) {
      for (const ScreenRect* ry : edges) {
        for (const int64_t y :
             {int64_t{ry->y}, Bottom(*ry), int64_t{ry->y} - height, Bottom(*ry) - height}) {
          places.emplace_back(x, y);
        }
      }
    }
  }

  // The main window's own screen is tried first, so a tie stays next to it.
  std::vector<const ScreenRect*> order;
  const ScreenRect* home = ScreenOf(main, screens);
  if (home != nullptr) order.push_back(home);
  for (const ScreenRect& screen : screens) {
    if (&screen != home) order.push_back(&screen);
  }

  ScreenRect best{};
  int64_t least = std::numeric_limits<int64_t>::max();
  for (const auto& [x, y] : places) {
    for (const ScreenRect* screen : order) {
      const ScreenRect place = Inside(x, y, width, height, *screen);
      int64_t covered = OverlapArea(place, main);
      for (const ScreenRect& other : others) covered += OverlapArea(place, other);
      for (const ScreenRect& control : keep_clear) {
        covered += kKeepClearWeight * OverlapArea(place, control);
      }
      if (covered < least) {
        least = covered;
        best = place;
        if (covered == 0) return best;
      }
    }
  }
  return best;
}

ScreenRect CentreTarget(const ScreenRect& window, bool maximised,
                        const std::vector<ScreenRect>& screens) {
  if (!maximised) return window;
  const ScreenRect* screen = ScreenOf(window, screens);
  return screen != nullptr ? *screen : window;
}

ScreenRect CentreOn(const ScreenRect& parent, int32_t width, int32_t height,
                    const std::vector<ScreenRect>& screens) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  // Centres as QRect reads them, so a test comparing the two sees the same pixel.
  const int64_t cx = parent.x + (int64_t{parent.width} - 1) / 2;
  const int64_t cy = parent.y + (int64_t{parent.height} - 1) / 2;
  const int64_t x = cx - (int64_t{width} - 1) / 2;
  const int64_t y = cy - (int64_t{height} - 1) / 2;
  if (const ScreenRect* screen = ScreenOf(parent, screens)) {
    return Inside(x, y, width, height, *screen);
  }
  return ScreenRect{static_cast<int32_t>(x), static_cast<int32_t>(y), width, height};
}

}  // namespace qv
