#include "gui/record/recording_controller.h"

#include <QWidget>
#include <utility>

#include "core/app/status_panes.h"
#include "core/control/form_view_rules.h"
#include "core/link/sweep_message.h"
#include "core/record/log_time.h"
#include "gui/display/graph_painter.h"
#include "gui/record/log_scan_runner.h"
#include "gui/record/time_marker_dialog.h"

namespace qv {

CRecordingController::CRecordingController(TimerFactory& timers, Alerts& alerts,
                                           RecordingGraph& graph, ReceiverIdentity& identity,
                                           QWidget* window)
    : timers_(timers),
      alerts_(alerts),
      graph_(graph),
      identity_(identity),
      log_(std::make_unique<CLogFile>(timers, alerts, *this, identity)),
      captures_(std::make_unique<CaptureLog>(alerts, *this)),
      scanner_(std::make_unique<CLogScanRunner>()) {
  time_markers_ = new CTimeMarkerDialog(*captures_, window);
  time_markers_->setWindowFlag(Qt::Window);
  connect(scanner_.get(), &CLogScanRunner::Progressed, this, &CRecordingController::ScanProgressed);
  connect(scanner_.get(), &CLogScanRunner::Finished, this, &CRecordingController::OnScanFinished);
}

CRecordingController::~CRecordingController() {
  // The scan ends before the log it reads is forgotten.
  EndScan();
}

void CRecordingController::EndScan() {
  held_for_scan_ = false;
  log_->SetTimeline(nullptr);
  scanner_->Cancel();
  scan_.reset();
}

void CRecordingController::OnScanFinished() {
  scan_ = scanner_->Result();
  // Whatever the scan found, a held log plays once it is told (after a start time is placed).
  const bool held = std::exchange(held_for_scan_, false);
  if (!scan_ || !PlayingBack()) {
    if (held) ResumePlayback();
    return;
  }
  log_->SetTimeline(scan_->timeline.get());
  log_->SetLogSweeps(scan_->scan.WholeSweeps());
  if (!scan_->damage.empty()) {
    // Once per log, in words that say what was skipped and where; never a box to click away.
    const std::string text = "Log " + scan_->damage;  // "Log damaged: ..."
    graph_.SetStatusPaneText(kPaneMessage, text);
    alerts_.Note(text);
  }
  emit ScanFinished();
  NotePosition(true);
  if (held) ResumePlayback();
}

void CRecordingController::HoldUntilScanned() {
  if (!PlayingBack() || scan_) return;
  held_for_scan_ = true;
  PausePlayback();
}

const LogTimeline* CRecordingController::Timeline() const {
  return scan_ ? scan_->timeline.get() : nullptr;
}

const LogOverview* CRecordingController::Overview() const {
  return scan_ ? scan_->overview.get() : nullptr;
}

double CRecordingController::ScanProgress() const {
  return scan_ ? 1.0 : scanner_->Progress();
}

std::string CRecordingController::ScanDamage() const {
  return scan_ ? scan_->damage : std::string();
}

void CRecordingController::JumpTo(int64_t elapsed_seconds) {
  if (!PlayingBack() || Timeline() == nullptr) return;
  graph_.ResetTraces();
  log_->JumpTo(elapsed_seconds);
  FollowTheEnd();
  CopyFigures();
  graph_.Repaint();
  NotePosition(true);
}

bool CRecordingController::JumpToTime(const LogTimePoint& point, std::string* error) {
  const LogTimeline* timeline = Timeline();
  const std::optional<int64_t> elapsed = timeline ? timeline->ElapsedOf(point) : std::nullopt;
  if (!elapsed) {
    if (error != nullptr) {
      *error = !timeline || timeline->Empty()
                   ? std::string("the log has no time records")
                   : "the log runs from " + LogSecondsText(timeline->Entry(0).seconds) +
                         " (+00:00:00) to " + ElapsedText(timeline->Duration());
    }
    return false;
  }
  JumpTo(*elapsed);
  return true;
}

void CRecordingController::StepSweep(int direction) {
  if (!PlayingBack()) return;
  // Back shows that sweep alone, as a jump would; forward goes on as playing does.
  if (direction < 0) graph_.ResetTraces();
  log_->StepSweep(direction);
  FollowTheEnd();
  CopyFigures();
  graph_.RepaintNow();
  emit FlagsChanged();
  NotePosition(true);
}

void CRecordingController::SetReplaySpeed(ReplaySpeed speed) {
  log_->SetSpeed(speed);
}

std::pair<uint64_t, uint64_t> CRecordingController::RangeOf(int64_t from_elapsed,
                                                            int64_t to_elapsed) const {
  const LogTimeline* timeline = Timeline();
  if (timeline == nullptr) return {0, 0};
  return timeline->RangeOf(from_elapsed, to_elapsed);
}

void CRecordingController::NotePosition(bool now) {
  constexpr int64_t kMinGapMs = 200;
  // The clock as well as the elapsed time: before the scan gives a timeline (or across a clock
  // set back) only the clock moves.
  const std::pair<int64_t, std::optional<int64_t>> position{PositionElapsed(), PositionClock()};
  const int64_t ms = timers_.NowMs();
  if (!now && (position == position_sent_ || ms - position_sent_ms_ < kMinGapMs)) return;
  position_sent_ = position;
  position_sent_ms_ = ms;
  emit PositionChanged();
}

void CRecordingController::CopyFigures() {
  CopyLogFigures(*log_, graph_.State());
}

bool CRecordingController::StartPlayback() {
  if (PlayingBack()) return true;
  return playback_starter_ && playback_starter_();
}

bool CRecordingController::StartLog(const std::string& path) {
  const bool started = log_->StartLog(path);
  CopyFigures();
  emit FlagsChanged();
  if (started) emit FileInUse(QString::fromStdString(path));
  return started;
}

bool CRecordingController::OpenLogForReplay(const std::string& path) {
  EndScan();
  if (!log_->OpenLogForReplay(path)) return false;
  scanner_->Start(path);
  position_sent_ = {-1, std::nullopt};
  // The log's sweeps start from an empty record, as after a new setting; a review ends, so the
  // graph and the fast buttons are the log's alone.
  SetReplayDrawing(false);
  graph_.ResetTraces();
  graph_.ClearModeFlags();
  CopyFigures();
  graph_.Update();
  emit FlagsChanged();
  emit FileInUse(QString::fromStdString(path));
  return true;
}

void CRecordingController::PausePlayback() {
  if (!PlayingBack()) return;
  log_->Pause();
  CopyFigures();
  graph_.RepaintNow();
  emit FlagsChanged();
  NotePosition(true);
}

void CRecordingController::ResumePlayback() {
  if (!PlayingBack()) return;
  // From the end the log plays again from its start, on a fresh record.
  if (log_->AtEnd() && !log_->FastRewind()) graph_.ResetTraces();
  log_->Resume();
  FollowTheEnd();
  CopyFigures();
  emit FlagsChanged();
}

void CRecordingController::StopRecordingOrPlayback() {
  const bool played = PlayingBack();
  if (played) EndScan();
  log_->CloseLog();
  // The log's clock leaves the time pane with the log, not at the next connection's first tick.
  if (played) graph_.SetStatusPaneText(kPaneRunningTime, RunningClock::InitialText());
  CopyFigures();
  // A recording ends alone: the picture and the traces stay, with or without a Receiver. A
  // picture left from playback (its progress box above all) would tell of a replay that ended.
  if (played) {
    graph_.ResetTraces();
    graph_.ClearModeFlags();
    graph_.BlankKeptPicture();
  }
  graph_.RepaintNow();
  emit FlagsChanged();
}

bool CRecordingController::ToggleFastForward() {
  const bool on = log_->ToggleFastForward();
  CopyFigures();
  graph_.Update();
  return on;
}

bool CRecordingController::ToggleFastRewind() {
  const bool on = log_->ToggleFastRewind();
  CopyFigures();
  graph_.Update();
  return on;
}

void CRecordingController::NoteDrawnGlyphs(const std::vector<DrawnGlyph>& drawn) {
  if (!log_->IsLogging()) return;
  for (const DrawnGlyph& glyph : drawn) {
    log_->Markers()[static_cast<size_t>(2 * (glyph.marker - 1) + (glyph.b_end ? 1 : 0))] =
        LogMarkerEnd{1, glyph.x};
  }
}

void CRecordingController::SetReplayDrawing(bool on) {
  if (!on) graph_.KeepLastPicture();
  graph_.State().replay_drawing = on;
  if (!on) captures_->StopReview();
}

bool CRecordingController::CreateCaptureFile(const std::string& path) {
  const bool created = captures_->CreateCaptureFile(path);
  time_markers_->Refresh();
  emit FlagsChanged();
  if (created) emit FileInUse(QString::fromStdString(path));
  return created;
}

CaptureSweep CRecordingController::CurrentCapture() const {
  return CaptureOfTrace(graph_.Trace());
}

std::optional<uint32_t> CRecordingController::TakeCapture(const std::string& comment) {
  const std::optional<uint32_t> taken = captures_->Capture(graph_.Trace(), comment);
  if (!captures_->Waiting()) ShowTimeMarkers();
  return taken;
}

void CRecordingController::OnWholeSweep() {
  if (captures_->OnWholeSweep(graph_.Trace())) ShowTimeMarkers();
}

bool CRecordingController::WriteCaptureComment(const std::string& path, uint32_t number,
                                               const std::string& text) {
  const bool written = captures_->WriteComment(path, number, text);
  time_markers_->Refresh();
  return written;
}

void CRecordingController::ShowTimeMarkers() {
  time_markers_->Refresh();
  time_markers_->show();
  time_markers_->raise();
}

bool CRecordingController::OpenCaptureForReview(const std::string& path) {
  // The capture shown comes alone, on a fresh record.
  graph_.ResetTraces();
  graph_.ClearModeFlags();
  if (!captures_->OpenCaptureForReview(path)) return false;
  graph_.State().replay_drawing = true;
  ShowTimeMarkers();
  emit FlagsChanged();
  emit FileInUse(QString::fromStdString(path));
  return true;
}

void CRecordingController::ShowCapture(const uint8_t* block, const int16_t* levels, size_t count) {
  graph_.Trace().LoadLoggedSweep(block, kCaptureSweepBlockSize, levels, count, graph_.GraphRect());
  const bool trigger = block[0] == kMsgTriggerSweep;
  graph_.SetModeFlags(!trigger, trigger);
  graph_.Repaint();
}

void CRecordingController::PlaySweep(const uint8_t* message, size_t length) {
  const bool trigger = message[0] == kMsgTriggerSweep;
  graph_.SetModeFlags(!trigger, trigger);
  graph_.ProcessSweepBlock(message, length);
  graph_.Repaint();
}

void CRecordingController::SweepSettingChanged() {
  // As new settings sent to the Receiver do: the traces and the sweep mode start again.
  graph_.ResetTraces();
  graph_.ClearModeFlags();
}

void CRecordingController::PlaybackEnded(const std::string& text) {
  // Paused at the end: its last sweep stays on the graph with the words that ended it.
  ShowPlaybackEnd(text);
  LogStateChanged();
}

void CRecordingController::FollowTheEnd() {
  if (!log_->AtEnd()) ShowPlaybackEnd({});
}

void CRecordingController::ShowPlaybackEnd(const std::string& text) {
  DisplayState& state = graph_.State();
  if (state.playback_end == text) return;
  state.playback_end = text;
  graph_.SetStatusPaneText(
      kPaneMessage,
      QString::fromStdString(text).replace(QLatin1Char('\n'), QStringLiteral("; ")).toStdString());
}

void CRecordingController::LogStateChanged() {
  CopyFigures();
  graph_.Update();
  emit FlagsChanged();
  emit LogChangedByItself();
}

void CRecordingController::LogFiguresChanged() {
  CopyFigures();
  graph_.Update();
  if (PlayingBack()) NotePosition(false);
}

void CRecordingController::SetStatusPaneText(int pane_id, const std::string& text) {
  graph_.SetStatusPaneText(pane_id, text);
}

void CRecordingController::SetFirmwareBytes(const uint8_t* bytes, size_t count) {
  identity_.StoreFirmware(bytes, count);
}

void CRecordingController::SetSerialBytes(const uint8_t* bytes, size_t count) {
  identity_.StoreSerial(bytes, count);
}

}  // namespace qv
