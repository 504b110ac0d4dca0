#pragma once

#include <cstdint>
#include <vector>

#include "core/ui/tab_geometry.h"

namespace qv {

// A rectangle in screen pixels: a window's place or a screen's available area.
using ScreenRect = TabRect;

// Where a new window of this size opens next to the main window: right of it, else left of it,
// else below it, wherever one of the screens has room for the whole window without covering
// the main window or the `others` already open; where nothing is free, the place on a screen
// that covers least of them. The rectangles are frames; with no screen, right of the main one.
ScreenRect PlaceBeside(const ScreenRect& main, int32_t width, int32_t height,
                       const std::vector<ScreenRect>& screens,
                       const std::vector<ScreenRect>& others);

// Centred on `parent`, then moved inside the screen that holds the parent's centre (else the
// one that holds most of it) as far as the window fits.
ScreenRect CentreOn(const ScreenRect& parent, int32_t width, int32_t height,
                    const std::vector<ScreenRect>& screens);

// The area two rectangles share.
int64_t OverlapArea(const ScreenRect& a, const ScreenRect& b);

}  // namespace qv
