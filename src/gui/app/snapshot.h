#pragma once

#include <QImage>
#include <QString>
#include <string>

class QWidget;

namespace qv {

// The widget's area as it is on the screen, whatever covers it, clipped to the screen. Where the
// platform gives no screen pixels (offscreen, Wayland) the widget renders itself, clipped the
// same way. Null for an empty or wholly off-screen area.
QImage GrabScreenArea(QWidget& widget);

// Writes `image` as a 24-bit BMP, a JPEG or a PNG by the path's extension (BMP when it has none
// of them). False with the path and the reason in `error`.
bool SaveSnapshotImage(const QImage& image, const QString& path, std::string* error);

}  // namespace qv
