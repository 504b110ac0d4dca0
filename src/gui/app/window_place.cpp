#include "gui/app/window_place.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
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
  const ScreenRect place = CentreOn(ToScreenRect(parent->window()->geometry()), window.width(),
                                    window.height(), AvailableScreens());
  window.setGeometry(place.x, place.y, place.width, place.height);
}

WindowPlacement::WindowPlacement(QWidget& main_window) : QObject(&main_window), main_(main_window) {
  qApp->installEventFilter(this);
}

void WindowPlacement::AddToolWindow(QWidget& window) {
  tools_.append(&window);
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
  // Frames count: a window not shown yet is given the main window's.
  const QRect main_frame = main_.frameGeometry();
  const QSize frame_extra = main_frame.size() - main_.geometry().size();
  std::vector<ScreenRect> others;
  for (const QPointer<QWidget>& tool : tools_) {
    if (tool != nullptr && tool != &window && tool->isVisible()) {
      others.push_back(ToScreenRect(tool->frameGeometry()));
    }
  }
  const QSize size = window.size() + frame_extra;
  const ScreenRect place = PlaceBeside(ToScreenRect(main_frame), size.width(), size.height(),
                                       AvailableScreens(), others);
  window.move(place.x, place.y);  // a window's position is its frame's
}

}  // namespace qv
