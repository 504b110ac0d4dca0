#include "core/record/log_reader.h"

#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "core/link/little_endian.h"
#include "core/record/log_scan.h"

namespace qv {
namespace {

bool IsEndType(uint8_t type) {
  return type == kLogEndType || type == kLogOldEndType;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenForReading(const std::string& path, std::string* error) {
  File file(std::fopen(path.c_str(), "rb"));
  if (file == nullptr && error != nullptr) *error = path + ": " + std::strerror(errno);
  return file;
}

uint64_t LengthOf(std::FILE* file) {
  if (fseeko(file, 0, SEEK_END) != 0) return 0;
  const off_t length = ftello(file);
  return length < 0 ? 0 : static_cast<uint64_t>(length);
}

}  // namespace

bool StartsAsLog(const uint8_t* data, size_t size) {
  const uint8_t prefix[kLogRecordPrefix] = {kLogHeaderType, kLogHeaderPayload & 0xFF,
                                            kLogHeaderPayload >> 8};
  if (data == nullptr || size == 0) return false;
  return std::equal(data, data + std::min(size, kLogRecordPrefix), prefix);
}

std::string NotALogText() {
  // The length its length field holds, as dump lists it: what follows the 3-byte prefix.
  return "not a spectrum log: no header record at byte 0 (type 0xBA, then length 894: the "
         "bytes after the type and length)";
}

std::string TornRecordText(uint64_t offset) {
  return "damaged: torn record at byte " + std::to_string(offset);
}

std::string LogDamageText(const LogScanResult& result) {
  if (result.not_a_log) return NotALogText();
  if (result.torn) return TornRecordText(result.torn_at);
  return {};
}

namespace {

// Hands the visitor every whole record of data[*at, size) that starts before file offset `stop`,
// `base` being the file offset of data[0]. Stops at an end record (true), at `stop` or where a
// record does not fit what is left.
bool WalkRecords(const uint8_t* data, size_t size, size_t* at, uint64_t base, LogVisitor& visitor,
                 LogScanResult& result, uint64_t stop = UINT64_MAX) {
  size_t offset = *at;
  while (base + offset < stop && size - offset >= kLogRecordPrefix &&
         size - offset - kLogRecordPrefix >= GetU16(data + offset + 1)) {
    const LogRecordView record{base + offset, data[offset], GetU16(data + offset + 1),
                               data + offset + kLogRecordPrefix};
    visitor.OnRecord(record);
    ++result.records;
    offset += kLogRecordPrefix + record.length;
    if (IsEndType(record.type)) {
      result.ended = true;
      *at = offset;
      return true;
    }
  }
  *at = offset;
  return false;
}

// Whether the header is whole; tells the visitor what it holds either way. False for no log.
bool StartWalk(const uint8_t* data, size_t size, LogVisitor& visitor, LogScanResult& result) {
  if (!StartsAsLog(data, size)) {
    result.not_a_log = true;
    return false;
  }
  LogHeaderInfo header;
  ParseHeaderRecord(data, size, header);
  visitor.OnHeader(header);
  if (size < kLogHeaderRecordSize) {
    result.torn = true;
    return false;
  }
  result.header_ok = true;
  return true;
}

// Reads until `buffer` holds `want` bytes or the stream ends; false on a read error.
bool Fill(std::FILE* file, std::vector<uint8_t>& buffer, size_t* used, size_t want) {
  while (*used < want) {
    const size_t got = std::fread(buffer.data() + *used, 1, want - *used, file);
    *used += got;
    if (got == 0) return std::ferror(file) == 0;
  }
  return true;
}

}  // namespace

LogScanResult ScanLog(const uint8_t* data, size_t size, LogVisitor& visitor) {
  LogScanResult result;
  if (!StartWalk(data, size, visitor, result)) return result;
  size_t offset = kLogHeaderRecordSize;
  if (WalkRecords(data, size, &offset, 0, visitor, result)) {
    result.trailing = size - offset;
  } else if (offset < size) {
    result.torn = true;
    result.torn_at = offset;
  }
  return result;
}

namespace {

// Far more than the longest record (3 + 65535 bytes), so a record never outgrows it.
constexpr size_t kStreamBufferSize = size_t{1} << 20;

// Walks on from buffer[offset], buffer[0] being at file offset `base` and `used` bytes of it
// read, through records starting before `stop`, until `cancel` (when given) is set.
LogScanResult WalkStream(std::FILE* file, std::vector<uint8_t>& buffer, size_t used, size_t offset,
                         uint64_t base, uint64_t stop, LogVisitor& visitor, LogScanResult result,
                         std::string* read_error, const std::atomic<bool>* cancel = nullptr) {
  const auto failed = [&] {
    *read_error = std::strerror(errno);
    return result;
  };
  for (;;) {
    if (WalkRecords(buffer.data(), used, &offset, base, visitor, result, stop)) {
      result.trailing = used - offset;
      for (;;) {  // counted, not kept
        used = 0;
        if (!Fill(file, buffer, &used, buffer.size())) return failed();
        result.trailing += used;
        if (used < buffer.size()) return result;
      }
    }
    if (base + offset >= stop) return result;
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return result;
    // Keep the unfinished record, read on behind it.
    std::memmove(buffer.data(), buffer.data() + offset, used - offset);
    base += offset;
    used -= offset;
    offset = 0;
    const size_t before = used;
    if (!Fill(file, buffer, &used, buffer.size())) return failed();
    if (used == before) {
      if (used != 0) {
        result.torn = true;
        result.torn_at = base;
      }
      return result;
    }
  }
}

}  // namespace

LogScanResult ScanLogStream(std::FILE* file, LogVisitor& visitor, std::string* read_error) {
  std::vector<uint8_t> buffer(kStreamBufferSize);
  size_t used = 0;
  LogScanResult result;
  if (!Fill(file, buffer, &used, kLogHeaderRecordSize)) {
    *read_error = std::strerror(errno);
    return result;
  }
  if (!StartWalk(buffer.data(), used, visitor, result)) return result;
  return WalkStream(file, buffer, used, kLogHeaderRecordSize, 0, UINT64_MAX, visitor, result,
                    read_error);
}

LogScanResult ScanLogStreamRange(std::FILE* file, uint64_t from, uint64_t to, LogVisitor& visitor,
                                 std::string* read_error, const std::atomic<bool>* cancel) {
  LogScanResult result;
  if (from >= to) return result;
  if (from > static_cast<uint64_t>(INT64_MAX)) errno = EOVERFLOW;
  if (from > static_cast<uint64_t>(INT64_MAX) ||
      fseeko(file, static_cast<off_t>(from), SEEK_SET) != 0) {
    *read_error = std::strerror(errno);
    return result;
  }
  std::vector<uint8_t> buffer(kStreamBufferSize);
  return WalkStream(file, buffer, 0, 0, from, to, visitor, result, read_error, cancel);
}

bool LogPlayback::Open(const std::string& path, std::string* error) {
  Close();
  std::string reason;
  const File file = OpenForReading(path, &reason);
  if (file == nullptr) {
    if (error != nullptr) *error = reason;
    return false;
  }
  uint8_t header[kLogHeaderRecordSize];
  const size_t got = std::fread(header, 1, sizeof header, file.get());
  const bool log = StartsAsLog(header, got);
  if (!log || got < sizeof header) {
    if (error != nullptr) *error = path + ": " + (log ? TornRecordText(0) : NotALogText());
    return false;
  }
  ParseHeaderRecord(header, got, header_);
  path_ = path;
  file_length_ = LengthOf(file.get());
  index_.assign(1, kLogHeaderRecordSize);
  current_ = 0;
  position_ = index_[0];
  return true;
}

void LogPlayback::Close() {
  path_.clear();
  header_ = {};
  file_length_ = 0;
  position_ = 0;
  index_.clear();
  current_ = 0;
  error_.clear();
  torn_at_.reset();
  boundaries_.clear();
}

bool LogPlayback::SeekTo(uint64_t offset) {
  if (!IsOpen() || offset < kLogHeaderRecordSize || offset > file_length_) return false;
  index_.assign(1, offset);
  current_ = 0;
  position_ = offset;
  return true;
}

template <typename Each>
void LogPlayback::WalkFrom(uint64_t from, Each&& each) {
  const File file = OpenForReading(path_, &error_);
  if (file == nullptr || fseeko(file.get(), static_cast<off_t>(from), SEEK_SET) != 0) return;
  std::vector<uint8_t> payload(0x10000);
  for (uint64_t at = from;;) {
    uint8_t prefix[kLogRecordPrefix];
    if (std::fread(prefix, 1, sizeof prefix, file.get()) != sizeof prefix) return;
    const uint16_t length = GetU16(prefix + 1);
    if (std::fread(payload.data(), 1, length, file.get()) != length) return;
    if (!each(LogRecordView{at, prefix[0], length, payload.data()})) return;
    at += kLogRecordPrefix + length;
  }
}

std::vector<uint64_t> LogPlayback::SweepStartsBetween(uint64_t from, uint64_t to,
                                                      std::vector<uint64_t>* times) {
  std::vector<uint64_t> starts;
  if (!IsOpen()) return starts;
  WalkFrom(from, [&](const LogRecordView& record) {
    if (record.offset >= to || IsEndType(record.type)) return false;
    if (times != nullptr && record.type == kLogTimeType) times->push_back(record.offset);
    const std::optional<LogSweepBlock> block = SweepBlockOf(record);
    if (block && block->first == 0) starts.push_back(record.offset);
    return true;
  });
  return starts;
}

bool LogPlayback::ExtendBack() {
  if (index_.empty() || index_[0] <= kLogHeaderRecordSize) return false;
  const uint64_t first = index_[0];
  const auto after = std::lower_bound(boundaries_.begin(), boundaries_.end(), first);
  const uint64_t from = after == boundaries_.begin() ? kLogHeaderRecordSize : *(after - 1);
  std::vector<uint64_t> before;
  bool met = false;
  WalkFrom(from, [&](const LogRecordView& record) {
    if (record.offset >= first) {
      met = record.offset == first;
      return false;
    }
    before.push_back(record.offset);
    return true;
  });
  // A walk that does not land on the record read first went through damage: no way back.
  if (!met || before.empty()) return false;
  index_.insert(index_.begin(), before.begin(), before.end());
  current_ += static_cast<int64_t>(before.size());
  return true;
}

LogPlayback::Result LogPlayback::ReadForward(uint8_t* buffer, size_t* length) {
  if (!IsOpen()) {
    error_ = "No log is open for playback";
    return Result::kNoFile;
  }
  const uint64_t offset = index_[static_cast<size_t>(current_)];
  uint64_t next = 0;
  const Result result = ReadAt(offset, buffer, length, &next);
  if (result == Result::kNoFile || result == Result::kEnd) return result;
  position_ = offset;
  // An end record ends playback even when damage made it too long to read, as it ends the scan.
  if (IsEndType(buffer[0])) {
    // As the index stepped back one, reading on shows the last record before the end again.
    if (current_ > 0) --current_;
    return Result::kEnd;
  }
  ++current_;
  if (static_cast<size_t>(current_) == index_.size()) {
    index_.push_back(next);
  } else {
    index_[static_cast<size_t>(current_)] = next;
  }
  return result;
}

LogPlayback::Result LogPlayback::ReadBackward(uint8_t* buffer, size_t* length) {
  if (!IsOpen()) {
    error_ = "No log is open for playback";
    return Result::kNoFile;
  }
  if (current_ <= 0 && !ExtendBack()) return Result::kFirst;
  uint64_t next = 0;
  const uint64_t offset = index_[static_cast<size_t>(current_ - 1)];
  const Result result = ReadAt(offset, buffer, length, &next);
  if (result == Result::kNoFile) return result;
  --current_;
  position_ = offset;
  if (result != Result::kEnd && IsEndType(buffer[0])) return Result::kEnd;
  return result;
}

// Reads the record at `offset`: kRecord, kSkipped (too long for the buffer), kEnd (the bytes stop
// before the record does) or kNoFile. `next` is the offset after the record.
LogPlayback::Result LogPlayback::ReadAt(uint64_t offset, uint8_t* buffer, size_t* length,
                                        uint64_t* next) {
  const File file = OpenForReading(path_, &error_);
  if (file == nullptr) return Result::kNoFile;
  error_.clear();
  torn_at_.reset();
  file_length_ = LengthOf(file.get());
  *length = 0;
  if (offset >= file_length_) return Result::kEnd;
  // From here on the bytes stop inside the record if they stop before its end.
  uint8_t prefix[kLogRecordPrefix];
  if (file_length_ - offset < kLogRecordPrefix ||
      fseeko(file.get(), static_cast<off_t>(offset), SEEK_SET) != 0 ||
      std::fread(prefix, 1, sizeof prefix, file.get()) != sizeof prefix) {
    torn_at_ = offset;
    return Result::kEnd;
  }
  const size_t payload = GetU16(prefix + 1);
  if (file_length_ - offset - kLogRecordPrefix < payload) {
    torn_at_ = offset;
    return Result::kEnd;
  }
  *next = offset + kLogRecordPrefix + payload;
  buffer[0] = prefix[0];
  if (payload > kPlaybackBufferSize - 1) return Result::kSkipped;
  // The file may shrink between the length check and the read; trust only what was read.
  if (std::fread(buffer + 1, 1, payload, file.get()) != payload) {
    torn_at_ = offset;
    return Result::kEnd;
  }
  *length = payload;
  return Result::kRecord;
}

}  // namespace qv
