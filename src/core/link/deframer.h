#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace qv {

// Largest frame a de-framer holds; nothing is ever stored beyond it.
inline constexpr size_t kFrameBufferSize = 4096;

// How many bytes each link reads per wake-up before feeding them to its de-framer. The USB
// link reads whatever the driver reports waiting.
inline constexpr size_t kSerialBytesPerRead = 1024;
inline constexpr size_t kNetworkBytesPerRead = 256;

// Receives one complete message (1 … kFrameBufferSize bytes, unescaped). The bytes are valid
// only during the call; copy them to keep them. The handler must not feed the same de-framer.
using MessageHandler = std::function<void(const uint8_t* data, size_t length)>;

// Turns the byte stream of one link into messages: 11 12 starts a frame, 11 13 ends it and
// 11 14 stands for a data byte 0x11. Bytes outside a frame are ignored. The links agree on
// well-formed frames and differ in how they treat broken ones, which is the policy below.
// Empty frames are never delivered: every consumer needs at least the type byte.
class Deframer {
 public:
  Deframer(const Deframer&) = delete;
  Deframer& operator=(const Deframer&) = delete;

  // Feeds received bytes in arrival order; frames may be split anywhere across calls.
  void Feed(const uint8_t* data, size_t length);

  // Forgets any partial frame, e.g. when the link is reopened.
  void Reset();

 protected:
  struct Policy {
    // 11 12 inside a frame: restart the frame, or keep a data byte 0x11 and drop the 0x12.
    bool restart_on_nested_start;
    // 11 followed by anything but 12, 13, 14: drop the frame, or keep 0x11 and drop the byte.
    bool discard_on_bad_escape;
    // A frame that would grow beyond this is dropped and the rest ignored until the next start.
    size_t max_message_length;
    // 11 11 12 outside a frame: the second 0x11 may begin the start, or only 11 12 right after
    // idle starts a frame.
    bool escape_repeats_outside_frame;
  };

  Deframer(const Policy& policy, MessageHandler handler);

 private:
  // Appends the bytes up to the next 0x11 (or end) and returns where it stopped; drops the
  // frame instead when it grows too long.
  const uint8_t* CopyPlain(const uint8_t* p, const uint8_t* end);
  void HandleEscaped(uint8_t byte);
  void Append(const uint8_t* data, size_t length);
  void Discard();

  const Policy policy_;
  MessageHandler handler_;
  bool in_frame_ = false;
  bool escape_pending_ = false;  // the last byte seen was 0x11
  size_t length_ = 0;
  std::array<uint8_t, kFrameBufferSize> buffer_;
};

// Tolerant of bad escapes and nested starts: keeps the 0x11 and drops the byte after it.
// Outside a frame a 0x11 not followed by 0x12 is noise, so 11 11 12 starts nothing.
// A frame longer than 4096 bytes is dropped whole rather than delivered cut or corrupted.
class SerialDeframer : public Deframer {
 public:
  explicit SerialDeframer(MessageHandler handler);
};

// Strict: a nested start restarts the frame, a bad escape drops it, and a frame is dropped
// when it reaches 4096 bytes, so its messages are at most 4095 bytes long. 11 11 12 outside a
// frame starts one.
class NetworkDeframer : public Deframer {
 public:
  explicit NetworkDeframer(MessageHandler handler);
};

// Strict like the network link (11 11 12 outside a frame starts one); a frame longer than
// 4096 bytes is dropped whole.
class UsbDeframer : public Deframer {
 public:
  explicit UsbDeframer(MessageHandler handler);
};

}  // namespace qv
