#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/app/alerts.h"
#include "core/app/timer.h"
#include "core/display/display_state.h"
#include "core/record/counted_sweeps.h"
#include "core/record/log_format.h"
#include "core/record/log_reader.h"
#include "core/record/log_scan.h"
#include "core/record/log_timeline.h"
#include "core/record/log_writer.h"
#include "core/record/replay_pace.h"

namespace qv {

inline constexpr int kLogTickMs = 1000;
inline constexpr int kPlaybackTickMs = 150;
inline constexpr int kFastPlaybackTickMs = 15;

// What the log needs from the graph around it.
class LogHost {
 public:
  virtual ~LogHost() = default;
  virtual void SetStatusPaneText(int pane_id, const std::string& text) = 0;
  // A sweep record of the log being played, as the received message it was.
  virtual void PlaySweep(const uint8_t* message, size_t length) = 0;
  // Playback ran out (end record, end of the file, a torn record): it waits paused at the end,
  // the log still open; `text` says so (PlaybackEndText). The last sweep stays on the graph.
  virtual void PlaybackEnded(const std::string& text) = 0;
  // Logging or playback changed by itself (a failed write stopped logging, a file that could not
  // be reopened or a rewind that reached the first record paused playback): the graph's figures
  // and the toolbar must follow.
  virtual void LogStateChanged() = 0;
  // A time record was written or a record played: the log's figures moved.
  virtual void LogFiguresChanged() {}
  // The sweep about to be played was taken with another setting (start, points, step) than the
  // one before: the traces start again, as they do live after new settings.
  virtual void SweepSettingChanged() {}
  // Playback goes on elsewhere than after the record played last: a jump, a step back, or a
  // recorded-speed replay that fell behind and skipped on. What was going on in the sweeps before
  // (a limit violation) ends there.
  virtual void PlaybackJumped() {}
};

// The graph's spectrum log: writes logs while the Receiver streams and plays them back, paced by
// graph timer 1 (a time record a second while logging; a record per 150 ms, or 15 ms fast, while
// playing). A log being written is always finished with its end record, however it ends.
class CLogFile {
 public:
  // `identity` is the receive path's copy of what the Receiver said about itself; the header of
  // every new log is written from it.
  CLogFile(TimerFactory& timers, Alerts& alerts, LogHost& host, const ReceiverIdentity& identity);
  ~CLogFile();
  CLogFile(const CLogFile&) = delete;
  CLogFile& operator=(const CLogFile&) = delete;

  // Marker ends drawn on the graph while logging, for the header and the time records.
  LogMarkers& Markers() { return markers_; }

  // Starts a log into `path`; false, with a message naming the path and the reason, when it
  // cannot be created, or saying why not while a log is recorded or played.
  bool StartLog(const std::string& path);
  bool IsLogging() const { return writer_.Logging(); }
  // Every received message while logging, before it is decoded.
  void WriteMessageRecord(const uint8_t* message, size_t length);
  // One time record now (graph timer 1 calls it every second).
  void WriteTimeRecord();

  // Opens `path` for playback and starts timer 1. False, with a message, when it cannot be read,
  // is no spectrum log, or a log is being recorded.
  bool OpenLogForReplay(const std::string& path);
  bool IsPlaying() const { return playback_.IsOpen(); }
  // The log being played; empty when none.
  const std::string& PlaybackPath() const { return playback_.Path(); }
  bool IsPaused() const { return paused_; }
  // Played to its end and waiting there; Resume plays the log again from its start (or, with
  // fast rewind on, back from the end), a jump or a step goes back into it.
  bool AtEnd() const { return at_end_; }
  bool FastForward() const { return fast_forward_; }
  bool FastRewind() const { return fast_rewind_; }
  void Pause();
  void Resume();
  // Each returns whether its direction now runs; the other one stops.
  bool ToggleFastForward();
  bool ToggleFastRewind();
  // One playback step (graph timer 1 calls it while playing). Rewinding onto the first record
  // pauses there, that record's sweep on screen; Replay plays on forwards.
  void ReadLogRecord();

  // --- Replay by the log's own time, once a scan has built its timeline ---
  // The timeline of the log being played, kept by the caller while set; nullptr for none.
  void SetTimeline(const LogTimeline* timeline);
  // Recorded-speed replay; Fast Forward and Fast Rewind keep their record-per-tick pace over it,
  // and without a timeline a record per tick is all there is.
  void SetSpeed(ReplaySpeed speed);
  // The whole log's count of whole sweeps (the scan's), for the text at the end.
  void SetLogSweeps(std::optional<uint64_t> sweeps) { log_sweeps_ = sweeps; }
  ReplaySpeed Speed() const { return speed_; }
  // Shows the first whole sweep at or after an elapsed second (paused or playing on); false
  // without a timeline or when no sweep follows.
  bool JumpTo(int64_t elapsed);
  // Pauses, then shows the next sweep (+1) or the one before the sweep shown (-1). The time
  // record in force at the sweep shown is played first, so the clock is that sweep's.
  bool StepSweep(int direction);
  // Whether the sweep shown last is seen for the first time in this playback: true once for
  // each sweep, also for one a jump forward skipped and a jump back then shows; never while
  // rewinding.
  bool CountShownSweep();
  // Elapsed second and clock (LogClockSeconds) of the record played last.
  int64_t PositionElapsed() const;
  std::optional<int64_t> PositionClock() const;

