#include "fuzz_deframe_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return qv::fuzz::FeedAndCheck<qv::SerialDeframer>(qv::kFrameBufferSize, data, size);
}
