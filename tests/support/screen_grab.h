#pragma once

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace qv {

// What the screen shows of `widget` (whatever covers it), clipped to the screen; where the
// platform gives no screen pixels, the widget rendered, clipped the same way.
inline QImage GrabScreenArea(QWidget& widget) {
  QScreen* screen = widget.screen() != nullptr ? widget.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr || widget.size().isEmpty()) return QImage();
  const QRect on_screen(widget.mapToGlobal(QPoint(0, 0)), widget.size());
  const QRect visible = on_screen & screen->geometry();
  if (visible.isEmpty()) return QImage();
  const QPixmap shot = screen->grabWindow(0, visible.x() - screen->geometry().x(),
                                          visible.y() - screen->geometry().y(), visible.width(),
                                          visible.height());
  if (!shot.isNull() && shot.size() == visible.size()) return shot.toImage();
  return widget.grab(QRect(visible.topLeft() - on_screen.topLeft(), visible.size())).toImage();
}

}  // namespace qv
