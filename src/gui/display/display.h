#pragma once

#include <QByteArray>
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "core/app/frame_pacer.h"
#include "core/app/graph_steps.h"
#include "core/app/timer.h"
#include "core/display/density.h"
#include "core/display/display_state.h"
#include "core/display/graph_geometry.h"
#include "core/display/receiver_identity.h"
#include "core/display/trace_data.h"
#include "core/display/trace_owner.h"
#include "core/display/trace_sweep_processor.h"
#include "core/link/message_decoder.h"
#include "gui/display/graph_painter.h"
#include "gui/display/kept_picture.h"
#include "gui/record/recording_controller.h"
#include "session/instrument_session.h"

class QAction;
class QDialog;
class QMenu;

namespace qv {

class CConnectionOps;
class CHistogramDlg;
class CTimeWindow;
class CLimitsController;
class ChannelPlanSource;
class CSpectrogramDialog;
class CSidePanels;

// The graph window: a view over the session's trace record, with the recording controller, and
// draws what the record holds. Everything it decides is in the core; it routes messages and
// paints.
class CDisplay : public QWidget,
                 public ReceiveView,
                 public GraphSteps,
                 public TraceOwner,
                 public RecordingGraph,
                 private SessionObserver {
  Q_OBJECT

 public:
  // Shows `session`, which must outlive the graph.
  CDisplay(TimerFactory& timers, InstrumentSession& session, Alerts& alerts,
           QWidget* parent = nullptr);
  ~CDisplay() override;

  TraceData& Trace() override { return *trace_; }
  const TraceData& Trace() const { return *trace_; }
  ReceiverIdentity& Identity() { return session_.Identity(); }
  ReceiverMessageHandler& Handler() { return session_.Handler(); }
  InstrumentSession& Session() { return session_; }

  // The rectangle trace processing scales levels with: the grid's top and bottom lines.
  PlotRect GraphRect() const override;
  // The plot's one layout, shared by painting, processing, the mouse and every reading.
  GraphGeometry Geometry() const;
  // The graph area A: the view's rectangle in this window's coordinates, right and bottom
  // exclusive.
  PlotRect AreaRect() const;

  // The density view's record, fed every completed sweep while on.
  DensityRecord& Density() { return density_; }

  // The side-panel pages docked along both edges.
  CSidePanels& Panels() { return *panels_; }

  // What the painter reads and the mouse, zoom and toolbar paths write.
  DisplayState& State() override { return state_; }
  const DisplayState& State() const { return state_; }

  // The picture the window shows, painted into `image`; every text drawn goes to `texts` when
  // given. False while no sweep mode is set.
  bool PaintPicture(QImage& image, GraphTextLog* texts = nullptr) const;
  // What painting reads: the record, the display state and the layout, as they are now.
  GraphScene Scene() const;
  // The selected time window whose traces the graph draws over its own; not owned, null for none.
  void SetTimeWindow(const CTimeWindow* window) { time_window_ = window; }
  // The channel plan drawn over the plot, told of every whole sweep; not owned, null for none.
  void SetChannelPlans(ChannelPlanSource* plans) { channel_plans_ = plans; }

  bool SpectrumMode() const { return state_.spectrum_mode; }
  bool PowerTriggerMode() const { return state_.power_trigger_mode; }
  bool AreaSelected() const { return state_.area_selected; }
  // While printing, the scene is in the print colour scheme and sweeps do not repaint; until
  // EndPrinting.
  void SetPrinting(bool printing) { state_.printing = printing; }
  void EndPrinting();
  int PrintColourOption() const { return state_.print_colour_option; }
  void SetPrintColourOption(int option) { state_.print_colour_option = option; }

  // A drag marks an area and a right click offers the channel menu.
  bool SelectionMode() const { return state_.selection_mode; }
  void SetSelectionMode(bool on);

  bool ZoomInAvailable() const { return state_.zoom_in_available; }
  int ZoomDepth() const { return state_.zoom_depth; }
  // Zoom onto the selection, or back one level, through `ops`.
  void ZoomIn(CConnectionOps& ops);
  void ZoomOut(CConnectionOps& ops);

  // A command of the context menu: "Channel 1" ... "Channel 4", "Clear All", "Clear Selection"
  // (in selection mode), "Marker to Peak", "Next Peak", "Marker to Frequency...".
  void OnMenuCommand(int command);
  // The context menu with its check marks; each action's data is its command.
  std::unique_ptr<QMenu> BuildContextMenu();
  // Shows the menu and returns the chosen action (null when dismissed); tests replace it.
  void SetMenuRunner(std::function<QAction*(QMenu&, const QPoint&)> runner) {
    menu_runner_ = std::move(runner);
  }

  // Peak search on the live trace, moving the A end of the current marker (the first marker
  // while none is chosen). Each returns false, changing nothing, when there is nowhere to go.
  bool MarkerToPeak();
  bool MarkerToNextPeak();
  bool MarkerToFrequency(double mhz);
  // Asks for the frequency (through the dialog runner) and places the marker there; a
  // frequency outside the sweep is refused with a message.
  void AskMarkerFrequency();
  // The arrow keys: moves the selected end of the current marker (the first marker while none
  // is chosen) by `steps` points of the live trace, held at its ends; false when none is placed.
  bool StepMarker(int steps);
  // Runs a modal dialog, true when accepted; tests replace it.
  void SetDialogRunner(std::function<bool(QDialog&)> runner) { dialog_runner_ = std::move(runner); }
  // The frequency labels under the plot.
  void SetFrequencyAxisShown(bool shown);

  // The spectrum log and the instant captures: recording, playback and review in the graph.
  CRecordingController& Recorder() { return *recorder_; }
  const CRecordingController& Recorder() const { return *recorder_; }
  // The limit lines, checked against every complete sweep.
  CLimitsController& Limits() { return *limits_; }
  bool FastRewind() const override { return recorder_->FastRewind(); }
  int16_t HistogramThreshold() const override;
  void OnSpectrogramUpdate(const SpectrogramHistory& history, int32_t points) override;
  void OnHistogramUpdate(int32_t points, int16_t sweep_counter, const int16_t* counts) override;
  void OnBandPresetStart(uint32_t band_start) override;

  // The two modeless windows the toolbar shows.
  CSpectrogramDialog& Spectrogram() { return *spectrogram_; }
  CHistogramDlg& Histogram() { return *histogram_; }

  // ReceiveView
  void SetStatusPaneText(int pane_id, const std::string& text) override;
  void SetModeFlags(bool spectrum_mode, bool power_trigger_mode) override;
  void TriggerArrived() override;
  bool IsPrinting() const override { return state_.printing; }
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

  // RecordingGraph (the rest is above)
  void ProcessSweepBlock(const uint8_t* message, size_t length) override {
    session_.Sweeps().ProcessSweepBlock(message, length);
  }
  void Update() override { update(); }
  void RepaintNow() override { repaint(); }

 public slots:
  // One message from the link in use.
  void OnReceiverMessage(const QByteArray& message);

 signals:
  void StatusPaneTextChanged(int pane_id, const QString& text);
  // Spectrum or trigger mode flags, or the recorder's state, changed (the toolbar's enable rules
  // read them).
  void FlagsChanged();
  void QuitRequested(int exit_code);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // A marker command that moved the marker repaints.
  bool Placed(bool moved);
  // The union of the visible side-panel tabs' masks, clipped to the graph.
  QRegion TabsRegion() const;
  // The view less the side-panel tabs docked over it: what a new sweep repaints.
  QRegion UncoveredRegion() const;
  // Before the sweep mode ends or the record is reset.
  void KeepLastPicture() override;
  void BlankKeptPicture() override { picture_.Blank(); }
  void DrawGlyphs(QPainter& window, const GraphScene& scene);
  // SessionObserver: a whole sweep, counted by the session, for the graph's own parts.
  void WholeSweep(const TraceData& trace) override;

  InstrumentSession& session_;
  TraceData* const trace_;  // the session's
  DensityRecord density_;
  // The session records every message through it.
  std::unique_ptr<CRecordingController> recorder_;
  std::unique_ptr<CLimitsController> limits_;
  DisplayState state_;
  KeptPicture picture_;
  // Sweep blocks repaint the graph and its spectrogram and histogram windows once a frame.
  FramePacer frames_;
  std::function<QAction*(QMenu&, const QPoint&)> menu_runner_;
  std::function<bool(QDialog&)> dialog_runner_;
  Alerts* alerts_ = nullptr;
  std::unique_ptr<CSidePanels> panels_;
  // Owned by Qt as children of the graph; top-level windows all the same.
  CSpectrogramDialog* spectrogram_ = nullptr;
  CHistogramDlg* histogram_ = nullptr;
  const CTimeWindow* time_window_ = nullptr;
  ChannelPlanSource* channel_plans_ = nullptr;
};

}  // namespace qv
