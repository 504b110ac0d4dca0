#include "session/rotating_log.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "core/record/log_format.h"
#include "core/record/log_rotation.h"

namespace qv {
namespace {

constexpr int kTickMs = 1000;

}  // namespace

RotatingLog::RotatingLog(TimerFactory& timers, const ReceiverIdentity& identity, std::string dir,
                         FileLimit rotate, FileLimit keep,
                         std::function<void(const std::string&)> say)
    : timers_(timers),
      identity_(identity),
      dir_(std::move(dir)),
      rotate_(rotate),
      keep_(keep),
      say_(std::move(say)),
      tick_(timers.CreateTimer()) {
  tick_->SetCallback([this] { Tick(); });
}

RotatingLog::~RotatingLog() {
  Finish();
}

bool RotatingLog::Begin() {
  if (IsLogging()) return true;
  DropWriter();
  const LogClock clock = LocalLogClock();
  const std::string path =
      UniqueLogPath(dir_, RotatedLogName(clock), [](const std::string& candidate) {
        std::error_code ignored;
        return std::filesystem::exists(candidate, ignored);
      });
  std::string error;
  std::unique_ptr<RecordSink> sink = CreateFileSink(path, &error);
  auto writer = std::make_unique<SpectrumLogWriter>();
  if (sink == nullptr || !writer->Start(std::move(sink), identity_, clock, LogMarkers{})) {
    Failed(sink == nullptr ? error : writer->Error());
    return false;
  }
  writer_ = std::move(writer);
  path_ = path;
  started_ms_ = timers_.NowMs();
  next_try_ms_ = -1;
  if (failing_) say_("Logging again, into " + path_ + ".");
  failing_ = false;
  tick_->Start(kTickMs, /*single_shot=*/false);
  Prune();
  return true;
}

bool RotatingLog::Finish() {
  tick_->Stop();
  next_try_ms_ = -1;
  if (!writer_) return true;
  const bool logging = writer_->Logging();
  const bool finished = writer_->Finish();
  if (logging && !finished) Failed(writer_->Error());
  DropWriter();
  return finished;
}

void RotatingLog::Rotate() {
  Finish();
  Begin();
}

void RotatingLog::WriteMessageRecord(const uint8_t* message, size_t length) {
  if (!IsLogging()) return;
  if (!writer_->WriteMessage(message, length)) Failed(writer_->Error());
}

void RotatingLog::Tick() {
  const int64_t now = timers_.NowMs();
  if (IsLogging()) {
    if (!writer_->WriteTime(LocalLogClock(), LogMarkers{})) {
      Failed(writer_->Error());
    } else if (RotationDue(rotate_, started_ms_, writer_->FileBytes(), now)) {
      Rotate();
    }
    return;
  }
  if (next_try_ms_ >= 0 && now >= next_try_ms_) Begin();
}

void RotatingLog::Failed(const std::string& error) {
  ++write_errors_;
  const int64_t now = timers_.NowMs();
  // The next file is tried when the next one would have begun anyway.
  const int64_t wait = rotate_.seconds > 0 ? rotate_.seconds * 1000 : kRetryWithoutRotationMs;
  const int64_t since = IsLogging() || path_.empty() ? now : started_ms_;
  next_try_ms_ = std::max(now + 1000, since + wait);
  if (!failing_) {
    say_("Logging stopped: " + error + ". Trying again at the next rotation.");
  }
  failing_ = true;
  if (writer_ && !writer_->Logging()) DropWriter();
  // The tick keeps running to try again.
  if (!tick_->IsActive()) tick_->Start(kTickMs, /*single_shot=*/false);
}

void RotatingLog::DropWriter() {
  if (!writer_) return;
  bytes_before_ += writer_->FileBytes();
  writer_.reset();
}

void RotatingLog::Prune() {
  if (keep_.None()) return;
  std::string error;
  std::vector<KeptLog> logs = ListRecorderLogs(dir_, &error);
  if (!error.empty()) {
    say_("Could not list the logs kept: " + error + ".");
    return;
  }
  const std::string current = std::filesystem::path(path_).filename().string();
  const auto now_s = static_cast<int64_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                              std::chrono::system_clock::now().time_since_epoch())
                                              .count());
  const std::vector<std::string> old = LogsToDelete(std::move(logs), keep_, now_s, current);
  if (!old.empty() && !DeleteLogs(dir_, old, &error)) say_("Could not delete an old log: " + error + ".");
}

}  // namespace qv
