#pragma once

#include <QIcon>
#include <QImage>

namespace qv {

// The toolbar's pictures, drawn in code: 0..13 the idle buttons in bar order, 14 selection
// on, 15 pause, 16 and 17 fast forward and fast rewind while running.
inline constexpr int kToolbarImages = 18;
inline constexpr int kToolbarImageSize = 24;

QImage ToolbarImage(int image_index);
QIcon ToolbarIcon(int image_index);

// The main window's icon: a small trace on a screen.
QIcon ApplicationIcon();

}  // namespace qv
