#include "gui/display/graph_paint_context.h"

#include <QFontMetrics>
#include <QHash>
#include <QStaticText>
#include <algorithm>
#include <vector>

#include "core/display/marker_layout.h"

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
  // Each step scales by what was measured, so a few steps suffice; a font that does not scale
  // stops them early instead of costing every repaint.
  int size = std::max(1, line_height);
  QFont font = GraphFont(size, char_width);
  for (int step = 0; step < 4; ++step) {
    const int height = QFontMetrics(font).height();
    if (height <= line_height || size <= 1) break;
    size = std::max(1, std::min(size - 1, size * line_height / height));
    font = GraphFont(size, char_width);
  }
  // Stretch comes in whole percent and rounds; bring a column's longest line within its room.
  const QString widest(kLegendRightChars, QLatin1Char('M'));
  const int room = kLegendRightChars * char_width;
  for (int step = 0; step < 4; ++step) {
    const int advance = QFontMetrics(font).horizontalAdvance(widest);
    if (advance <= room || font.stretch() <= 1) break;
    font.setStretch(std::max(1, std::min(font.stretch() - 1, font.stretch() * room / advance)));
  }
  return font;
}

namespace {

// Building a font and measuring it costs more than drawing a trace, and the sizes change only
// with the window: each is made once per size (painting is on the GUI thread only).
const QFont& CachedFont(int height, int width, QFont (*make)(int, int)) {
  struct Entry {
    QFont (*make)(int, int);
    int height;
    int width;
    QFont font;
  };
  static std::vector<Entry> cache;
  for (const Entry& e : cache) {
    if (e.make == make && e.height == height && e.width == width) return e.font;
  }
  if (cache.size() >= 64) cache.clear();  // a long series of window sizes
  cache.push_back({make, height, width, make(height, width)});
  return cache.back().font;
}

// Measuring a font costs about as much as making it: kept per font like the fonts.
const FontMeasure& Measure(const QFont& font) {
  struct Entry {
    QFont font;
    FontMeasure measure;
  };
  static std::vector<Entry> cache;
  for (const Entry& e : cache) {
    if (e.font == font) return e.measure;
  }
  if (cache.size() >= 16) cache.clear();
  const QFontMetrics metrics(font);
  // Digits, point and minus sign are all the scales draw.
  cache.push_back({font, FontMeasure{metrics.height(), metrics.horizontalAdvance(QLatin1Char('0')),
                                     metrics.horizontalAdvance(QStringLiteral("-000"))}});
  return cache.back().measure;
}

// Laying a text out costs far more than drawing it, and most texts of the graph are the same
// frame after frame: each (text, font) is laid out once.
const QStaticText& LaidOut(const QString& text, const QFont& font) {
  static QHash<QString, QStaticText> cache;
  if (cache.size() > 1024) cache.clear();  // values that change every sweep
  const QString key = font.key() + QLatin1Char('\x1f') + text;
  auto it = cache.find(key);
  if (it == cache.end()) {
    QStaticText laid_out(text);
    laid_out.setTextFormat(Qt::PlainText);
    laid_out.setPerformanceHint(QStaticText::AggressiveCaching);
    laid_out.prepare(QTransform(), font);
    it = cache.insert(key, laid_out);
  }
  return *it;
}

}  // namespace

GraphGeometry SceneGeometry(const GraphScene& scene) {
  return GraphGeometry(ToGraphRect(scene.area), scene.trace.StoredPoints(),
                       scene.window.y() + scene.window.height());
}

const QFont& AxisFont(int window_height) {
  // The row takes its height from the legend's room: in a short window a smaller font keeps
  // the legend's lines at a readable size.
  return CachedFont(std::clamp(window_height / 44, 11, 15), 7, &GraphFont);
}

int AxisRowHeight(const DisplayState& state, int window_height) {
  return state.frequency_axis ? Measure(AxisFont(window_height)).height : 0;
}

GraphPaintContext::GraphPaintContext(QPainter& p, QImage& img, const GraphScene& s,
                                     GraphTextLog* log)
    : painter(p),
      image(img),
      scene(s),
      trace(s.trace),
      state(s.state),
      texts(log),
      geometry(SceneGeometry(s)),
      window(ToGraphRect(s.window)) {
  const bool paper_white =
      state.printing && (state.print_colour_option == 2 || state.print_colour_option == 3);
  erase = paper_white ? QColor(Qt::white) : QColor(Qt::black);
  const int height = ViewHeight(s);
  const int width = window.right - window.left;
  legend_font = CachedFont(height / 25, width / 88, &GraphFont);
  medium_font = CachedFont(15, 10, &GraphFont);
  small_font = CachedFont(15, 7, &GraphFont);
  // Four characters ("-110") from x 25 end short of the plot's left edge at 60.
  scale_font = CachedFont(15, 8, &GraphFont);
  axis_font = AxisFont(height);
  medium_measure = Measure(medium_font);
  small_measure = Measure(small_font);
  scale_measure = Measure(scale_font);
  axis_measure = Measure(axis_font);
  scale_right = geometry.area.left + 25 + scale_measure.scale_width + 4;
  legend = LayOutLegend(window, geometry, scale_measure.height, AxisRowHeight(state, height));
  column_font = CachedFont(legend.pitch, legend.char_width, &FittedGraphFont);
}

void GraphPaintContext::Text(const QPoint& at, const QString& text, const QColor& colour,
                             const QFont& font) {
  if (texts) texts->Text(text, at, colour, font);
  painter.setFont(font);
  painter.setPen(colour);
  if (text.contains(QLatin1Char('\n'))) {
    painter.drawText(QRect(at, QSize(8192, 8192)),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    return;
  }
  painter.drawStaticText(at, LaidOut(text, font));
}

void GraphPaintContext::ShadeBox(int left, int top, int right, int bottom) {
  // Dark enough for the texts to read over a bright trace, light enough to leave it visible.
  static const QColor kShade(0, 0, 0, 150);
  painter.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
                   state.printing ? erase : kShade);
  Occupy(GraphRect{left, top, right, bottom});
}

void GraphPaintContext::Occupy(const GraphRect& box) {
  overlays.push_back(box);
  if (texts) texts->Placed(QRect(box.left, box.top, box.right - box.left, box.bottom - box.top));
}

GraphRect GraphPaintContext::PlotBounds() const {
  return GraphRect{std::max(geometry.GridX(0) + 1, scale_right), geometry.GridY(0) + 1,
                   geometry.GridX(10), geometry.GridY(10)};
}

GraphRect GraphPaintContext::PlaceText(const GraphRect& wanted) {
  const GraphRect placed = PlaceClear(wanted, PlotBounds(), overlays);
  Occupy(placed);
  return placed;
}

GraphRect GraphPaintContext::PlaceLines(const QPoint& at, const QStringList& lines,
                                        const QColor& colour, const QFont& font) {
  const QFontMetrics metrics(font);
  int width = 0;
  for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
  const int line = metrics.height();
  const int height = line * static_cast<int>(lines.size());
  const GraphRect box = PlaceText(GraphRect{at.x(), at.y(), at.x() + width, at.y() + height});
  for (int k = 0; k < lines.size(); ++k) Text(QPoint(box.left, box.top + k * line), lines[k], colour, font);
  return box;
}

}  // namespace qv
