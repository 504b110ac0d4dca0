#include "gui/app/window_place.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QStatusBar>
#include <QToolBar>

#include "core/app/manual_clock.h"
#include "gui/app/app_settings.h"
#include "gui/app/form_view.h"
#include "gui/app/main_frame.h"
#include "gui/app/qt_alerts.h"
#include "gui/app/radio_alert_dialog.h"
#include "gui/display/display.h"
#include "gui/display/histogram_dialog.h"
#include "gui/display/spectrogram_dialog.h"
#include "gui/record/recording_controller.h"
#include "gui/record/time_marker_dialog.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

QList<QMessageBox*> BoxesUp() {
  QList<QMessageBox*> up;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(window); box != nullptr && box->isVisible()) {
      up.append(box);
    }
  }
  return up;
}

class WindowPlaceTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  AppSettings settings_{dir_.filePath(QStringLiteral("settings.ini"))};
  ManualClock clock_;
  RecordingAlerts alerts_;
};

// On a screen with room on the right of the main window: the graph's windows open there, the
// second under the first, and later where the user left them; a dialog opens centred on its
// window.
TEST_F(WindowPlaceTest, GraphWindowsOpenBesideTheMainWindowDialogsCentredOnIt) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  CMainFrame frame(clock_, alerts_, false, settings_);
  frame.setMinimumSize(0, 0);
  frame.setGeometry(screen.x(), screen.y(), screen.width() / 4, screen.height() / 2);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  CDisplay& display = frame.View().Display();
  const QRect main = frame.frameGeometry();

  display.Spectrogram().show();
  const QRect spectrogram = display.Spectrogram().frameGeometry();
  EXPECT_EQ(spectrogram.topLeft(), QPoint(main.right() + 1, main.top()));
  display.Histogram().show();
  const QRect histogram = display.Histogram().frameGeometry();
  EXPECT_FALSE(histogram.intersects(main));
  EXPECT_FALSE(histogram.intersects(spectrogram));
  EXPECT_TRUE(screen.contains(histogram));

  display.Spectrogram().hide();
  display.Spectrogram().move(spectrogram.topLeft() + QPoint(7, 9));
  display.Spectrogram().show();
  EXPECT_EQ(display.Spectrogram().pos(), spectrogram.topLeft() + QPoint(7, 9));

  QDialog dialog(&frame.View());
  dialog.resize(151, 97);
  dialog.show();
  EXPECT_EQ(dialog.geometry().center(), frame.geometry().center());
}

// The main window fills the screen: the graph's windows lie over its graph, clear of its
// toolbar, its status bar and the timeline under the graph.
TEST_F(WindowPlaceTest, OverAFullMainWindowTheBarsAndTheTimelineStayClear) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  CMainFrame frame(clock_, alerts_, false, settings_);
  frame.setMinimumSize(0, 0);
  frame.setGeometry(screen);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  frame.View().Timeline().show();
  QApplication::processEvents();
  CDisplay& display = frame.View().Display();
  QWidget* windows[] = {&display.Spectrogram(), &display.Histogram(),
                        &display.Recorder().TimeMarkers()};
  for (QWidget* window : windows) window->resize(window->size().boundedTo(screen.size() / 3));
  const auto global = [](const QWidget* part) {
    return QRect(part->mapToGlobal(QPoint(0, 0)), part->size());
  };
  for (QWidget* window : windows) {
    window->show();
    const QRect place = window->frameGeometry();
    EXPECT_FALSE(place.intersects(global(frame.statusBar()))) << window->windowTitle().toStdString();
    EXPECT_FALSE(place.intersects(global(&frame.View().Timeline())))
        << window->windowTitle().toStdString();
    for (const QToolBar* bar : frame.findChildren<QToolBar*>()) {
      if (bar->isVisible()) { EXPECT_FALSE(place.intersects(global(bar))); }
    }
  }
}

// A dialog of a maximised window is centred on its screen, even while the window still
// reports the place it had before.
TEST_F(WindowPlaceTest, ADialogOfAMaximisedWindowIsCentredOnItsScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  QWidget main;
  main.setGeometry(screen.x(), screen.y(), screen.width() / 3, screen.height() / 3);
  main.show();
  // Maximised, as the window manager has not answered yet.
  main.overrideWindowState(Qt::WindowMaximized);
  QDialog dialog(&main);
  dialog.resize(101, 61);
  CentreOnParent(dialog);
  EXPECT_EQ(dialog.geometry().center(), screen.center());
}

// The radio alert is up at start-up and the settings could not be read: the message waits for
// the alert's OK; a second message while the first box is up waits for that one. Each box opens
// centred on the main window, never two at once.
TEST_F(WindowPlaceTest, MessageBoxesComeOneAtATimeAfterTheRadioAlert) {
  CMainFrame frame(clock_, alerts_, false, settings_);
  frame.setMinimumSize(0, 0);
  frame.setGeometry(40, 30, 500, 400);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  QtAlerts alerts(&frame);
  QPointer<CDisableRadioAlertDialog> radio = frame.OpenRadioAlert();

  // Answers each box once it has been seen, noting what else was up with it.
  QStringList seen;
  qsizetype most_at_once = 0;
  bool over_radio = false;
  bool centred = true;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    const QList<QMessageBox*> up = BoxesUp();
    most_at_once = std::max(most_at_once, up.size());
    for (QMessageBox* box : up) {
      if (seen.contains(box->text())) {
        box->accept();
        continue;
      }
      seen << box->text();
      over_radio = over_radio || (radio != nullptr && radio->isVisible());
      centred = centred && box->geometry().center() == frame.geometry().center();
      if (seen.size() == 1) {
        QTimer::singleShot(0, &frame, [&alerts] {
          alerts.Show("CF Card has been removed", "CF Card Removal Alert !");
        });
      }
    }
  });
  answer.start(5);
  alerts.Show("The settings file was damaged.", "Settings Not Read");
  EXPECT_TRUE(seen.isEmpty());
  radio->OkButton()->click();
  QTRY_COMPARE(seen.size(), 2);
  QTRY_VERIFY(BoxesUp().isEmpty());
  EXPECT_EQ(seen, QStringList({QStringLiteral("The settings file was damaged."),
                               QStringLiteral("CF Card has been removed")}));
  EXPECT_EQ(most_at_once, 1);
  EXPECT_FALSE(over_radio);
  EXPECT_TRUE(centred);
}

}  // namespace
}  // namespace qv
