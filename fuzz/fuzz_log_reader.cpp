// Reads arbitrary bytes as a spectrum log twice: scanned in memory, and played back from a file
// forwards to the end and backwards to the first record. Neither may read out of bounds, a
// played record must lie inside the file and fit the buffer, and both walks must meet the same
// records.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/record/log_reader.h"

namespace {

class TouchingVisitor : public qv::LogVisitor {
 public:
  void OnHeader(const qv::LogHeaderInfo& header) override { sink += header.firmware.size(); }
  void OnRecord(const qv::LogRecordView& record) override {
    // Touch the first and last payload byte, so a record reaching past the data is caught.
    if (record.length > 0) sink += record.payload[0] + record.payload[record.length - 1];
  }
  uint64_t sink = 0;
};

const std::string& TempPath() {
  static const std::string path = [] {
    std::string pattern = "/tmp/qv_fuzz_log_XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) abort();
    close(fd);
    return pattern;
  }();
  return path;
}

void Check(bool ok) {
  if (!ok) abort();
}

// Forwards to the end, then backwards to the first record, as playback and fast rewind do.
void Play(const std::string& path, size_t size, const qv::LogScanResult& scan) {
  qv::LogPlayback playback;
  if (!playback.Open(path, nullptr)) return;
  using Result = qv::LogPlayback::Result;
  static uint8_t buffer[qv::kPlaybackBufferSize];
  size_t length = 0;
  // Every record read moves on by at least its three-byte prefix.
  const size_t bound = size / qv::kLogRecordPrefix + 2;
  uint64_t read = 0;
  Result result = Result::kRecord;
  for (; read <= bound; ++read) {
    result = playback.ReadForward(buffer, &length);
    if (result != Result::kRecord && result != Result::kSkipped) break;
    Check(length < qv::kPlaybackBufferSize);
    Check(playback.Position() + qv::kLogRecordPrefix + length <= size);
  }
  Check(result == Result::kEnd);
  Check(read + (scan.ended ? 1 : 0) == scan.records);
  for (uint64_t back = 0; back <= read; ++back) {
    result = playback.ReadBackward(buffer, &length);
    if (result == Result::kFirst) break;
    Check(result == Result::kRecord || result == Result::kSkipped);
    Check(length < qv::kPlaybackBufferSize);
  }
  Check(result == Result::kFirst);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TouchingVisitor visitor;
  const qv::LogScanResult scan = qv::ScanLog(data, size, visitor);
  Check(!scan.torn || scan.torn_at < size);
  Check(scan.trailing <= size);

  const std::string& path = TempPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) == 0 && written) Play(path, size, scan);
  // The fuzzer may stop at any input without running exit handlers: leave no file behind.
  std::remove(path.c_str());
  return 0;
}
