#pragma once

#include <QByteArray>
#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <functional>
#include <string>
#include <vector>

#include "core/app/alerts.h"
#include "core/app/connection_ops.h"
#include "core/app/graph_steps.h"
#include "core/app/receiver_state.h"
#include "core/app/reconnect.h"
#include "core/app/timer.h"
#include "core/display/channel_utilisation.h"
#include "core/display/receiver_identity.h"
#include "core/display/trace_data.h"
#include "core/display/trace_owner.h"
#include "core/display/trace_sweep_processor.h"
#include "core/limits/limit_monitor.h"
#include "core/link/handshake.h"
#include "core/link/message_decoder.h"
#include "session/session_link.h"

namespace qv {

class FtdiDriver;

// What a session tells whoever runs it: a program without windows prints it, a view shows it.
class SessionObserver {
 public:
  virtual ~SessionObserver() = default;
  // One line worth telling (a handshake step, a failure, a reconnect's state).
  virtual void Said(const std::string& line) { (void)line; }
  // The handshake finished: sweeps follow.
  virtual void Connected() {}
  // The link closed or went away; `lost` when it went by itself.
  virtual void Disconnected(bool lost) { (void)lost; }
  // A sweep's last point arrived; the whole sweep is in the trace record's live levels.
  virtual void WholeSweep(const TraceData& trace) { (void)trace; }
};

// The instrument without windows: the link, the handshake, the receive path, the trace record,
// the limit lines and the channel use. Received messages go to the log set with SetLog before
// they are decoded. Everything runs on the thread that owns the session.
class InstrumentSession : public QObject,
                          private ReceiveView,
                          private GraphSteps,
                          private ProgressView,
                          private ReconnectHost,
                          private LimitActions {
  Q_OBJECT

 public:
  // The plot the headless record scales its pixels to; nothing draws them.
  static constexpr PlotRect kHeadlessPlot{0, 0, 1000, 400};

  // `usb_driver` opens USB converters; null uses the machine's (libftdi1).
  InstrumentSession(TimerFactory& timers, Alerts& alerts, FtdiDriver* usb_driver = nullptr,
                    QObject* parent = nullptr);
  ~InstrumentSession() override;

  // Observers are told in the order added; none is owned.
  void AddObserver(SessionObserver* observer) { observers_.push_back(observer); }
  void RemoveObserver(SessionObserver* observer);

  // --- A view over the session (the program's windows) ---
  // What a graph gives the session; every part may be left empty.
  struct GraphView {
    ReceiveView* view = nullptr;    // what would show on a screen goes here as well
    GraphSteps* graph = nullptr;    // what the receiver operations ask of a graph
    TraceOwner* trace_owner = nullptr;
    ReceiveLog* log = nullptr;      // the log that records and plays back
    std::function<PlotRect()> plot;  // the rectangle the record scales its pixels to
    // Whether the sweep just completed counts for the limit lines and the channel use (a sweep
    // of a log played again does not); none: every sweep counts.
    std::function<bool()> counts;
  };
  // Replaces the graph shown; an empty one leaves the session headless.
  void Show(GraphView graph);
  void SetProgress(ProgressView* progress) { progress_ = progress; }
  // The clock the channel use is counted on (a replay's is the log's); none: the timer seam's.
  void SetChannelClock(std::function<int64_t()> now_ms) { channel_clock_ = std::move(now_ms); }
  // Where each received message is recorded, with the identity the log header carries; null
  // for none.
  void SetLog(ReceiveLog* log) { log_ = log; }
  // The spectrum every handshake ends with, in MHz; none keeps the Receiver's default.
  void SetSpectrum(std::optional<std::pair<double, double>> start_stop_mhz);
  // Waits between attempts grow to this after a loss or a failed open.
  void SetLongestRetryMs(int ms) { reconnect_.SetUnattended(ms); }

  // Opens the link and runs the handshake; a link that fails or goes away is opened again with
  // growing waits until Disconnect.
  void Connect(const LinkTarget& target);
  void Disconnect();
  // The handshake finished and the link is open.
  bool Connected() const { return connected_; }
  // Seconds since the last message while connected.
  int SilentSeconds() const { return handler_.SilentSeconds(); }
  // Handshakes finished again after the first, since the session began.
  uint64_t Reconnects() const { return reconnects_; }
  const std::string& FirmwareText() const { return handler_.FirmwareText(); }
  const std::string& SerialText() const { return handler_.SerialText(); }

  TraceData& Trace() { return *trace_; }
  const TraceData& Trace() const { return *trace_; }
  ReceiverIdentity& Identity() { return identity_; }
  const ReceiverIdentity& Identity() const { return identity_; }
  ReceiverMessageHandler& Handler() { return handler_; }
  // Sweep blocks of a log played back take the same road as received ones.
  TraceSweepProcessor& Sweeps() { return sweeps_; }
  HandshakeSequencer& Sequencer() { return sequencer_; }
  ReceiverState& State() { return state_; }
  LimitMonitor& Limits() { return limits_; }
  LiveChannelUse& ChannelUse() { return channel_use_; }
  const LiveChannelUse& ChannelUse() const { return channel_use_; }
  CConnectionOps& Ops() { return ops_; }
  const Reconnector& Reconnect() const { return reconnect_; }
  int64_t NowMs() const { return timers_.NowMs(); }

  // One message from the link in use.
  void OnReceiverMessage(const uint8_t* message, size_t length);

 private:
  class LogForward;

  void OnWholeSweep();
  void Say(const std::string& line);

  // ReceiveView
  void SetStatusPaneText(int pane_id, const std::string& text) override;
  void SetModeFlags(bool spectrum_mode, bool power_trigger_mode) override;
  void TriggerArrived() override;
  bool IsPrinting() const override { return view_ != nullptr && view_->IsPrinting(); }
  void Repaint() override;
  void Quit(int exit_code) override;
  void SetDataSilence(int seconds, bool waiting_for_trigger) override;
  // GraphSteps
  void ResetTraces() override;
  void ClearModeFlags() override;
  void StartTriggerClock() override;
  void ClearAreaSelected() override;
  void AwaitFirstSweep(const SpectrumSettings& sent, int16_t reference_level,
                       bool power_trigger) override;
  SweepWindow CurrentSweep() const override;
  void LinkClosed() override;
  // ProgressView
  void SetProgressText(const std::string& text) override;
  void ShowProgress() override;
  void HideProgress() override;
  // ReconnectHost
  void Reopen(const LinkTarget& target) override;
  void ReconnectChanged() override;
  // LimitActions: a session without windows neither beeps nor captures.
  void Beep() override {}
  std::optional<CaptureKey> Capture(const std::string&) override;
  void Recomment(const CaptureKey&, const std::string&) override {}

  TimerFactory& timers_;
  Alerts& alerts_;
  std::vector<SessionObserver*> observers_;
  ReceiveView* view_ = nullptr;
  GraphSteps* graph_ = nullptr;
  ProgressView* progress_ = nullptr;
  std::function<PlotRect()> plot_;
  std::function<bool()> counts_;
  std::function<int64_t()> channel_clock_;
  ReceiveLog* log_ = nullptr;
  std::unique_ptr<LogForward> log_forward_;
  ReceiverState state_;
  CConnectionOps ops_;
  HandshakeSequencer sequencer_;
  std::unique_ptr<TraceData> trace_;  // large: kept off the stack
  ReceiverIdentity identity_;
  TraceSweepProcessor sweeps_;
  ReceiverMessageHandler handler_;
  SessionLink link_;
  Reconnector reconnect_;
  LimitMonitor limits_;
  LiveChannelUse channel_use_;
  std::string last_reconnect_text_;
  uint64_t reconnects_ = 0;
  bool connected_ = false;
  bool ever_connected_ = false;
  bool closing_ = false;
};

}  // namespace qv
