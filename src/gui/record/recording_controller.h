#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/app/alerts.h"
#include "core/app/timer.h"
#include "core/display/display_state.h"
#include "core/display/plot_scale.h"
#include "core/display/receiver_identity.h"
#include "core/display/trace_data.h"
#include "core/link/message_decoder.h"
#include "core/record/capture_log.h"
#include "core/record/log_file.h"
#include "core/record/log_file_scan.h"
#include "core/record/replay_pace.h"

class QWidget;

namespace qv {

class CLogScanRunner;
class CTimeMarkerDialog;
struct DrawnGlyph;

// What recording, playback and review need from the graph they show in.
class RecordingGraph {
 public:
  virtual ~RecordingGraph() = default;
  virtual TraceData& Trace() = 0;
  // The log's figures, the review flag and the playback's end text live here for the painter.
  virtual DisplayState& State() = 0;
  virtual PlotRect GraphRect() const = 0;
  virtual void SetStatusPaneText(int pane_id, const std::string& text) = 0;
  virtual void SetModeFlags(bool spectrum_mode, bool power_trigger_mode) = 0;
  virtual void ProcessSweepBlock(const uint8_t* message, size_t length) = 0;
  virtual void ResetTraces() = 0;
  virtual void ClearModeFlags() = 0;
  // The picture on screen into the back buffer, before the sweep modes end; or that kept
  // picture blanked.
  virtual void KeepLastPicture() = 0;
  virtual void BlankKeptPicture() = 0;
  // A frame soon (the frame pacer), a paint on the next pass of the loop, or one now.
  virtual void Repaint() = 0;
  virtual void Update() = 0;
  virtual void RepaintNow() = 0;
};

// The graph's spectrum log and instant captures: recording, playback with fast forward and
// rewind, captures and their review, and the log's figures on the graph. Owned by `CDisplay`;
// the receive path records through it (ReceiveLog) before decoding.
class CRecordingController : public QObject, public ReceiveLog, public LogHost, public CaptureHost {
  Q_OBJECT

 public:
  // `window` parents the time-marker window (a top-level window all the same, owned by Qt).
  CRecordingController(TimerFactory& timers, Alerts& alerts, RecordingGraph& graph,
                       ReceiverIdentity& identity, QWidget* window);
  ~CRecordingController() override;

  CLogFile& Log() { return *log_; }
  bool Recording() const { return log_->IsLogging(); }
  bool PlayingBack() const { return log_->IsPlaying(); }  // stays true while paused
  bool PlaybackPaused() const { return log_->IsPaused(); }
  bool FastForward() const { return log_->FastForward(); }
  bool FastRewind() const { return log_->FastRewind(); }
  // Starts a spectrum log into `path` (messages tell why when it cannot).
  bool StartLog(const std::string& path);
  // Opens `path` and plays it in the graph from a fresh start.
  bool OpenLogForReplay(const std::string& path);

  // Asks what to replay and opens it (the view's dialogs; tests script it); true once playback
  // runs. Without one, Replay starts nothing.
  void SetPlaybackStarter(std::function<bool()> starter) { playback_starter_ = std::move(starter); }
  bool StartPlayback();
  void PausePlayback();
  void ResumePlayback();
  // Ends recording and playback, with fast forward and rewind. The graph keeps what a
  // recording showed; a playback's picture goes.
  void StopRecordingOrPlayback();
  // Each returns whether that direction now runs; the other direction stops.
  bool ToggleFastForward();
  bool ToggleFastRewind();
  // What ended the last playback, on the graph and in the status bar; empty clears it.
  void ShowPlaybackEnd(const std::string& text);
  // Marker glyphs drawn on the graph go into the log's marker block while logging.
  void NoteDrawnGlyphs(const std::vector<DrawnGlyph>& drawn);

  // --- A log's time: its background scan, the position shown, jumps, steps and speed ---
  // The scan's timeline and overview; nullptr until it is done.
  const LogTimeline* Timeline() const;
  const LogOverview* Overview() const;
  double ScanProgress() const;  // 0 ... 1, 1 when done
  // What the scan found damaged, once it is done; empty for nothing.
  std::string ScanDamage() const;
  // Nothing of the log just opened plays until its scan is done and ScanFinished has been
  // told (where a start time is placed); then it plays on.
  void HoldUntilScanned();
  // The first whole sweep at or after an elapsed second, traces restarted.
  void JumpTo(int64_t elapsed_seconds);
  // A time as a user gives it; false, with why in `error`, for one outside the log (or before
  // the scan is done).
  bool JumpToTime(const LogTimePoint& point, std::string* error);
  // One sweep forward (+1) or back (-1); pauses.
  void StepSweep(int direction);
  // Whether the sweep just completed counts for the limit check, density and channel use: live
  // sweeps do; a log's, the first time this playback shows them.
  bool CountsSweep() { return !PlayingBack() || log_->CountShownSweep(); }
  void SetReplaySpeed(ReplaySpeed speed);
  ReplaySpeed Speed() const { return log_->Speed(); }
  int64_t PositionElapsed() const { return log_->PositionElapsed(); }
  std::optional<int64_t> PositionClock() const { return log_->PositionClock(); }
  // Bytes of the records of a time window, cut at record boundaries.
  std::pair<uint64_t, uint64_t> RangeOf(int64_t from_elapsed, int64_t to_elapsed) const;

