#include "fuzz_deframe_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::fuzz::Messages chunked_out;
  qv::fuzz::Messages whole_out;
  qv::SerialDeframer chunked(qv::fuzz::CollectInto(chunked_out));
  qv::SerialDeframer whole(qv::fuzz::CollectInto(whole_out));
  qv::fuzz::FeedAndCheck(chunked, chunked_out, whole, whole_out, qv::kFrameBufferSize, data, size);
  return 0;
}