  // Ends logging (with the end record) and playback; the log is idle again.
  void CloseLog();
  bool Idle() const { return !IsLogging() && !IsPlaying(); }

  // Figures for the graph's recording and replay box.
  uint64_t LogSize() const { return writer_.LogSize(); }
  uint32_t LogMinutes() const { return writer_.Minutes(); }
  uint64_t PlaybackPosition() const { return playback_.Position(); }
  uint64_t PlaybackLength() const { return playback_.FileLength(); }
  uint32_t RecordsWritten() const { return writer_.RecordsWritten(); }
  const std::string& FormatTitle() const { return format_title_; }

  // The clock the log stamps its records with; tests fix it.
  void SetClock(std::function<LogClock()> clock) { clock_ = std::move(clock); }

 private:
  void OnTimer();
  void RestartPlaybackTimer();
  void FailedWrite();
  void ShowPlayingPanes();
  // Before the log's first time record the time is the header's.
  void ShowHeaderTime();
  // Counts the sweeps and keeps the time of what was just read.
  void NoteRecord(size_t length);
  // Playback goes on elsewhere than after the record read last: no whole sweep spans the gap.
  void BreakSweepOrder();
  void EndPlayback();
  // Plays again from the first record after the header, as freshly opened.
  void RestartFromTheStart();
  // Reading goes on at `offset`, not after the record read last (a jump, a step back, a skip):
  // the host hears of it, no sweep spans the gap, nothing is held; false if the seek failed.
  bool SeekElsewhere(uint64_t offset);
  // Nothing played or shown yet: the position's figures as a log freshly opened has them.
  void ForgetPosition();
  // A read's outcome: a record is played; the end, the first record or a missing file stop or
  // pause as the toolbar's pace always has.
  void HandleRead(LogPlayback::Result result, size_t length);
  void PlayRecord(size_t length);
  bool Paced() const;
  // One frame's worth of recorded-speed replay, within the tick's budget.
  void PacedTick();
  // When the record in the buffer is due: a time record's second, a sweep's share of its
  // second; nullopt for records that go with what came before.
  std::optional<double> RecordTime(size_t length) const;
  // The record in the buffer as a sweep block; nullopt for any other record.
  std::optional<LogSweepBlock> SweepBlock(size_t length) const;
  // Plays on to the first sweep whose first block starts at or after `from` and shows all of
  // it: time records on the way and inside the sweep are played, blocks before it are passed
  // over. The sweep ends with its last point, or where the next one begins (that block is held).
  bool ShowSweepFrom(uint64_t from);
  // The next record forwards: the held one, else one read. kSkipped for one stepped over.
  LogPlayback::Result NextForward(size_t* length);
  TimerFactory& timers_;
  Alerts& alerts_;
  LogHost& host_;
  const ReceiverIdentity& identity_;
  std::unique_ptr<Timer> timer_;  // graph timer 1
  std::function<LogClock()> clock_;
  SpectrumLogWriter writer_;
  LogPlayback playback_;
  LogMarkers markers_{};
  std::array<uint8_t, kPlaybackBufferSize> buffer_{};
  std::string format_title_;
  bool paused_ = false;
  bool fast_forward_ = false;
  bool fast_rewind_ = false;
  bool open_failure_shown_ = false;
  bool at_end_ = false;
  // For the end of a playback: the whole sweeps played, each once however often shown (by the
  // rule `quorvalin-log csv` counts by), and the time of the last time record read.
  WholeSweepRule whole_rule_;
  CountedSweeps whole_counted_;
  uint64_t whole_played_ = 0;
  uint64_t whole_begun_at_ = 0;  // first block of the sweep the rule has in progress
  bool whole_follows_ = false;   // nothing passed over since the whole sweep counted last
  bool jumped_ = false;          // a jump may have left sweeps unplayed
  std::optional<uint64_t> log_sweeps_;
  std::optional<LogClock> last_time_;

  const LogTimeline* timeline_ = nullptr;
  ReplaySpeed speed_ = ReplaySpeed::kRecordPerTick;
  ReplayPace pace_;
  bool held_ = false;  // the buffer holds a record read but not played yet
  size_t held_length_ = 0;
  std::optional<size_t> entry_;  // time record in force at the record played last
  uint64_t sweep_in_entry_ = 0;  // sweeps begun since it
  double shown_time_ = 0;        // elapsed time of the sweep shown
  uint64_t shown_sweep_at_ = 0;  // its first block's offset
  uint64_t played_at_ = 0;       // the record played last
  CountedSweeps counted_;
  uint64_t next_record_ = 0;  // where the record after the one played last starts
  bool in_order_ = false;     // every record since the sweep counted last was played, in order
  std::optional<LogSweepSetting> setting_;  // of the sweep block played last
};

// "End of log: 140 sweeps, last record 2026-12-08 03:12:07", or where fewer than the log's
// `total` were played, "End of log: 30 of 140 sweeps played, ...": the date and time of the last
// time record read, left out when none is known; a log cut short adds a line saying where
// (TornRecordText).
std::string PlaybackEndText(uint64_t played, std::optional<uint64_t> total,
                            const std::optional<LogClock>& time,
                            const std::optional<uint64_t>& torn_at);

// Why no spectrum log can start now (one is recorded or played); empty when one can.
std::string WhyNoNewLog(bool recording, bool playing_back);

// The log's figures into the state the graph's painter reads.
void CopyLogFigures(const CLogFile& log, DisplayState& state);

}  // namespace qv
