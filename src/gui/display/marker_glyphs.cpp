#include "gui/display/marker_glyphs.h"

#include <QColor>
#include <array>

#include "core/display/marker_record.h"

namespace qv {
namespace {

QImage DrawGlyph(QColor colour, bool b_end) {
  QImage glyph(kMarkerGlyphSize, kMarkerGlyphSize, QImage::Format_ARGB32);
  glyph.fill(Qt::transparent);
  const QRgb ink = colour.rgba();
  // Rows 0 ... 9 narrow from 11 columns to the one tip column above the trace, symmetric about
  // it so the tip marks the point.
  const int last = 2 * kMarkerGlyphTip;
  for (int row = 0; row < 10; ++row) {
    const int inset = row * kMarkerGlyphTip / 9;
    for (int x = inset; x <= last - inset; ++x) {
      const bool edge = row == 0 || x == inset || x == last - inset;
      if (!b_end || edge) glyph.setPixel(x, row, ink);
    }
  }
  if (b_end) {
    for (int x = 2; x <= last - 2; ++x) glyph.setPixel(x, 11, ink);
  }
  return glyph;
}

std::array<std::array<QImage, 2>, kMarkerCount> MakeGlyphs() {
  std::array<std::array<QImage, 2>, kMarkerCount> glyphs;
  for (int m = 0; m < kMarkerCount; ++m) {
    const Colour c = kMarkerConstants[m].colour;
    const QColor colour(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
    glyphs[m][0] = DrawGlyph(colour, false);
    glyphs[m][1] = DrawGlyph(colour, true);
  }
  return glyphs;
}

}  // namespace

const QImage& MarkerGlyph(int marker, bool b_end) {
  static const auto glyphs = MakeGlyphs();
  const int m = marker < 1 ? 0 : marker > kMarkerCount ? kMarkerCount - 1 : marker - 1;
  return glyphs[m][b_end ? 1 : 0];
}

}  // namespace qv
