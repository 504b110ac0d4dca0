#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <vector>

#include "core/app/window_place.h"

class QWidget;

namespace qv {

// The available areas of all screens.
std::vector<ScreenRect> AvailableScreens();

// Centres a window on the window its parent belongs to, inside that screen; without a parent
// it stays where it is.
void CentreOnParent(QWidget& window);

// Where the program's windows open: every dialog centred on the window it belongs to, each
// time it is shown; the graph's own windows beside the main window the first time, clear of
// each other where the screens allow. Watches the whole application while it lives.
class WindowPlacement : public QObject {
 public:
  explicit WindowPlacement(QWidget& main_window);

  // A window of the graph (spectrogram, histogram, time markers).
  void AddToolWindow(QWidget& window);
  // A part of the main window those windows keep clear of while it shows (its bars, the
  // timeline's controls), even where they must lie over the main window.
  void AddKeepClear(QWidget& part);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlaceBesideMain(QWidget& window);

  QWidget& main_;
  QList<QPointer<QWidget>> tools_;
  QList<QPointer<QWidget>> keep_clear_;
  QList<QPointer<QWidget>> placed_;
};

}  // namespace qv
