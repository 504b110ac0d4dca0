#include "core/record/log_file.h"

#include "core/app/status_panes.h"
#include "core/link/sweep_message.h"

#include <cstdio>

namespace qv {
namespace {

constexpr char kLogCaption[] = "Log File Alert !";

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CLogFile::CLogFile(TimerFactory& timers, Alerts& alerts, LogHost& host,
                   const ReceiverIdentity& identity)
    : alerts_(alerts),
      host_(host),
      identity_(identity),
      timer_(timers.CreateTimer()),
      clock_(&LocalLogClock) {
  timer_->SetCallback([this] { OnTimer(); });
}

CLogFile::~CLogFile() {
  // However the program ends, a log being written gets its end record.
  CloseLog();
}

bool CLogFile::StartLog(const std::string& path) {
  if (const std::string why = WhyNoNewLog(IsLogging(), IsPlaying()); !why.empty()) {
    alerts_.Show(why, kLogCaption);
    return false;
  }
  std::string error;
  std::unique_ptr<RecordSink> sink = CreateFileSink(path, &error);
  if (!sink) {
    alerts_.Show("The spectrum log could not be created.\n" + error, kLogCaption);
    return false;
  }
  if (!writer_.Start(std::move(sink), identity_, clock_(), markers_)) {
    alerts_.Show("The spectrum log could not be written.\n" + writer_.Error(), kLogCaption);
    return false;
  }
  host_.SetStatusPaneText(kPaneLogFile, "Spec Log Locn: " + FileName(path));
  timer_->Start(kLogTickMs);
  return true;
}

void CLogFile::WriteMessageRecord(const uint8_t* message, size_t length) {
  if (!IsLogging()) return;
  if (!writer_.WriteMessage(message, length)) FailedWrite();
}

void CLogFile::WriteTimeRecord() {
  if (!IsLogging()) return;
  if (!writer_.WriteTime(clock_(), markers_)) {
    FailedWrite();
    return;
  }
  host_.LogFiguresChanged();
}

void CLogFile::FailedWrite() {
  // The writer has closed the file; every record before the failed one is in it.
  timer_->Stop();
  alerts_.Show(writer_.Error() +
                   "\nLogging has stopped. Everything recorded before this is kept in the file.",
               kLogCaption);
  host_.LogStateChanged();
}

bool CLogFile::OpenLogForReplay(const std::string& path) {
  if (IsLogging()) {
    alerts_.Show(WhyNoNewLog(true, false), kLogCaption);
    return false;
  }
  CloseLog();
  std::string error;
  if (!playback_.Open(path, &error)) {
    alerts_.Show("The spectrum log could not be played.\n" + error, "Alert");
    return false;
  }
  format_title_ = LogFormatTitle(path);
  paused_ = false;
  fast_forward_ = false;
  fast_rewind_ = false;
  open_failure_shown_ = false;
  sweeps_ = 0;
  unread_from_ = 0;
  last_time_.reset();
  ShowPlayingPanes();
  RestartPlaybackTimer();
  return true;
}

void CLogFile::ShowPlayingPanes() {
  const LogHeaderInfo& header = playback_.Header();
  host_.SetStatusPaneText(kPaneFirmware,
                          "F/w Ver: " + FirmwareVersionText(header.identity.firmware.data(),
                                                            header.identity.firmware.size()));
  host_.SetStatusPaneText(kPaneLogFile, "Playing File: " + FileName(playback_.Path()) + " (" +
                                            std::to_string(playback_.FileLength()) + " Bytes)");
  host_.SetStatusPaneText(kPaneSerial, "Receiver Serial # " + header.serial);
  // The time pane follows the log's time records; until the first, the header's time, not the
  // last log's.
  host_.SetStatusPaneText(kPaneRunningTime,
                          KnownTime(header.clock) ? LogClockText(header.clock) : std::string());
}

void CLogFile::Pause() {
  if (!IsPlaying()) return;
  paused_ = true;
  timer_->Stop();
}

void CLogFile::Resume() {
  if (!IsPlaying()) return;
  paused_ = false;
  open_failure_shown_ = false;
  RestartPlaybackTimer();
}

bool CLogFile::ToggleFastForward() {
  fast_rewind_ = false;
  fast_forward_ = IsPlaying() && !fast_forward_;
  if (IsPlaying() && !paused_) RestartPlaybackTimer();
  return fast_forward_;
}

bool CLogFile::ToggleFastRewind() {
  fast_forward_ = false;
  fast_rewind_ = IsPlaying() && !fast_rewind_;
  if (IsPlaying() && !paused_) RestartPlaybackTimer();
  return fast_rewind_;
}

void CLogFile::RestartPlaybackTimer() {
  timer_->Start(fast_forward_ || fast_rewind_ ? kFastPlaybackTickMs : kPlaybackTickMs);
}

void CLogFile::OnTimer() {
  if (IsLogging()) {
    WriteTimeRecord();
  } else if (IsPlaying() && !paused_) {
    ReadLogRecord();
  } else {
    timer_->Stop();
  }
}

void CLogFile::ReadLogRecord() {
  if (!IsPlaying()) return;
  size_t length = 0;
  const LogPlayback::Result result = fast_rewind_
                                         ? playback_.ReadBackward(buffer_.data(), &length)
                                         : playback_.ReadForward(buffer_.data(), &length);
  switch (result) {
    case LogPlayback::Result::kRecord: {
      open_failure_shown_ = false;
      NoteRecord(length);
      const uint8_t type = buffer_[0];
      if (type == kMsgSweep || type == kMsgTriggerSweep) {
        host_.PlaySweep(buffer_.data(), length + 1);
      } else if (type == kLogTimeType && length >= 6) {
        host_.SetStatusPaneText(kPaneRunningTime, LogClockText(*last_time_));
      }
      host_.LogFiguresChanged();
      break;
    }
    case LogPlayback::Result::kSkipped:
      break;
    case LogPlayback::Result::kEnd:
      EndPlayback();
      break;
    case LogPlayback::Result::kFirst:
      // The first record's sweep stays on screen: wait there for Replay to play forwards.
      fast_rewind_ = false;
      Pause();
      host_.LogStateChanged();
      break;
    case LogPlayback::Result::kNoFile:
      // Once, then wait: a message every 150 ms would bury the user. Replay tries again.
      // The toolbar offers Replay before the message waits for the user.
      Pause();
      host_.LogStateChanged();
      if (!open_failure_shown_) {
        open_failure_shown_ = true;
        alerts_.Show("File Could not be opened", "Alert");
      }
      break;
  }
}

void CLogFile::NoteRecord(size_t length) {
  const uint8_t type = buffer_[0];
  if (type == kLogTimeType && length >= 6) {
    const uint8_t* p = buffer_.data() + 1;
    last_time_ = LogClock{p[0], p[1], p[2], p[3], p[4], p[5]};
  }
  // Each sweep once, however often rewinding shows it again.
  const uint64_t at = playback_.Position();
  if (fast_rewind_ || at < unread_from_) return;
  unread_from_ = at + 1;
  const std::optional<SweepHeader> sweep = ParseSweepHeader(buffer_.data(), length + 1);
  if (sweep && sweep->block_frequency == sweep->start) ++sweeps_;
}

void CLogFile::EndPlayback() {
  const std::string text = PlaybackEndText(
      sweeps_, last_time_ ? last_time_ : std::optional<LogClock>(playback_.Header().clock),
      playback_.TornAt());
  CloseLog();
  host_.PlaybackEnded(text);
}

void CLogFile::CloseLog() {
  timer_->Stop();
  if (IsLogging() && !writer_.Finish()) {
    alerts_.Show(writer_.Error(), kLogCaption);
  }
  playback_.Close();
  paused_ = false;
  fast_forward_ = false;
  fast_rewind_ = false;
}

std::string PlaybackEndText(uint64_t sweeps, const std::optional<LogClock>& time,
                            const std::optional<uint64_t>& torn_at) {
  std::string text =
      "End of log: " + std::to_string(sweeps) + (sweeps == 1 ? " sweep" : " sweeps");
  if (time && KnownTime(*time)) {
    char clock[16];
    std::snprintf(clock, sizeof clock, ", %02d:%02d:%02d", time->hour, time->minute, time->second);
    text += clock;
  }
  if (torn_at) text += "\n" + TornRecordText(*torn_at);
  return text;
}

std::string WhyNoNewLog(bool recording, bool playing_back) {
  if (recording) return "A spectrum log is being recorded; Stop ends it.";
  if (playing_back) return "No spectrum log is recorded while a log plays; Stop ends the playback.";
  return {};
}

void CopyLogFigures(const CLogFile& log, DisplayState& state) {
  state.recording = log.IsLogging();
  state.log_bytes = log.LogSize();
  state.log_minutes = static_cast<int32_t>(log.LogMinutes());
  state.playing_back = log.IsPlaying();
  state.playback_paused = log.IsPaused();
  state.fast_forward = log.FastForward();
  state.fast_rewind = log.FastRewind();
  state.playback_position = log.PlaybackPosition();
  state.log_length = log.PlaybackLength();
}

}  // namespace qv
