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
// Covering any of `keep_clear` (the main window's bars and controls) weighs far more than
// covering the rest of it, so a window that must lie over the main one lies over its graph.
ScreenRect PlaceBeside(const ScreenRect& main, int32_t width, int32_t height,
                       const std::vector<ScreenRect>& screens,
                       const std::vector<ScreenRect>& others,
                       const std::vector<ScreenRect>& keep_clear = {});

// What a dialog is centred on: its window, or for a maximised one the screen holding it (the
// window's own place may not have followed the maximising yet).
ScreenRect CentreTarget(const ScreenRect& window, bool maximised,
                        const std::vector<ScreenRect>& screens);

// Centred on `parent`, then moved inside the screen that holds the parent's centre (else the
// one that holds most of it) as far as the window fits.
ScreenRect CentreOn(const ScreenRect& parent, int32_t width, int32_t height,
                    const std::vector<ScreenRect>& screens);

// The area two rectangles share.
int64_t OverlapArea(const ScreenRect& a, const ScreenRect& b);

}  // namespace qv
