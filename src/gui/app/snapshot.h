#pragma once

#include <QImage>
#include <QString>
#include <string>

#include "core/display/display_state.h"
#include "gui/display/graph_painter.h"

namespace qv {

class CDisplay;

// A scene as a picture kept outside the window shows it: without the pointer's read-out.
struct StillScene {
  explicit StillScene(const GraphScene& live);
  StillScene(const StillScene&) = delete;
  StillScene& operator=(const StillScene&) = delete;

  DisplayState state;
  GraphScene scene;  // reads `state`
};

// The graph as drawn, rendered from the view itself at its size: plot, axes, legends and
// markers, nothing of the side panels or of windows lying over it, no pointer read-out. With
// no sweep mode set, the last picture the window keeps. Null for an empty graph.
QImage GraphSnapshot(CDisplay& display);

// Writes `image` as a 24-bit BMP, a JPEG or a PNG by the path's extension (BMP when it has none
// of them). False with the path and the reason in `error`.
bool SaveSnapshotImage(const QImage& image, const QString& path, std::string* error);

}  // namespace qv
