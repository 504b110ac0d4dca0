#pragma once

#include <QImage>

namespace qv {

inline constexpr int kMarkerGlyphSize = 12;
// Column of the glyph's tip: drawn this far left of the point, the tip marks it.
inline constexpr int kMarkerGlyphTip = 5;

// The 12 x 12 picture of end A or B of marker 1 ... 3, in the marker's colour on a transparent
// ground. A is a solid triangle pointing down at the trace, B an open one with a bar under it.
const QImage& MarkerGlyph(int marker, bool b_end);

}  // namespace qv
