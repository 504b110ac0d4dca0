#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <string>

#include "core/app/alerts.h"
#include "core/app/file_chooser.h"
#include "core/app/remembered_settings.h"
#include "core/app/timer.h"
#include "core/control/form_view_rules.h"
#include "core/link/handshake.h"
#include "gui/app/graph_outputs.h"
#include "gui/display/channel_plan_source.h"
#include "gui/display/display.h"
#include "gui/link/intro_dialog.h"
#include "gui/record/log_timeline_source.h"
#include "gui/record/time_window.h"
#include "gui/record/timeline_widget.h"
#include "session/instrument_session.h"

namespace qv {

class CConnectionEx;
class SerialDeviceMonitor;

// The main window's single view: owns the graph and the connection, routes the toolbar's
// commands, keeps the status texts and the toolbar's swapped buttons in step with the state.
class CQuorvalinFormView : public QWidget, private SessionObserver {
  Q_OBJECT

 public:
  CQuorvalinFormView(TimerFactory& timers, Alerts& alerts, QWidget* parent = nullptr);
  ~CQuorvalinFormView() override;

  CDisplay& Display() { return display_; }
  // The strip under the graph while a log plays.
  CTimelineWidget& Timeline() { return *timeline_; }
  // The time window selected on the timeline, whose statistics the graph and histogram show.
  CTimeWindow& TimeWindow() { return time_window_; }
  // The channel plan drawn over the graph (View, Channels).
  ChannelPlanSource& ChannelPlans() { return channel_plans_; }
  // The level (dBm) at which a channel counts as busy, live and in a selected time window.
  void SetChannelThreshold(int32_t dbm);
  // Works out the statistics of the records of the log `path` starting in [first, second) (a
  // record's start first) at the histogram's threshold; no range clears them.
  void SelectTimeWindow(const std::string& path,
                        std::optional<std::pair<uint64_t, uint64_t>> range);
  CConnectionEx& Connection() { return *connection_; }
  InstrumentSession& Session() { return session_; }
  HandshakeSequencer& Sequencer() { return session_.Sequencer(); }
  CIntroDialog& ProgressWindow() { return *progress_; }
  // The toolbar's swapped buttons, as the state is now.
  const ToolbarState& Toolbar() const;

  // The state the toolbar's enable rules read.
  ViewFlags Flags() const;

  // A toolbar or menu command.
  void OnCommand(int command);

  // Interface, firmware and serial panes after a connection, playback or Stop.
  void UpdateStatusPanes();

  // A serial device came or went.
  void OnDeviceChange(DeviceChange change, bool is_port, const QString& port_name);

  // Where serial devices coming and going are reported from; not owned.
  void SetDeviceMonitor(SerialDeviceMonitor* monitor);

  // The file dialogs (not owned; without one no file is asked for) and how the view's own
  // dialogs run (modally unless a test scripts them; true on OK).
  void SetFileChooser(FileChooser* chooser);
  void SetDialogRunner(std::function<bool(QDialog&)> runner) { dialog_runner_ = std::move(runner); }

  // "Select Replay Type" opens with this choice, the last one made.
  int ReplayChoice() const { return replay_choice_; }
  void SetReplayChoice(int choice) { replay_choice_ = choice; }

  // Plays `path` in the graph as Replay would after choosing it; the link is closed.
  bool ReplayFile(const std::string& path);
  // Reviews the capture file `path` in the graph; the link is closed.
  bool ReviewFile(const std::string& path);
  // A file chosen by the user (a recent file): replayed or reviewed by its kind, once the user
  // agrees to close a connected Receiver's link.
  bool OpenChosenFile(const std::string& path);

  // The snapshot, printing and the traces' export; the frame gives it its printer.
  GraphOutputs& Outputs() { return outputs_; }

 signals:
  void StatusPaneTextChanged(int pane_id, const QString& text);
  // The handshake finished: the running-time clock starts.
  void HandshakeCompleted();
  // Enable rules or swapped buttons may have changed.
  void ToolbarChanged();
  // Emitted just before QuitRequested when the program ends by itself (low battery): whatever
  // must be closed properly, the spectrum log above all, is finished here.
  void PreparingToQuit(int exit_code);
  void QuitRequested(int exit_code);
  // Playback took over from the Receiver: the running-time clock stops.
  void RunningClockStopped();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Finishes what must not be cut short before the program ends; emits PreparingToQuit.
  virtual void FinishBeforeQuit(int exit_code);

 private:
  void EstablishConnection();
  void ShowModeless(QWidget& window);
  void SelectDisplay();
  void StartLogging();
  void Replay();
  // Asks for the kind of replay and the file, and opens it; true once a log plays.
  bool ChooseAndOpenLog();
  // Whether `path` may take the graph from the Receiver: asks while one is connected.
  bool MayTakeOver(const std::string& path, bool is_capture);
  // Playback took over: the toolbar, the panes and the link follow.
  void TakeOverForPlayback();
  void Pause();
  void Stop();
  // Fast forward or rewind: the log being played, else the time markers.
  void FastCommand(bool forward);
  void OnQuitRequested(int exit_code);
  // A window's run ended: its statistics, or why the log could not be read.
  void OnWindowChanged();
  // The window's traces and the histogram's counts for the sweep setting shown now.
  void ShowWindowStatistics();
  // The graph above the timeline, which takes a strip at the bottom while shown.
  void LayOut();
  // SessionObserver: the handshake finished (the first and each after a reconnect).
  void Connected() override;

  Alerts& alerts_;
  std::unique_ptr<CIntroDialog> progress_;  // a top-level window of its own
  // The instrument the windows show; before them, as they hold on to it.
  InstrumentSession session_;
  CDisplay display_;
  CTimelineWidget* timeline_ = nullptr;  // a child, owned by Qt
  CTimeWindow time_window_;
  ChannelPlanSource channel_plans_;
  std::unique_ptr<LogTimelineSource> timeline_source_;
  std::unique_ptr<CConnectionEx> connection_;
  mutable ToolbarState toolbar_;  // follows Flags() whenever it is read
  FileChooser* chooser_ = nullptr;
  std::function<bool(QDialog&)> dialog_runner_;
  GraphOutputs outputs_;  // runs its dialogs through dialog_runner_
  int replay_choice_ = kSpectrumLogReplay;
};

}  // namespace qv
