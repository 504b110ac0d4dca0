#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/record/log_format.h"

namespace qv {

// --- Scanning a whole log held in memory (quorvalin-log, the fuzz target, tests) ---

struct LogRecordView {
  uint64_t offset = 0;  // of the type byte in the file
  uint8_t type = 0;
  uint16_t length = 0;               // payload length
  const uint8_t* payload = nullptr;  // `length` bytes
};

class LogVisitor {
 public:
  virtual ~LogVisitor() = default;
  // The first record, decoded (also when it is not a header record: `header.complete` tells).
  virtual void OnHeader(const LogHeaderInfo& header) = 0;
  // Every record after the header, in file order, the end record included.
  virtual void OnRecord(const LogRecordView& record) = 0;
};

struct LogScanResult {
  bool not_a_log = false;  // the file does not start as a header record: nothing else was read
  bool header_ok = false;  // a whole header record of the right type and length
  bool ended = false;      // an end record (0xFA or 0xAF) was reached
  bool torn = false;       // the bytes stop inside a record
  uint64_t torn_at = 0;    // offset of the torn record's type byte
  uint64_t records = 0;    // records after the header, the end record included
  uint64_t trailing = 0;   // bytes after the end record (not read)
};

// Walks every record of `data` (a whole log file). Never reads past `size`. Stops at the first
// end record or where the bytes stop. A file that does not start as a log is not walked at all:
// the visitor hears nothing, so no reader makes up a header from other bytes.
LogScanResult ScanLog(const uint8_t* data, size_t size, LogVisitor& visitor);

// The same walk over a stream read in pieces of a fixed buffer: memory stays the same whatever
// the file's size, and records are handed on one at a time (a view valid during the call). On a
// read error the walk stops and `read_error` gets the system's reason.
LogScanResult ScanLogStream(std::FILE* file, LogVisitor& visitor, std::string* read_error);

// The same walk over the records of `file` that start in [from, to): `from` must be the start
// of a record (the index gives them). The visitor hears no header; the walk stops at `to`, at an
// end record or where the bytes stop, as the whole walk would. Set from another thread, `cancel`
// stops it within a buffer's read (a megabyte).
LogScanResult ScanLogStreamRange(std::FILE* file, uint64_t from, uint64_t to, LogVisitor& visitor,
                                 std::string* read_error,
                                 const std::atomic<bool>* cancel = nullptr);

// Whether the bytes start as a header record (type 0xBA, payload 894), as far as they go; the
// record itself may be cut. No bytes at all are no log.
bool StartsAsLog(const uint8_t* data, size_t size);

// The one wording of what is wrong with a log, for every reader: "not a spectrum log: no header
// record at byte 0 (...)", the length being that of the record's length field or "damaged: torn record at byte N".
std::string NotALogText();
std::string TornRecordText(uint64_t offset);
// One of the two for a scan, or empty when the log reads to its end.
std::string LogDamageText(const LogScanResult& result);

// --- Playing a log file back, one record at a time, in both directions ---

// Reads a log file as playback does: forwards record by record, keeping the start of every record
// read so that it can step back without a search; backwards over the records read before. The
// file is reopened for every read, as playback may run for hours while the file is moved.
class LogPlayback {
 public:
  enum class Result {
    kRecord,   // a record is in the buffer (type byte first, then the payload)
    kSkipped,  // a record too long for the buffer was stepped over whole (its type byte is in
               // the buffer, the length is 0)
    kEnd,      // an end record, the end of the file, or a torn last record: playback ends
    kFirst,    // stepping back from the first record: playback stops, nothing read
    kNoFile,   // the file could not be reopened; Error() says why; nothing moved
  };

  // Opens `path` and reads its header. False with the reason in `error`: the system's, or that
  // the file is no log or its header is cut.
  bool Open(const std::string& path, std::string* error);
  void Close();
  bool IsOpen() const { return !path_.empty(); }

  const LogHeaderInfo& Header() const { return header_; }
  const std::string& Path() const { return path_; }
  uint64_t FileLength() const { return file_length_; }
  // Start of the record read last (the first record's before any).
  uint64_t Position() const { return position_; }

  // The next record (forward) or the one before the last one shown (backward; the record just
  // shown comes again first, as the index points past it). `buffer` holds kPlaybackBufferSize
  // bytes; `length` receives the payload length. An end record steps the index back one, so
  // reading forward after it shows the record before it again, then the end.
  Result ReadForward(uint8_t* buffer, size_t* length);
  Result ReadBackward(uint8_t* buffer, size_t* length);
  const std::string& Error() const { return error_; }

  // Record boundaries known from elsewhere (the time index, ascending): stepping back past the
  // first record read since a seek reads on from the nearest one before it.
  void SetBoundaries(std::vector<uint64_t> boundaries) { boundaries_ = std::move(boundaries); }
  // Reads on from `offset`, which must be a record boundary, forgetting what was read before.
  // False, nothing moved, for an offset before the first record or past the file's end.
  bool SeekTo(uint64_t offset);
  // Starts of the sweeps (their first block) whose records begin in [from, to), walking the
  // records from the boundary `from`; empty when the file cannot be read. `times`, when given,
  // gets the starts of the time records among them.
  std::vector<uint64_t> SweepStartsBetween(uint64_t from, uint64_t to,
                                           std::vector<uint64_t>* times = nullptr);

  // Where the last kEnd came from: the start of a record the bytes stop inside, or none for an
  // end record or a clean end of the file.
  std::optional<uint64_t> TornAt() const { return torn_at_; }

 private:
  Result ReadAt(uint64_t offset, uint8_t* buffer, size_t* length, uint64_t* next);
  // Calls `each` with every whole record from `from` on until it returns false or the bytes end.
  template <typename Each>
  void WalkFrom(uint64_t from, Each&& each);
  // Puts the records before index_[0] into the index from the nearest boundary; false if none.
  bool ExtendBack();

  std::string path_;
  LogHeaderInfo header_;
  uint64_t file_length_ = 0;
  uint64_t position_ = 0;
  std::vector<uint64_t> index_;  // start of every record read forwards, grown as needed
  int64_t current_ = 0;          // index entry of the next forward read
  std::string error_;
  std::optional<uint64_t> torn_at_;
  std::vector<uint64_t> boundaries_;
};

}  // namespace qv
