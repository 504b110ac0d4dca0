#pragma once

// Shared driver of the de-framer fuzz targets. The first input byte says how many of the
// following bytes are a schedule of read sizes; the rest is the received byte stream, fed
// once in reads of those sizes and once whole. Both must give the same messages, each within
// the de-framer's limit.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/link/command.h"
#include "core/link/deframer.h"

namespace qv::fuzz {

using Messages = std::vector<Bytes>;

inline MessageHandler CollectInto(Messages& out) {
  return [&out](const uint8_t* data, size_t length) { out.emplace_back(data, data + length); };
}

inline size_t ReadSize(uint8_t code) {
  // Mostly small reads, so escapes fall across read boundaries; some up to several kilobytes.
  return code < 192 ? 1 + code % 64 : 1 + (code - 192) * 64;
}

// One fuzz input through two fresh de-framers of type D, whose messages are at most
// max_length bytes long.
template <typename D>
int FeedAndCheck(size_t max_length, const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  Messages chunked_out;
  Messages whole_out;
  D chunked(CollectInto(chunked_out));
  D whole(CollectInto(whole_out));
  const size_t schedule_length = std::min<size_t>(1 + data[0] % 8, size - 1);
  const uint8_t* schedule = data + 1;
  const uint8_t* stream = schedule + schedule_length;
  const size_t stream_size = size - 1 - schedule_length;

  size_t step = 0;
  for (size_t at = 0; at < stream_size;) {
    size_t n = schedule_length == 0 ? stream_size : ReadSize(schedule[step++ % schedule_length]);
    n = std::min(n, stream_size - at);
    chunked.Feed(stream + at, n);
    at += n;
  }
  whole.Feed(stream, stream_size);

  if (chunked_out != whole_out) std::abort();
  for (const Bytes& message : chunked_out) {
    if (message.empty() || message.size() > max_length) std::abort();
  }
  return 0;
}

}  // namespace qv::fuzz
