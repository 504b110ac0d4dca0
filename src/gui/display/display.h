#pragma once

#include <QByteArray>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/app/graph_steps.h"
#include "core/app/timer.h"
#include "core/display/receiver_identity.h"
#include "core/display/trace_data.h"
#include "core/display/trace_owner.h"
#include "core/display/trace_sweep_processor.h"
#include "core/link/message_decoder.h"

namespace qv {

class CConnectionOps;

// The graph window: owns the trace record and the receive handler, and draws what the record
// holds. Everything it decides is in the core; it routes messages and paints.
class CDisplay : public QWidget,
                 public ReceiveView,
                 public GraphSteps,
                 public TraceOwner,
                 public ReceiveLog {
  Q_OBJECT

 public:
  CDisplay(TimerFactory& timers, HandshakeSteps& handshake, QWidget* parent = nullptr);
  ~CDisplay() override;

  TraceData& Trace() { return *trace_; }
  const TraceData& Trace() const { return *trace_; }
  ReceiverIdentity& Identity() { return identity_; }
  ReceiverMessageHandler& Handler() { return handler_; }

  // The plot area in client pixels, bottom cut to three quarters of the graph's height.
  PlotRect GraphRect() const;

  bool SpectrumMode() const { return spectrum_mode_; }
  bool PowerTriggerMode() const { return power_trigger_mode_; }
  bool AreaSelected() const { return area_selected_; }
  void SetPrinting(bool printing) { printing_ = printing; }

  // A drag marks an area and a right click offers the channel menu.
  bool SelectionMode() const { return selection_mode_; }
  void SetSelectionMode(bool on);

  // Zoom, recording, playback and capture state the toolbar reads. Until logging and replay
  // exist these only change through the calls below, and nothing is read or written.
  bool ZoomInAvailable() const { return false; }
  int ZoomDepth() const { return 0; }
  bool Recording() const { return recording_; }
  bool PlayingBack() const { return playing_back_; }  // stays true while paused
  bool PlaybackPaused() const { return playback_paused_; }
  bool FastForward() const { return fast_forward_; }
  bool FastRewind() const override { return fast_rewind_; }
  bool ReplayDrawing() const { return replay_drawing_; }
  void SetReplayDrawing(bool on) { replay_drawing_ = on; }
  bool CaptureReady() const { return capture_ready_; }

  // Where the replay feature plugs in: asks what to replay and opens it; true once playback
  // runs. Without one, Replay starts nothing.
  void SetPlaybackStarter(std::function<bool()> starter) { playback_starter_ = std::move(starter); }
  bool StartPlayback();
  void PausePlayback();
  void ResumePlayback();
  // Ends recording and playback alike, with fast forward and rewind.
  void StopRecordingOrPlayback();
  // Each returns whether that direction now runs; the other direction stops.
  bool ToggleFastForward();
  bool ToggleFastRewind();

  // ReceiveView
  void SetStatusPaneText(int pane_id, const std::string& text) override;
  void SetModeFlags(bool spectrum_mode, bool power_trigger_mode) override;
  void TriggerArrived() override;
  bool IsPrinting() const override { return printing_; }
  void Repaint() override;
  void Quit(int exit_code) override;

  // GraphSteps
  void ResetTraces() override;
  void ClearModeFlags() override;
  void StartTriggerClock() override;
  void ClearAreaSelected() override;
  SweepWindow CurrentSweep() const override;

  // ReceiveLog: no log file yet, so nothing is recorded.
  bool IsLogging() const override { return false; }
  void WriteMessageRecord(const uint8_t*, size_t) override {}
  void SetFirmwareBytes(const uint8_t* bytes, size_t count) override;
  void SetSerialBytes(const uint8_t* bytes, size_t count) override;

 public slots:
  // One message from the link in use.
  void OnReceiverMessage(const QByteArray& message);

 signals:
  void StatusPaneTextChanged(int pane_id, const QString& text);
  // Spectrum or trigger mode flags changed (the toolbar's enable rules read them).
  void FlagsChanged();
  void QuitRequested(int exit_code);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::unique_ptr<TraceData> trace_;  // large: kept off the stack and out of the widget
  ReceiverIdentity identity_;
  TraceSweepProcessor sweeps_;
  ReceiverMessageHandler handler_;
  bool spectrum_mode_ = false;
  bool power_trigger_mode_ = false;
  bool live_shown_ = true;
  bool area_selected_ = false;
  bool printing_ = false;
  bool selection_mode_ = false;
  bool recording_ = false;
  bool playing_back_ = false;
  bool playback_paused_ = false;
  bool fast_forward_ = false;
  bool fast_rewind_ = false;
  bool replay_drawing_ = false;
  bool capture_ready_ = false;
  std::function<bool()> playback_starter_;
};

}  // namespace qv
