// Reads arbitrary bytes as an instant-capture file. The reader may not read out of bounds, every
// entry it lists must lie inside the input and hold as many levels as it claims, and a file it
// calls sound must end exactly in a trailer that counts its entries.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>

#include "core/record/capture_file.h"

namespace {

void Check(bool ok) {
  if (!ok) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qv::CaptureScan scan = qv::ScanCaptureFile(data, size);
  uint64_t end = 0;
  for (const qv::CaptureEntry& entry : scan.entries) {
    Check(entry.offset == end);
    Check(entry.sweep.levels.size() == entry.sweep.points);
    Check(entry.sweep.points <= qv::kCaptureMaxPoints);
    Check(entry.comment.size() <= qv::kCaptureCommentSize);
    end = entry.offset + qv::kCaptureEntryFixedSize + 2 * uint64_t{entry.sweep.points};
    Check(end <= size);
  }
  Check(scan.entries_end == end);
  if (scan.problem.empty()) {
    Check(size == 0 || (scan.has_trailer && end + qv::kCaptureTrailerSize == size &&
                        scan.trailer_count == scan.entries.size()));
  }
  return 0;
}
