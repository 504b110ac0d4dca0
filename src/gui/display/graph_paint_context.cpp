#include "gui/display/graph_paint_context.h"

#include <QFontMetrics>
#include <algorithm>

namespace qv {

QColor ToQColor(Colour colour) {
  return QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff);
}

GraphRect ToGraphRect(const QRect& r) {
  return GraphRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

QFont GraphFont(int height, int width) {
  QFont font(QStringLiteral("monospace"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(std::max(1, height));
  const int average = QFontMetrics(font).averageCharWidth();
  if (average > 0 && width > 0) font.setStretch(std::clamp(100 * width / average, 1, 4000));
  return font;
}

QFont FittedGraphFont(int line_height, int char_width) {
  // The pixel size sets the em; a line also holds the ascent above it and the descent below.
  int size = std::max(1, line_height);
  QFont font = GraphFont(size, char_width);
  const int first = QFontMetrics(font).height();
  if (first > line_height) {
    size = std::max(1, size * line_height / first);
    font = GraphFont(size, char_width);
  }
  while (size > 1 && QFontMetrics(font).height() > line_height)
    font = GraphFont(--size, char_width);
  // Stretch comes in whole percent; step it down until a column's longest line fits.
  const QString widest(kLegendRightChars, QLatin1Char('M'));
  while (font.stretch() > 1 &&
         QFontMetrics(font).horizontalAdvance(widest) > kLegendRightChars * char_width) {
    font.setStretch(font.stretch() - 1);
  }
  return font;
}

GraphPaintContext::GraphPaintContext(QPainter& p, QImage& img, const GraphScene& s,
                                     GraphTextLog* log)
    : painter(p),
      image(img),
      scene(s),
      trace(s.trace),
      state(s.state),
      texts(log),
      geometry(ToGraphRect(s.area), s.trace.StoredPoints()),
      window(ToGraphRect(s.window)) {
  const bool paper_white =
      state.printing && (state.print_colour_option == 2 || state.print_colour_option == 3);
  erase = paper_white ? QColor(Qt::white) : QColor(Qt::black);
  const int height = window.bottom - window.top;
  const int width = window.right - window.left;
  legend_font = GraphFont(height / 25, width / 88);
  medium_font = GraphFont(15, 10);
  small_font = GraphFont(15, 7);
  legend = LayOutLegend(window, geometry, QFontMetrics(medium_font).height());
  column_font = FittedGraphFont(legend.pitch, legend.char_width);
}

void GraphPaintContext::Text(const QPoint& at, const QString& text, const QColor& colour,
                             const QFont& font) {
  if (texts) texts->Text(text, at, colour, font);
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(QRect(at, QSize(8192, 8192)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                   text);
}

void GraphPaintContext::EraseBox(int left, int top, int right, int bottom) {
  painter.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), erase);
}

}  // namespace qv
