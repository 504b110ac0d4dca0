#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QToolBar>
#include <array>
#include <memory>

#include "core/app/alerts.h"
#include "core/app/timer.h"
#include "core/control/form_view_rules.h"

class QMenu;

namespace qv {
class CLinkLostBar;
}
class QDialog;
class QPrinter;

namespace qv {

class AppSettings;
class CAboutDialog;
class CManualWindow;
class CDisableRadioAlertDialog;
class CQuorvalinFormView;

// The program's top-level window: toolbar, status bar with its panes, the running-time clock,
// the File, View and Help menus, and the form view as its centre.
class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // Without settings of its own the frame lists no recent files and "Warnings" uses the
  // user's settings.
  CMainFrame(TimerFactory& timers, Alerts& alerts, bool tablet_mode, QWidget* parent = nullptr);
  CMainFrame(TimerFactory& timers, Alerts& alerts, bool tablet_mode, AppSettings& settings,
             QWidget* parent = nullptr);
  ~CMainFrame() override;

  static QString TitleFor(bool tablet_mode);
  // A touch screen makes this a tablet, as does asking for it.
  static bool DetectTabletMode(bool requested);

  bool TabletMode() const { return tablet_mode_; }
  CQuorvalinFormView& View() { return *view_; }
  QString PaneText(int pane_id) const;
  QAction* CommandAction(int toolbar_position) const { return actions_[toolbar_position]; }
  // The image index the button at this position shows.
  int ActionImage(int toolbar_position) const;
  QMenu* FileMenu() const { return file_menu_; }
  // Lists the side panels by their tab titles, checked while open; choosing a closed one brings
  // it back to its place on the graph's edge.
  QMenu* ViewMenu() const { return view_menu_; }
  // The row that reports a lost link and offers "Reconnect"; its actions are in this menu.
  CLinkLostBar* LinkLostBar() const { return link_lost_bar_; }
  QMenu* ConnectionMenu() const { return connection_menu_; }
  QPrinter& Printer() { return *printer_; }
  // File, "Print Setup...": the page set-up fitting the printer, opened modally without a
  // nested event loop; it deletes itself when closed.
  QDialog* PrintSetup();

  // Re-evaluates the toolbar's enable rules and swapped buttons from the view's state.
  void RefreshToolbar();
  // The same from a given state.
  void RefreshToolbar(const ViewFlags& flags, const ToolbarState& toolbar);

  // The radio interference alert, opened modally without a nested event loop; it deletes
  // itself when closed.
  CDisableRadioAlertDialog* OpenRadioAlert();
  // At start-up the alert appears unless the user switched it off; returns it when shown.
  CDisableRadioAlertDialog* OpenRadioAlertAtStartup();
  // Help > About, modal in the same way.
  CAboutDialog* OpenAbout();
  // Help > Manual (F1): one window, brought to the front when already open.
  CManualWindow* OpenManual();
  // The window-wide action of a command's key (see core/ui/command_keys.h), or null.
  QAction* KeyAction(int command) const { return key_actions_.value(command, nullptr); }

  // Puts a file at the top of the File menu's recent list.
  void AddRecentFile(const QString& path);
  QStringList RecentFiles() const;
  // Whether the logs and capture files recorded, played or reviewed go on the list; scripted
  // runs leave it as it was.
  void SetRecentFilesKept(bool kept) { recent_files_kept_ = kept; }
  // Plays a log or reviews a capture file from the list; one that is gone leaves it, with a word.
  void OpenRecentFile(const QString& path);

 signals:
  void RecentFileChosen(const QString& path);

 public slots:
  void SetPaneText(int pane_id, const QString& text);
  void StartRunningClock();
  void StopRunningClock();

 private:
  struct PrivateTag {};
  CMainFrame(TimerFactory& timers, Alerts& alerts, bool tablet_mode, AppSettings* settings,
             QWidget* parent, PrivateTag);

  void BuildToolbar();
  void BuildStatusBar();
  void BuildMenus();
  void BuildColourMapMenu();
  void BuildDensityMenu();
  void BuildChannelsMenu();
  void BuildKeys();
  void RunKeyCommand(int command);
  // Keeps the keys a widget uses itself (KeyStaysWithWidget) from firing the commands.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void RebuildRecentFiles();
  void RebuildViewMenu();
  void BuildReconnect();
  AppSettings& Settings();

  bool tablet_mode_;
  Alerts& alerts_;
  bool recent_files_kept_ = true;
  AppSettings* settings_;  // not owned; null until needed when none was given
  std::unique_ptr<AppSettings> own_settings_;
  std::unique_ptr<QPrinter> printer_;
  CQuorvalinFormView* view_;  // owned as the central widget
  QToolBar* toolbar_ = nullptr;
  std::array<QAction*, kToolbarButtons> actions_{};
  QMap<int, QLabel*> panes_;
  QMenu* file_menu_ = nullptr;
  QMenu* view_menu_ = nullptr;
  // Kept across rebuilds of the View menu, so their keys work with the menu closed.
  QAction* frequency_axis_action_ = nullptr;
  // View > Channels, its busy level and its span, all remembered.
  QAction* channels_action_ = nullptr;
  QMenu* channel_threshold_menu_ = nullptr;
  QMenu* channel_span_menu_ = nullptr;
  QMenu* colour_map_menu_ = nullptr;
  // View > Density and its persistence, both remembered.
  QAction* density_action_ = nullptr;
  QMenu* density_menu_ = nullptr;
  QList<QAction*> peak_actions_;
  QMap<int, QAction*> key_actions_;
  QPointer<CManualWindow> manual_;
  QAction* recent_anchor_ = nullptr;  // the recent entries go just above this separator
  QList<QAction*> recent_actions_;
  std::unique_ptr<Timer> running_timer_;  // main frame timer 1
  RunningClock running_clock_;
  CLinkLostBar* link_lost_bar_ = nullptr;
  QMenu* connection_menu_ = nullptr;
};

}  // namespace qv
