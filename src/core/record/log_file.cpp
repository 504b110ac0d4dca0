#include "core/record/log_file.h"

#include "core/app/status_panes.h"
#include "core/link/sweep_message.h"
#include "core/record/log_time.h"

#include <algorithm>
#include <cstdio>
#include <utility>

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
    : timers_(timers),
      alerts_(alerts),
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
  ShowHeaderTime();
}

void CLogFile::ShowHeaderTime() {
  const LogClock& clock = playback_.Header().clock;
  last_time_.reset();
  host_.SetStatusPaneText(kPaneRunningTime, KnownTime(clock) ? LogClockText(clock) : std::string());
}

void CLogFile::Pause() {
  if (!IsPlaying()) return;
  paused_ = true;
  timer_->Stop();
}

void CLogFile::Resume() {
  if (!IsPlaying()) return;
  if (std::exchange(at_end_, false) && !fast_rewind_) RestartFromTheStart();
  held_ = held_ && !fast_rewind_;
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
  if (Paced()) {
    pace_.Restart(speed_, shown_time_, timers_.NowMs());
    timer_->Start(speed_ == ReplaySpeed::kMax ? kMaxSpeedTickMs : kPacedTickMs);
    return;
  }
  timer_->Start(fast_forward_ || fast_rewind_ ? kFastPlaybackTickMs : kPlaybackTickMs);
}

bool CLogFile::Paced() const {
  return speed_ != ReplaySpeed::kRecordPerTick && timeline_ != nullptr && !timeline_->Empty() &&
         !fast_forward_ && !fast_rewind_;
}

void CLogFile::OnTimer() {
  if (IsLogging()) {
    WriteTimeRecord();
  } else if (IsPlaying() && !paused_) {
    if (Paced()) {
      PacedTick();
    } else {
      ReadLogRecord();
    }
  } else {
    timer_->Stop();
  }
}

void CLogFile::ReadLogRecord() {
  if (!IsPlaying()) return;
  // The read sets `length`: it must finish before `length` is passed on (argument order is
  // unspecified, and GCC reads it first).
  size_t length = 0;
  LogPlayback::Result result;
  if (fast_rewind_) {
    held_ = false;  // read forwards, never shown: rewinding passes it anyway
    result = playback_.ReadBackward(buffer_.data(), &length);
  } else {
    result = NextForward(&length);
  }
  HandleRead(result, length);
}

LogPlayback::Result CLogFile::NextForward(size_t* length) {
  if (held_) {
    held_ = false;
    *length = held_length_;
    return LogPlayback::Result::kRecord;
  }
  return playback_.ReadForward(buffer_.data(), length);
}

