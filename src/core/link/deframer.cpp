#include "core/link/deframer.h"

#include <cstring>
#include <utility>

#include "core/link/command.h"

namespace qv {

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
        escape_pending_ = true;  // 11 11 12 outside a frame still starts one
      }
      continue;
    }
    // Everything up to the next 0x11 is plain data inside a frame, or noise outside one.
    const auto* hit = static_cast<const uint8_t*>(std::memchr(p, kEscape, end - p));
    const uint8_t* run_end = hit != nullptr ? hit : end;
    if (in_frame_) Append(p, run_end - p);
    if (hit == nullptr) break;
    p = hit + 1;
    escape_pending_ = true;
  }
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
                .max_message_length = kFrameBufferSize},
               std::move(handler)) {}

NetworkDeframer::NetworkDeframer(MessageHandler handler)
    : Deframer({.restart_on_nested_start = true,
                .discard_on_bad_escape = true,
                .max_message_length = kFrameBufferSize - 1},
               std::move(handler)) {}

UsbDeframer::UsbDeframer(MessageHandler handler)
    : Deframer({.restart_on_nested_start = true,
                .discard_on_bad_escape = true,
                .max_message_length = kFrameBufferSize},
               std::move(handler)) {}

}  // namespace qv
