#pragma once

#include <QImage>
#include <QStringList>

#include "gui/display/display.h"
#include "gui/display/graph_painter.h"

namespace qv {

// Collects the texts a repaint of the graph draws, in order.
class LegendTexts : public GraphTextLog {
 public:
  void Text(const QString& text, const QPoint&, const QColor&, const QFont&) override {
    texts << text;
  }
  QStringList texts;
};

// What the graph would draw now.
inline QStringList PaintedTexts(const CDisplay& display) {
  LegendTexts log;
  QImage image;
  display.PaintPicture(image, &log);
  return log.texts;
}

}  // namespace qv