  // Instant captures and their review in the graph.
  CaptureLog& Captures() { return *captures_; }
  CTimeMarkerDialog& TimeMarkers() { return *time_markers_; }
  bool CaptureReady() const { return captures_->Ready(); }
  bool ReplayDrawing() const { return graph_.State().replay_drawing; }
  // Connecting again ends a review of captures.
  void SetReplayDrawing(bool on);
  // A new capture file for "Instant Capture" (messages tell why when it cannot be created).
  bool CreateCaptureFile(const std::string& path);
  // Appends the sweep on screen, or the next one while it is still arriving, when a capture file
  // is ready (else says why); then shows the time markers. A capture set off by the program
  // names why in its comment. The capture's number when it was written now.
  std::optional<uint32_t> TakeCapture(const std::string& comment = kNoCommentsText);
  // A sweep's last point has arrived: a capture waiting for it is taken.
  void OnWholeSweep();
  // Replaces the comment of capture `number` in `path`; the time markers follow.
  bool WriteCaptureComment(const std::string& path, uint32_t number, const std::string& text);
  // Lists the captures of `path`, shows the first in the graph and the time-marker window.
  bool OpenCaptureForReview(const std::string& path);
  // The graph's current sweep as a capture keeps it.
  CaptureSweep CurrentCapture() const;
  void ShowTimeMarkers();

  // ReceiveLog
  bool IsLogging() const override { return log_->IsLogging(); }
  void WriteMessageRecord(const uint8_t* message, size_t length) override {
    log_->WriteMessageRecord(message, length);
  }
  void SetFirmwareBytes(const uint8_t* bytes, size_t count) override;
  void SetSerialBytes(const uint8_t* bytes, size_t count) override;

  // LogHost
  void SetStatusPaneText(int pane_id, const std::string& text) override;
  void PlaySweep(const uint8_t* message, size_t length) override;
  void PlaybackEnded(const std::string& text) override;
  void LogStateChanged() override;
  void LogFiguresChanged() override;
  void SweepSettingChanged() override;
  void PlaybackJumped() override { emit Jumping(); }

  // CaptureHost
  void ShowCapture(const uint8_t* block, const int16_t* levels, size_t count) override;

 signals:
  // Recording, playback or review changed what the toolbar's enable rules read.
  void FlagsChanged();
  // A log or capture file was recorded, played or reviewed: it belongs on the recent list.
  void FileInUse(const QString& path);
  // Recording or playback changed by itself (a log played to its end, a failed write, a pause
  // at the first record or at a file that cannot be reopened).
  void LogChangedByItself();
  // The scan of the log being played moved on, or finished (Timeline() is there from then on).
  void ScanProgressed();
  void ScanFinished();
  // The position shown moved: to another second (a few times a second at most), or by a jump,
  // a step or a pause.
  void PositionChanged();
  // A jump, a step back or a replay that fell behind its speed has left the sweeps played so
  // far, before any sweep of the new place shows: what was going on in them (a limit
  // violation) ends there.
  void Jumping();

 private:
  // The log's figures into the graph's state.
  void CopyFigures();
  void OnScanFinished();
  // Tells of a new position; unless `now`, only of another second and not too often.
  void NotePosition(bool now);
  // A playback that left its end (a jump, a step, Replay) no longer says it ended.
  void FollowTheEnd();
  void EndScan();

  TimerFactory& timers_;
  Alerts& alerts_;
  RecordingGraph& graph_;
  ReceiverIdentity& identity_;
  std::function<bool()> playback_starter_;
  std::unique_ptr<CLogFile> log_;
  std::unique_ptr<CaptureLog> captures_;
  CTimeMarkerDialog* time_markers_ = nullptr;  // a top-level window, owned by Qt
  std::unique_ptr<CLogScanRunner> scanner_;
  std::shared_ptr<const LogFileScan> scan_;
  std::pair<int64_t, std::optional<int64_t>> position_sent_{-1, std::nullopt};
  int64_t position_sent_ms_ = 0;
  bool held_for_scan_ = false;
};

}  // namespace qv
