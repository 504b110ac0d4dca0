#include "gui/app/window_place.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <QWidget>

namespace qv {
namespace {

ScreenRect ToScreenRect(const QRect& rect) {
  return ScreenRect{rect.x(), rect.y(), rect.width(), rect.height()};
}

}  // namespace

std::vector<ScreenRect> AvailableScreens() {
  std::vector<ScreenRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    screens.push_back(ToScreenRect(screen->availableGeometry()));
  }
  return screens;
}

void CentreOnParent(QWidget& window) {
  const QWidget* parent = window.parentWidget();
  if (parent == nullptr || !parent->window()->isVisible()) return;
  // Client areas: a window not shown yet has no frame to measure.
  const QWidget& over = *parent->window();
  const std::vector<ScreenRect> screens = AvailableScreens();
  const bool maximised = (over.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
  const ScreenRect place =
      CentreOn(CentreTarget(ToScreenRect(over.geometry()), maximised, screens), window.width(),
               window.height(), screens);
  window.setGeometry(place.x, place.y, place.width, place.height);
}

WindowPlacement::WindowPlacement(QWidget& main_window) : QObject(&main_window), main_(main_window) {
  qApp->installEventFilter(this);
}

void WindowPlacement::AddToolWindow(QWidget& window) {
  tools_.append(&window);
}

void WindowPlacement::AddKeepClear(QWidget& part) {
  keep_clear_.append(&part);
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
  // The show event comes before the window is mapped, with its size settled: placing it here
  // never shows it anywhere else first.
  if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
  auto* window = static_cast<QWidget*>(watched);
  if (!window->isWindow()) return false;
  if (tools_.contains(window)) {
    // Afterwards it opens where the user left it.
    if (!placed_.contains(window)) {
      placed_.append(window);
      PlaceBesideMain(*window);
    }
  } else if (qobject_cast<QDialog*>(window) != nullptr) {
    CentreOnParent(*window);
  }
  return false;
}

void WindowPlacement::PlaceBesideMain(QWidget& window) {
  if (!main_.isVisible()) return;
  // Frames count: a window not shown yet is given the main window's, and a title bar where a
  // window manager draws one even if the main window (maximised) shows none.
  const QRect main_frame = main_.frameGeometry();
  QMargins frame(main_.geometry().left() - main_frame.left(),
                 main_.geometry().top() - main_frame.top(),
                 main_frame.right() - main_.geometry().right(),
                 main_frame.bottom() - main_.geometry().bottom());
  const QString platform = QGuiApplication::platformName();
  if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
    frame.setTop(std::max(frame.top(), window.style()->pixelMetric(QStyle::PM_TitleBarHeight)));
  }
  const QSize frame_extra(frame.left() + frame.right(), frame.top() + frame.bottom());
  std::vector<ScreenRect> keep_clear;
  for (const QPointer<QWidget>& part : keep_clear_) {
    if (part != nullptr && part->isVisible()) {
      keep_clear.push_back(ToScreenRect(QRect(part->mapToGlobal(QPoint(0, 0)), part->size())));
    }
  }
  std::vector<ScreenRect> others;
  for (const QPointer<QWidget>& tool : tools_) {
    if (tool != nullptr && tool != &window && tool->isVisible()) {
      others.push_back(ToScreenRect(tool->frameGeometry()));
    }
  }
  const QSize size = window.size() + frame_extra;
  const ScreenRect place = PlaceBeside(ToScreenRect(main_frame), size.width(), size.height(),
                                       AvailableScreens(), others, keep_clear);
  // The client is placed itself: a window manager that puts the client where the frame was
  // asked for would hang the title bar over what lies above.
  window.setGeometry(place.x + frame.left(), place.y + frame.top(), window.width(),
                     window.height());
}

}  // namespace qv
