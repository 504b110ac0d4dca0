#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/app/recorder_options.h"
#include "core/app/timer.h"
#include "core/display/receiver_identity.h"
#include "core/link/message_decoder.h"
#include "core/record/log_writer.h"

namespace qv {

// Spectrum logs one after another in a folder, for a recorder nobody watches: each file named by
// its start time, closed with its end record and the next begun at once when it has grown old or
// large enough, the oldest deleted past what is kept. A write that fails is said once and
// counted; the next file is tried at the next rotation, and what was written stays.
class RotatingLog : public ReceiveLog {
 public:
  // A folder that cannot be written, without a rotation to try again at, is tried this often.
  static constexpr int64_t kRetryWithoutRotationMs = 60000;

  RotatingLog(TimerFactory& timers, const ReceiverIdentity& identity, std::string dir,
              FileLimit rotate, FileLimit keep, std::function<void(const std::string&)> say);
  ~RotatingLog() override;
  RotatingLog(const RotatingLog&) = delete;
  RotatingLog& operator=(const RotatingLog&) = delete;

  // Begins a file now unless one is open; false when it could not be created.
  bool Begin();
  // Closes the open file with its end record; true when there was none or it closed cleanly.
  bool Finish();
  // Closes the open file and begins the next at once (SIGHUP).
  void Rotate();

  // Bytes written into every file so far, and the writes that failed.
  uint64_t BytesWritten() const { return bytes_before_ + (writer_ ? writer_->FileBytes() : 0); }
  uint64_t WriteErrors() const { return write_errors_; }
  const std::string& CurrentPath() const { return path_; }

  // ReceiveLog
  bool IsLogging() const override { return writer_ && writer_->Logging(); }
  void WriteMessageRecord(const uint8_t* message, size_t length) override;
  // The session keeps the identity the header is written from.
  void SetFirmwareBytes(const uint8_t*, size_t) override {}
  void SetSerialBytes(const uint8_t*, size_t) override {}

 private:
  // Once a second: the time record, then a rotation or a retry when due.
  void Tick();
  void Failed(const std::string& error);
  // Deletes the oldest logs past what is kept.
  void Prune();
  // The writer's bytes go to the total before it is dropped.
  void DropWriter();

  TimerFactory& timers_;
  const ReceiverIdentity& identity_;
  std::string dir_;
  FileLimit rotate_;
  FileLimit keep_;
  std::function<void(const std::string&)> say_;
  std::unique_ptr<Timer> tick_;
  std::unique_ptr<SpectrumLogWriter> writer_;
  std::string path_;
  int64_t started_ms_ = 0;
  int64_t next_try_ms_ = -1;  // after a failure: when a new file is tried; -1 none pending
  uint64_t bytes_before_ = 0;
  uint64_t write_errors_ = 0;
  bool failing_ = false;  // said once until a file is written again
};

}  // namespace qv
