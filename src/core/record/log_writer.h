#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/record/log_format.h"

namespace qv {

// Where log records go. Each record is handed over in one call, so a crash or a kill leaves at
// most one torn record at the end of the file.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  // The whole record, or false with Error() saying why (disk full, medium removed).
  virtual bool Write(const uint8_t* bytes, size_t length) = 0;
  // Makes everything written so far durable (fsync for a file).
  virtual bool Sync() = 0;
  virtual bool Close() = 0;
  virtual std::string Error() const = 0;
};

// Creates (or truncates) `path` for writing. Null, with the reason in `error` (the path and the
// system's message), when it cannot be created.
std::unique_ptr<RecordSink> CreateFileSink(const std::string& path, std::string* error);

// Writes one spectrum log after another. The records-written count runs across all logs of the
// writer's life, as the end record carries it.
class SpectrumLogWriter {
 public:
  // Writes the header into `sink` and starts logging. False, not logging, and Error() set when
  // the header cannot be written.
  bool Start(std::unique_ptr<RecordSink> sink, const ReceiverIdentity& identity,
             const LogClock& clock, const LogMarkers& markers);
  bool Logging() const { return sink_ != nullptr; }

  // One received message, before it is decoded. False when the write failed: logging has then
  // stopped, the file keeps every record written before, and Error() says what happened. An
  // empty message, or one too long for a record's length field, is left out (true).
  bool WriteMessage(const uint8_t* message, size_t length);
  // The once-a-second time record; also counts the logging time and syncs the file.
  bool WriteTime(const LogClock& clock, const LogMarkers& markers);
  // The end record, then the file is closed. False when that failed (the file is closed anyway);
  // true when no log is being written. A log still open when Start is called is finished first.
  bool Finish();

  // File length after the last time record (the header's length before the first).
  uint64_t LogSize() const { return log_size_; }
  // Bytes of the log being written, to its last record.
  uint64_t FileBytes() const { return bytes_; }
  uint32_t Minutes() const { return minutes_; }
  uint32_t RecordsWritten() const { return records_written_; }
  const std::string& Error() const { return error_; }

 private:
  bool Put(const Bytes& record);
  // Ends logging after a failure: the sink is closed and dropped. Always false.
  bool Stop(const std::string& error);

  std::unique_ptr<RecordSink> sink_;
  uint64_t bytes_ = 0;
  uint64_t log_size_ = 0;
  uint32_t seconds_ = 0;
  uint32_t minutes_ = 0;
  uint32_t records_written_ = 0;
  std::string error_;
};

}  // namespace qv
