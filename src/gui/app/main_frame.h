#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QToolBar>
#include <array>
#include <memory>

#include "core/app/alerts.h"
#include "core/app/timer.h"
#include "core/control/form_view_rules.h"

namespace qv {

class CQuorvalinFormView;

// The program's top-level window: toolbar, status bar with its panes, the running-time clock,
// and the form view as its centre.
class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  CMainFrame(TimerFactory& timers, Alerts& alerts, bool tablet_mode, QWidget* parent = nullptr);
  ~CMainFrame() override;

  static QString TitleFor(bool tablet_mode);

  CQuorvalinFormView& View() { return *view_; }
  QString PaneText(int pane_id) const;
  QAction* CommandAction(int toolbar_position) const { return actions_[toolbar_position]; }

  // Re-evaluates the toolbar's enable rules and swapped buttons.
  void RefreshToolbar();

 public slots:
  void SetPaneText(int pane_id, const QString& text);
  void StartRunningClock();
  void StopRunningClock();

 private:
  void BuildToolbar();
  void BuildStatusBar();
  void BuildMenus();

  CQuorvalinFormView* view_;  // owned as the central widget
  QToolBar* toolbar_ = nullptr;
  std::array<QAction*, kToolbarButtons> actions_{};
  QMap<int, QLabel*> panes_;
  std::unique_ptr<Timer> running_timer_;  // main frame timer 1
  RunningClock running_clock_;
};

}  // namespace qv
