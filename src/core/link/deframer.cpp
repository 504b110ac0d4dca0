#include "core/link/deframer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "core/link/command.h"

namespace qv {
namespace {

// Copies bytes from src to dst up to the first 0x11 or n bytes; returns how many it copied.
size_t CopyUntilEscapePortable(const uint8_t* src, size_t n, uint8_t* dst) {
  const auto* hit = static_cast<const uint8_t*>(std::memchr(src, kEscape, n));
  const size_t run = hit != nullptr ? static_cast<size_t>(hit - src) : n;
  std::memcpy(dst, src, run);
  return run;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// Sweep data holds few escapes, so one pass that copies and compares 32 bytes at a time beats
// a search followed by a copy. Blocks are stored whole: bytes past the escape land inside the
// first n bytes of dst and are overwritten later, as the returned count excludes them.
__attribute__((target("avx2"))) size_t CopyUntilEscapeAvx2(const uint8_t* src, size_t n,
                                                           uint8_t* dst) {
  const __m256i escape = _mm256_set1_epi8(static_cast<char>(kEscape));
  size_t done = 0;
  for (; n - done >= 32; done += 32) {
    const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + done));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + done), block);
    const auto mask = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(block, escape)));
    if (mask != 0) return done + std::countr_zero(mask);
  }
  if (done == n) return n;
  if (n < 32) return CopyUntilEscapePortable(src, n, dst);
  // The last block overlaps bytes already checked, which hold no escape, so the first one
  // it finds is the first of the run.
  const __m256i last = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + n - 32));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + n - 32), last);
  const auto mask = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(last, escape)));
  return mask != 0 ? n - 32 + std::countr_zero(mask) : n;
}

using CopyUntilEscapeFn = size_t (*)(const uint8_t*, size_t, uint8_t*);
const CopyUntilEscapeFn CopyUntilEscape =
    __builtin_cpu_supports("avx2") ? CopyUntilEscapeAvx2 : CopyUntilEscapePortable;
#else
constexpr auto CopyUntilEscape = CopyUntilEscapePortable;
#endif

}  // namespace

Deframer::Deframer(const Policy& policy, MessageHandler handler)
    : policy_(policy), handler_(std::move(handler)) {}

void Deframer::Reset() {
  in_frame_ = false;
  escape_pending_ = false;
  length_ = 0;
}

void Deframer::Feed(const uint8_t* data, size_t length) {
  const uint8_t* p = data;
  const uint8_t* const end = data + length;
  while (p < end) {
    if (escape_pending_) {
      escape_pending_ = false;
      const uint8_t byte = *p++;
      if (in_frame_) {
        HandleEscaped(byte);
      } else if (byte == kFrameStart) {
        in_frame_ = true;
        length_ = 0;
      } else if (byte == kEscape) {
        escape_pending_ = policy_.escape_repeats_outside_frame;
      }
      continue;
    }
    if (in_frame_) {
      p = CopyPlain(p, end);
      if (p == end) break;
      if (!in_frame_) continue;  // dropped for length; look for the next start from here
    } else {
      // Noise outside a frame: skip to the next 0x11.
      p = static_cast<const uint8_t*>(std::memchr(p, kEscape, end - p));
      if (p == nullptr) break;
    }
    ++p;
    escape_pending_ = true;
  }
}

const uint8_t* Deframer::CopyPlain(const uint8_t* p, const uint8_t* end) {
  const size_t room = kFrameBufferSize - length_;
  const size_t copied =
      CopyUntilEscape(p, std::min(static_cast<size_t>(end - p), room), buffer_.data() + length_);
  length_ += copied;
  p += copied;
  // Too long: beyond the link's limit, or the buffer is full and more data follows.
  if (length_ > policy_.max_message_length || (copied == room && p < end && *p != kEscape)) {
    Discard();
  }
  return p;
}

void Deframer::HandleEscaped(uint8_t byte) {
  static constexpr uint8_t kEscapeByte[1] = {kEscape};
  switch (byte) {
    case kFrameEnd: {
      const size_t message_length = length_;
      in_frame_ = false;
      length_ = 0;
      if (message_length > 0 && handler_) handler_(buffer_.data(), message_length);
      return;
    }
    case kEscapedData:
      Append(kEscapeByte, 1);
      return;
    case kFrameStart:
      if (policy_.restart_on_nested_start) {
        length_ = 0;
      } else {
        Append(kEscapeByte, 1);
      }
      return;
    default:
      if (policy_.discard_on_bad_escape) {
        Discard();
        escape_pending_ = byte == kEscape;  // 11 11 12 may still start the next frame
      } else {
        Append(kEscapeByte, 1);
      }
      return;
  }
}

void Deframer::Append(const uint8_t* data, size_t length) {
  if (length > policy_.max_message_length - length_) {
    Discard();
    return;
  }
  std::memcpy(buffer_.data() + length_, data, length);
  length_ += length;
}

void Deframer::Discard() {
  in_frame_ = false;
  length_ = 0;
}

SerialDeframer::SerialDeframer(MessageHandler handler)
    : Deframer({.restart_on_nested_start = false,
                .discard_on_bad_escape = false,
                .max_message_length = kFrameBufferSize,
                .escape_repeats_outside_frame = false},
               std::move(handler)) {}

NetworkDeframer::NetworkDeframer(MessageHandler handler)
    : Deframer({.restart_on_nested_start = true,
                .discard_on_bad_escape = true,
                .max_message_length = kFrameBufferSize - 1,
                .escape_repeats_outside_frame = true},
               std::move(handler)) {}

UsbDeframer::UsbDeframer(MessageHandler handler)
    : Deframer({.restart_on_nested_start = true,
                .discard_on_bad_escape = true,
                .max_message_length = kFrameBufferSize,
                .escape_repeats_outside_frame = true},
               std::move(handler)) {}

}  // namespace qv