void CLogFile::HandleRead(LogPlayback::Result result, size_t length) {
  switch (result) {
    case LogPlayback::Result::kRecord:
      PlayRecord(length);
      break;
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

void CLogFile::PlayRecord(size_t length) {
  open_failure_shown_ = false;
  NoteRecord(length);
  played_at_ = playback_.Position();
  in_order_ = in_order_ && played_at_ == next_record_;
  next_record_ = played_at_ + kLogRecordPrefix + length;
  const uint8_t type = buffer_[0];
  if (const std::optional<LogSweepBlock> block = SweepBlock(length)) {
    if (block->first == 0) {
      shown_time_ = !timeline_ || !entry_ ? 0.0 : timeline_->SweepTime(*entry_, sweep_in_entry_);
      shown_sweep_at_ = played_at_;
      ++sweep_in_entry_;
    }
    // Holds and averages of one setting mean nothing at another.
    if (setting_ && *setting_ != block->setting) host_.SweepSettingChanged();
    setting_ = block->setting;
  }
  if (type == kMsgSweep || type == kMsgTriggerSweep) {
    host_.PlaySweep(buffer_.data(), length + 1);
  } else if (type == kLogTimeType && length >= 6) {
    if (last_time_) {
      host_.SetStatusPaneText(kPaneRunningTime, LogClockText(*last_time_));
    } else {
      ShowHeaderTime();
    }
    // A clock that cannot be read is no time record of the index.
    const std::optional<size_t> entry = timeline_ ? timeline_->EntryOf(played_at_) : std::nullopt;
    if (entry && timeline_->Entry(*entry).offset == played_at_) {
      entry_ = entry;
      sweep_in_entry_ = 0;
    }
  }
  host_.LogFiguresChanged();
}

std::optional<LogSweepBlock> CLogFile::SweepBlock(size_t length) const {
  return SweepBlockOf(LogRecordView{playback_.Position(), buffer_[0],
                                    static_cast<uint16_t>(length), buffer_.data() + 1});
}

std::optional<double> CLogFile::RecordTime(size_t length) const {
  if (timeline_ == nullptr) return std::nullopt;
  if (buffer_[0] == kLogTimeType) {
    const std::optional<size_t> entry = timeline_->EntryOf(playback_.Position());
    if (entry && timeline_->Entry(*entry).offset == playback_.Position())
      return static_cast<double>(timeline_->Elapsed(*entry));
    return std::nullopt;
  }
  const std::optional<LogSweepBlock> block = SweepBlock(length);
  if (!block || block->first != 0) return std::nullopt;
  return entry_ ? timeline_->SweepTime(*entry_, sweep_in_entry_) : 0.0;
}

void CLogFile::PacedTick() {
  const int64_t start = timers_.NowMs();
  for (int n = 0; n < kTickRecordBudget && timers_.NowMs() - start < kTickWorkMs; ++n) {
    size_t length = 0;
    const LogPlayback::Result result = NextForward(&length);
    if (result == LogPlayback::Result::kSkipped) continue;
    if (result != LogPlayback::Result::kRecord) {
      HandleRead(result, length);
      return;
    }
    const std::optional<double> at = RecordTime(length);
    if (at && !pace_.Due(*at, timers_.NowMs())) {
      held_ = true;
      held_length_ = length;
      return;
    }
    PlayRecord(length);
  }
  const int64_t now = timers_.NowMs();
  if (!pace_.FallenBehind(shown_time_, now)) return;
  // Drawing cannot keep up with the speed: go on from where the speed has got to.
  const LogTimeEntry& entry =
      timeline_->Entry(timeline_->EntryAt(static_cast<int64_t>(pace_.Target(now))));
  if (entry.offset > played_at_) SeekElsewhere(entry.offset);
}

bool CLogFile::SeekElsewhere(uint64_t offset) {
  if (!playback_.SeekTo(offset)) return false;
  host_.PlaybackJumped();
  BreakSweepOrder();
  held_ = false;
  at_end_ = false;
  return true;
}

bool CLogFile::ShowSweepFrom(uint64_t from) {
  constexpr int kRecordLimit = 1 << 16;  // a jump's bound where no sweep follows
  bool shown = false;
  for (int n = 0; n < kRecordLimit; ++n) {
    size_t length = 0;
    const LogPlayback::Result result = NextForward(&length);
    if (result == LogPlayback::Result::kSkipped) continue;
    // The end stays for the pace to meet; a jump or a step only shows what there is.
    if (result != LogPlayback::Result::kRecord) return shown;
    const std::optional<LogSweepBlock> block = SweepBlock(length);
    const bool first = block && block->first == 0;
    if (shown && first) {  // a sweep whose last block never came ends where the next begins
      held_ = true;
      held_length_ = length;
      return true;
    }
    if (block && !shown && (!first || playback_.Position() < from)) {
      // A sweep begun before, or one before the sweep to show: its second still counts it.
      if (first) ++sweep_in_entry_;
      continue;
    }
    shown = shown || block.has_value();
    // A time record met inside the sweep moves the clock; the sweep goes on.
    PlayRecord(length);
    if (block && block->first + block->count >= block->setting.points) return true;
  }
  return shown;
}

void CLogFile::SetTimeline(const LogTimeline* timeline) {
  timeline_ = timeline;
  std::vector<uint64_t> boundaries;
  if (timeline != nullptr) {
    boundaries.reserve(timeline->Entries());
    for (const LogTimeEntry& entry : timeline->Index()) boundaries.push_back(entry.offset);
    entry_ = timeline->EntryOf(played_at_);
    sweep_in_entry_ = 0;
    shown_time_ = static_cast<double>(timeline->ElapsedAt(played_at_));
  }
  playback_.SetBoundaries(std::move(boundaries));
  if (IsPlaying() && !paused_) RestartPlaybackTimer();
}

void CLogFile::SetSpeed(ReplaySpeed speed) {
  speed_ = speed;
  if (IsPlaying() && !paused_) RestartPlaybackTimer();
}

bool CLogFile::JumpTo(int64_t elapsed) {
  if (!IsPlaying() || timeline_ == nullptr || timeline_->Empty()) return false;
  if (!SeekElsewhere(timeline_->Entry(timeline_->EntryAt(elapsed)).offset)) return false;
  jumped_ = true;
  entry_.reset();  // the time record read first sets it
  sweep_in_entry_ = 0;
  const bool shown = ShowSweepFrom(0);
  pace_.Restart(speed_, shown_time_, timers_.NowMs());
  return shown;
}

bool CLogFile::StepSweep(int direction) {
  if (!IsPlaying()) return false;
  Pause();
  // Past the end there is no sweep: reading on would show the last record again.
  if (direction > 0) return !at_end_ && ShowSweepFrom(0);
  if (shown_sweep_at_ == 0) return false;
  // Walk from the time record before the sweep shown; a second with no sweep before it sends
  // the walk one time record further back, a few times at most.
  uint64_t before = shown_sweep_at_;
  std::optional<size_t> entry = timeline_ ? timeline_->EntryOf(before - 1) : std::nullopt;
  for (int tries = 0; tries < 4; ++tries) {
    const uint64_t from = entry ? timeline_->Entry(*entry).offset : kLogHeaderRecordSize;
    std::vector<uint64_t> times;
    const std::vector<uint64_t> starts = playback_.SweepStartsBetween(from, before, &times);
    if (!starts.empty()) {
      // Played from the time record in force at that sweep, the clock is the sweep's own.
      const uint64_t sweep = starts.back();
      const auto time = std::find_if(times.rbegin(), times.rend(),
                                     [sweep](uint64_t at) { return at < sweep; });
      const uint64_t seek = time != times.rend() ? *time : sweep;
      if (!SeekElsewhere(seek)) return false;
      entry_ = entry;
      sweep_in_entry_ = static_cast<uint64_t>(
          std::count_if(starts.begin(), starts.end(), [seek](uint64_t at) { return at < seek; }));
      if (time == times.rend()) ShowHeaderTime();  // no time record before it in the log
      return ShowSweepFrom(sweep);
    }
    if (!entry) return false;
    before = from;
    entry = *entry == 0 ? std::nullopt : std::optional<size_t>(*entry - 1);
  }
  return false;
}

bool CLogFile::CountShownSweep() {
  if (!IsPlaying() || fast_rewind_) return false;
  const bool follows = in_order_;
  in_order_ = true;
  return counted_.Count(shown_sweep_at_, follows);
}

int64_t CLogFile::PositionElapsed() const {
  return timeline_ ? timeline_->ElapsedAt(played_at_) : 0;
}

std::optional<int64_t> CLogFile::PositionClock() const {
  if (!IsPlaying()) return std::nullopt;
  return LogClockSeconds(last_time_ ? *last_time_ : playback_.Header().clock);
}

void CLogFile::NoteRecord(size_t length) {
  const uint8_t type = buffer_[0];
  if (type == kLogTimeType && length >= 6) {
    const uint8_t* p = buffer_.data() + 1;
    last_time_ = LogClock{p[0], p[1], p[2], p[3], p[4], p[5]};
    // Rewinding past a time record goes into the second before it.
    const uint64_t at = playback_.Position();
    if (fast_rewind_ && timeline_ != nullptr && at > 0) {
      const std::optional<int64_t> before = timeline_->ClockAt(at - 1);
      last_time_ = before ? LogClockOfSeconds(*before) : std::nullopt;
    }
  }
  // Each whole sweep once, however often rewinding, steps or jumps show it again.
  if (fast_rewind_) {
    BreakSweepOrder();
    return;
  }
  if (SweepLevelsOffset(type) == 0) return;
  const uint64_t at = playback_.Position();
  const WholeSweepRule::Step step = whole_rule_.Feed(
      LogRecordView{at, type, static_cast<uint16_t>(length), buffer_.data() + 1});
  if (step.begins) whole_begun_at_ = at;
  if (!step.completes) return;
  if (whole_counted_.Count(whole_begun_at_, whole_follows_)) ++whole_played_;
  whole_follows_ = true;
}

void CLogFile::BreakSweepOrder() {
  whole_rule_.Drop();
  whole_follows_ = false;
}

void CLogFile::EndPlayback() {
  // Played straight through (the pace skipping on where drawing fell behind), the log's sweeps
  // are all the log's; after a jump, only those played, unless they are all of them.
  uint64_t played = whole_played_;
  if (log_sweeps_ && (!jumped_ || played >= *log_sweeps_)) played = *log_sweeps_;
  const std::string text = PlaybackEndText(
      played, log_sweeps_,
      last_time_ ? last_time_ : std::optional<LogClock>(playback_.Header().clock),
      playback_.TornAt());
  // It waits at the end, the log still open, so the user can go back into it; Stop closes it.
  timer_->Stop();
  paused_ = true;
  fast_forward_ = false;
  fast_rewind_ = false;
  held_ = false;
  at_end_ = true;
  host_.PlaybackEnded(text);
}

void CLogFile::RestartFromTheStart() {
  if (!SeekElsewhere(kLogHeaderRecordSize)) return;
  ForgetPosition();
  ShowHeaderTime();
}

void CLogFile::ForgetPosition() {
  BreakSweepOrder();
  held_ = false;
  entry_.reset();
  sweep_in_entry_ = 0;
  shown_time_ = 0;
  shown_sweep_at_ = played_at_ = 0;
  in_order_ = false;
  setting_.reset();
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
  timeline_ = nullptr;
  ForgetPosition();
  counted_.Clear();
  at_end_ = false;
  whole_counted_.Clear();
  whole_played_ = 0;
  jumped_ = false;
  log_sweeps_.reset();
}

std::string PlaybackEndText(uint64_t played, std::optional<uint64_t> total,
                            const std::optional<LogClock>& time,
                            const std::optional<uint64_t>& torn_at) {
  std::string text = "End of log: " + std::to_string(played);
  if (total && played < *total) {
    text += " of " + std::to_string(*total) + " sweeps played";
  } else {
    text += played == 1 ? " sweep" : " sweeps";
  }
  // With its date: a time alone reads as a duration.
  if (const std::optional<int64_t> seconds = time ? LogClockSeconds(*time) : std::nullopt) {
    text += ", last record " + LogSecondsText(*seconds);
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
  state.log_length = log.PlaybackLength();
  // Waiting at its end, the whole log has been read: 100 %, not the end record's start.
  state.playback_position = log.AtEnd() ? state.log_length : log.PlaybackPosition();
}

}  // namespace qv
