#include "gui/app/form_view.h"

#include <QResizeEvent>
#include <algorithm>

#include "core/display/colour_map.h"
#include "core/record/capture_file.h"

#include "gui/record/log_option_dialog.h"
#include "gui/record/time_marker_dialog.h"

#include "gui/control/reference_level_page.h"
#include "gui/display/histogram_dialog.h"
#include "gui/display/spectrogram_dialog.h"
#include "gui/link/connection_sheet.h"
#include "gui/ui/page_buttons.h"
#include "gui/ui/side_panels.h"
#include "link/app/console_messages.h"
#include "link/serial/serial_device_monitor.h"

namespace qv {
namespace {

// The histogram shows a window's shares out of this many.
constexpr int16_t kWindowHistogramCounter = 10000;

}  // namespace

CQuorvalinFormView::CQuorvalinFormView(TimerFactory& timers, Alerts& alerts, QWidget* parent)
    : QWidget(parent),
      alerts_(alerts),
      progress_(std::make_unique<CIntroDialog>()),
      session_(timers, alerts),
      display_(timers, session_, alerts, this),
      channel_plans_(timers, display_.Recorder(), session_.ChannelUse()),
      outputs_(display_, alerts, *this, dialog_runner_) {
  display_.setObjectName(QStringLiteral("Graph Window"));
  session_.SetProgress(progress_.get());
  session_.AddObserver(this);
  // The live channel figures follow the log's own clock while it plays.
  session_.SetChannelClock([this] { return channel_plans_.SweepClockMs(); });
  timeline_ = new CTimelineWidget(this);
  // The overview wears the spectrogram's colours, whichever map and range are chosen.
  timeline_->SetColourMap([this] { return display_.Spectrogram().colour_map(); });
  connect(timeline_, &CTimelineWidget::ShownChanged, this, &CQuorvalinFormView::LayOut);
  // Playback starting, pausing or stopping shows in the toolbar and in the timeline alike.
  connect(this, &CQuorvalinFormView::ToolbarChanged, timeline_, &CTimelineWidget::Refresh);
  // A log that stops playing takes its window's statistics with it.
  connect(timeline_, &CTimelineWidget::ShownChanged, &time_window_, [this](bool shown) {
    if (!shown) time_window_.Clear();
  });
  display_.SetTimeWindow(&time_window_);
  channel_plans_.SetTimeWindow(&time_window_);
  display_.SetChannelPlans(&channel_plans_);
  CRecordingController& recorder = display_.Recorder();
  timeline_source_ = std::make_unique<LogTimelineSource>(
      recorder, [this, &recorder](std::optional<LogTimelineSource::ByteRange> range) {
        SelectTimeWindow(recorder.Log().PlaybackPath(), range);
      },
      [this] { return time_window_.Progress(); });
  // The window's line says how far its statistics are, and when they are there.
  connect(&time_window_, &CTimeWindow::Progressed, timeline_, &CTimelineWidget::Refresh);
  connect(&time_window_, &CTimeWindow::Changed, timeline_, &CTimelineWidget::Refresh);
  timeline_->SetSource(timeline_source_.get());
  connect(&recorder, &CRecordingController::PositionChanged, timeline_, &CTimelineWidget::Refresh);
  connect(&recorder, &CRecordingController::ScanProgressed, timeline_, &CTimelineWidget::Refresh);
  connect(&recorder, &CRecordingController::ScanFinished, timeline_, [this] {
    timeline_->OverviewChanged();
    timeline_->Refresh();
  });
  connect(&time_window_, &CTimeWindow::Changed, this, &CQuorvalinFormView::OnWindowChanged);
  // A window's histogram counts are per sweep setting: another setting shows its own (or none).
  connect(&display_.Histogram(), &CHistogramDlg::SweepSettingChanged, this, [this] {
    if (time_window_.Stats() != nullptr) ShowWindowStatistics();
  });
  connect(&display_.Histogram(), &CHistogramDlg::ThresholdChanged, &time_window_,
          [this](int16_t threshold) { time_window_.SetThreshold(threshold * 16); });
  connection_ = std::make_unique<CConnectionEx>(timers, alerts, display_, session_, this);
  session_.Sequencer().SetClosingText([this] { return SettingSpectrumText(connection_->Ops().Remembered()); });
  display_.Panels().Context().ops = &connection_->Ops();
  display_.Panels().Context().alerts = &alerts_;
  connect(&display_, &CDisplay::StatusPaneTextChanged, this,
          &CQuorvalinFormView::StatusPaneTextChanged);
  connect(&display_, &CDisplay::FlagsChanged, this, &CQuorvalinFormView::ToolbarChanged);
  connect(&display_, &CDisplay::QuitRequested, this, &CQuorvalinFormView::OnQuitRequested);
  connect(&display_.Recorder(), &CRecordingController::LogChangedByItself, this, [this] {
    UpdateStatusPanes();
    emit ToolbarChanged();
  });
  dialog_runner_ = [](QDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
  display_.Recorder().SetPlaybackStarter([this] { return ChooseAndOpenLog(); });
  connect(connection_.get(), &CConnectionEx::LinkOpened, this, [this] {
    UpdateStatusPanes();
    emit ToolbarChanged();
  });
  // However the link closes (the user, the link going away, the handshake time-out), the
  // panes and the toolbar's enable rules follow.
  connection_->Ops().AddLinkClosedListener([this] {
    qCDebug(lcLink) << "link closed";
    UpdateStatusPanes();
    emit ToolbarChanged();
  });
  connect(connection_.get(), &CConnectionEx::LinkLost, this, [this] {
    qCDebug(lcLink) << "link lost";
    connection_->Ops().CloseLink();
  });
  // A finished handshake ends reconnecting, a retry's as well as the user's own.
  connect(this, &CQuorvalinFormView::HandshakeCompleted, connection_.get(),
          &CConnectionEx::OnHandshakeCompleted);
}

CQuorvalinFormView::~CQuorvalinFormView() {
  // Nothing queued may run against objects that are going away.
  session_.Sequencer().Cancel();
  session_.RemoveObserver(this);
  session_.SetChannelClock(nullptr);
  session_.SetProgress(nullptr);
  // The timeline, a child, outlives the members its source reads.
  timeline_->SetSource(nullptr);
}

void CQuorvalinFormView::Connected() {
  // The windows' scales follow a restored reference level as a chosen one.
  const CConnectionOps& ops = session_.Ops();
  if (auto* page = qobject_cast<CRefLvlDialog*>(display_.Panels().Page(
          PageText(kReferenceLevelTabCaption)));
      page != nullptr && page->Index() != ops.State().reference_level_index) {
    page->ShowLevel(ops.State().reference_level_index);
  }
  emit HandshakeCompleted();
  emit ToolbarChanged();
}

ViewFlags CQuorvalinFormView::Flags() const {
  ViewFlags flags;
  flags.connected = connection_->State().connected != 0;
  flags.playing_back = display_.Recorder().PlayingBack();
  flags.playback_paused = display_.Recorder().PlaybackPaused();
  flags.fast_forward = display_.Recorder().FastForward();
  flags.fast_rewind = display_.Recorder().FastRewind();
  flags.recording = display_.Recorder().Recording();
  flags.sweeps_arriving = display_.SpectrumMode() || display_.PowerTriggerMode();
  flags.area_selected = display_.AreaSelected();
  flags.zoom_in_available = display_.ZoomInAvailable();
  flags.zoom_depth = display_.ZoomDepth();
  flags.replay_drawing = display_.Recorder().ReplayDrawing();
  flags.capture_ready = display_.Recorder().CaptureReady();
  flags.selection_mode = display_.SelectionMode();
  return flags;
}

const ToolbarState& CQuorvalinFormView::Toolbar() const {
  toolbar_.Follow(Flags());
  return toolbar_;
}

void CQuorvalinFormView::OnCommand(int command) {
  if (!CommandEnabled(command, Flags())) return;
  switch (command) {
    case kCmdEstablishConnection:
      EstablishConnection();
      break;
    case kCmdStartLogging:
      StartLogging();
      break;
    case kCmdInstantCapture:
      display_.Recorder().TakeCapture();
      break;
    case kCmdShowTimeMarkers:
      display_.Recorder().ShowTimeMarkers();
      break;
    case kCmdSnapshot:
      outputs_.Snapshot();
      break;
    case kCmdPrint:
    case kCmdFilePrintPreview:
      outputs_.PrintPreview();
      break;
    case kCmdFilePrint:
      outputs_.Print();
      break;
    case kCmdPrintColourOptions:
      outputs_.PrintColourOptions();
      break;
    case kCmdSelectDisplay:
      SelectDisplay();
      break;
    case kCmdReplay:
      Replay();
      break;
    case kCmdPause:
      Pause();
      break;
    case kCmdStop:
      Stop();
      break;
    case kCmdFastForward:
    case kCmdFastRewind:
      FastCommand(command == kCmdFastForward);
      break;
    case kCmdZoomIn:
      display_.ZoomIn(connection_->Ops());
      break;
    case kCmdZoomOut:
      display_.ZoomOut(connection_->Ops());
      break;
    case kCmdSpectrogram:
      ShowModeless(display_.Spectrogram());
      break;
    case kCmdHistogram:
      ShowModeless(display_.Histogram());
      break;
    default:
      break;
  }
  emit ToolbarChanged();
}

void CQuorvalinFormView::ShowModeless(QWidget& window) {
  window.show();
  window.raise();
}

void CQuorvalinFormView::EstablishConnection() {
  if (connection_->ShowSheet() && connection_->State().connected) {
    display_.Recorder().SetReplayDrawing(false);
    UpdateStatusPanes();
  }
}

void CQuorvalinFormView::SelectDisplay() {
  display_.SetSelectionMode(!display_.SelectionMode());
}

void CQuorvalinFormView::StartLogging() {
  CLogOptionDialog dialog(SpectrumLogChoiceOf(Flags()), this);
  if (!dialog_runner_(dialog) || chooser_ == nullptr) return;
  if (dialog.SpectrumLogChosen()) {
    const std::optional<std::string> path = chooser_->SaveFileName(
        "Save As", "Quorvalin Tablet Log File (*.kzq)", "Quorvalin Tablet Log File.kzq");
    if (path) display_.Recorder().StartLog(WithExtension(*path, ".kzq"));
  }
  if (dialog.CaptureChosen()) {
    const std::optional<std::string> path = chooser_->SaveFileName(
        "Save As", "Instant Capture File (*.icf)", "Instant Capture File.icf");
    if (path) display_.Recorder().CreateCaptureFile(WithExtension(*path, ".icf"));
  }
}

bool CQuorvalinFormView::ReviewFile(const std::string& path) {
  // A review takes the graph from a log being played, as a log takes it from a review.
  if (display_.Recorder().PlayingBack()) display_.Recorder().StopRecordingOrPlayback();
  if (!display_.Recorder().OpenCaptureForReview(path)) return false;
  // What is drawn now comes from the capture file, not from the Receiver.
  connection_->StopReconnecting();
  connection_->Ops().CloseLink();
  emit RunningClockStopped();
  emit ToolbarChanged();
  return true;
}

bool CQuorvalinFormView::ChooseAndOpenLog() {
  CReplayChoiceDialog dialog(replay_choice_, this);
  if (!dialog_runner_(dialog) || chooser_ == nullptr) return false;
  replay_choice_ = dialog.Choice();
  if (replay_choice_ == kCaptureReplay) {
    const std::optional<std::string> path =
        chooser_->OpenFileName("Open", "Instant Capture File (*.icf)");
    if (path && MayTakeOver(*path, true)) ReviewFile(*path);
    return false;  // a review is no playback
  }
  const std::optional<std::string> path = chooser_->OpenFileName(
      "Open", "Quorvalin Tablet Log File (*.kzq);;Quorvalin Log File (*.zn)");
  return path && MayTakeOver(*path, false) && display_.Recorder().OpenLogForReplay(*path);
}

bool CQuorvalinFormView::MayTakeOver(const std::string& path, bool is_capture) {
  const std::optional<AlertText> question = TakeOverQuestion(Flags(), path, is_capture);
  return !question || alerts_.Ask(question->text, question->caption);
}

bool CQuorvalinFormView::OpenChosenFile(const std::string& path) {
  const bool capture = IsCaptureFile(path);
  if (!MayTakeOver(path, capture)) return false;
  return capture ? ReviewFile(path) : ReplayFile(path);
}

bool CQuorvalinFormView::ReplayFile(const std::string& path) {
  if (!display_.Recorder().OpenLogForReplay(path)) return false;
  TakeOverForPlayback();
  emit ToolbarChanged();
  return true;
}

void CQuorvalinFormView::Replay() {
  if (display_.Recorder().PlayingBack()) {
    // Paused: carry on with the same log.
    display_.Recorder().ResumePlayback();
    return;
  }
  if (!display_.Recorder().StartPlayback()) return;
  TakeOverForPlayback();
}

void CQuorvalinFormView::TakeOverForPlayback() {
  // What is drawn now comes from the log, not from the Receiver.
  connection_->StopReconnecting();
  connection_->Ops().CloseLink();
  // The log's own panes (file, firmware, serial) stay; the interface pane is not shown.
  emit RunningClockStopped();
}

void CQuorvalinFormView::Pause() {
  display_.Recorder().PausePlayback();
}

void CQuorvalinFormView::Stop() {
  display_.Recorder().StopRecordingOrPlayback();
  // The select button goes back to "off", so the mode it shows must be off too.
  display_.SetSelectionMode(false);
  UpdateStatusPanes();
}

void CQuorvalinFormView::FastCommand(bool forward) {
  switch (FastCommandTarget(Flags())) {
    case FastTarget::kPlayback:
      if (forward) {
        display_.Recorder().ToggleFastForward();
      } else {
        display_.Recorder().ToggleFastRewind();
      }
      break;
    case FastTarget::kTimeMarkers:
      if (forward) {
        display_.Recorder().TimeMarkers().NextMarker();
      } else {
        display_.Recorder().TimeMarkers().PreviousMarker();
      }
      break;
    case FastTarget::kNone:
      break;
  }
}

void CQuorvalinFormView::UpdateStatusPanes() {
  const ReceiverState& state = connection_->State();
  const bool connected = state.connected != 0;
  const bool playing_back = display_.Recorder().PlayingBack();
  const QString text = QString::fromStdString(
      InterfaceText(connected, state.interface_index,
                    connection_->AddressText(state.interface_index).toStdString()));
  if (!connected && !playing_back) {
    emit StatusPaneTextChanged(kPaneFirmware, QStringLiteral("F/w Ver: NA"));
    emit StatusPaneTextChanged(kPaneSerial, QStringLiteral("Receiver Serial # NA"));
  }
  // While a log is recorded or played, the pane names it.
  if (!playing_back && !display_.Recorder().Recording()) {
    emit StatusPaneTextChanged(kPaneLogFile, text);
  }
}

void CQuorvalinFormView::OnDeviceChange(DeviceChange change, bool is_port,
                                        const QString& port_name) {
  const DeviceChangeOutcome outcome =
      qv::OnDeviceChange(change, is_port, port_name.toStdString(), connection_->isVisible(),
                         connection_->SerialPageVisible());
  if (outcome.serial_page_status) {
    connection_->SetSerialPageStatus(QString::fromStdString(*outcome.serial_page_status));
  }
  for (const AlertText& alert : outcome.alerts) alerts_.Show(alert.text, alert.caption);
}

void CQuorvalinFormView::SetDeviceMonitor(SerialDeviceMonitor* monitor) {
  if (monitor == nullptr) return;
  // A lost device coming back is reopened before the arrival's message box waits for the user.
  connect(monitor, &SerialDeviceMonitor::DeviceArrived, connection_.get(),
          &CConnectionEx::OnDeviceArrived);
  connect(monitor, &SerialDeviceMonitor::DeviceArrived, this,
          [this](const QString& path) { OnDeviceChange(DeviceChange::kArrival, true, path); });
  connect(monitor, &SerialDeviceMonitor::DeviceRemoved, this, [this](const QString& path) {
    OnDeviceChange(DeviceChange::kRemovalComplete, true, path);
  });
}

void CQuorvalinFormView::FinishBeforeQuit(int exit_code) {
  emit PreparingToQuit(exit_code);
}

void CQuorvalinFormView::OnQuitRequested(int exit_code) {
  FinishBeforeQuit(exit_code);
  emit QuitRequested(exit_code);
}

void CQuorvalinFormView::resizeEvent(QResizeEvent*) {
  LayOut();
}

void CQuorvalinFormView::SetChannelThreshold(int32_t dbm) {
  channel_plans_.SetThreshold(dbm);
  time_window_.SetChannelThreshold(dbm * 16);
  display_.Repaint();
}

void CQuorvalinFormView::SelectTimeWindow(const std::string& path,
                                          std::optional<std::pair<uint64_t, uint64_t>> range) {
  if (!range) {
    time_window_.Clear();
    return;
  }
  time_window_.Select(path, range->first, range->second, display_.HistogramThreshold() * 16);
}

void CQuorvalinFormView::OnWindowChanged() {
  if (!time_window_.Error().empty()) {
    // The log went or could not be read: the figures shown are what was read before the fault.
    const std::string text = "Time window not read whole: " + time_window_.Error();
    display_.SetStatusPaneText(kPaneMessage, text);
    alerts_.Note(text);
  }
  ShowWindowStatistics();
}

void CQuorvalinFormView::ShowWindowStatistics() {
  display_.Repaint();
  display_.Histogram().ShowWindow(
      time_window_.HistogramCounts(display_.Trace().header, kWindowHistogramCounter),
      kWindowHistogramCounter);
}

void CQuorvalinFormView::LayOut() {
  const int strip = timeline_->isVisibleTo(this) ? CTimelineWidget::kHeight : 0;
  const int graph = std::max(height() - strip, 0);
  display_.setGeometry(QRect(0, 0, width(), graph));
  timeline_->setGeometry(QRect(0, graph, width(), height() - graph));
}

void CQuorvalinFormView::SetFileChooser(FileChooser* chooser) {
  chooser_ = chooser;
  outputs_.SetFileChooser(chooser);
  // The graph's pages choose files too.
  display_.Panels().Context().chooser = chooser;
}

}  // namespace qv
