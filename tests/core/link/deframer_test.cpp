#include "core/link/deframer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/link/command.h"

namespace qv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

enum class Link { kSerial, kNetwork, kUsb };
constexpr Link kAllLinks[] = {Link::kSerial, Link::kNetwork, Link::kUsb};

const char* Name(Link link) {
  switch (link) {
    case Link::kSerial:
      return "serial";
    case Link::kNetwork:
      return "network";
    case Link::kUsb:
      return "usb";
  }
  return "";
}

using Messages = std::vector<Bytes>;

// Builds the de-framer of `link` around `handler` and hands it to `use`.
template <typename F>
void WithDeframer(Link link, MessageHandler handler, F&& use) {
  switch (link) {
    case Link::kSerial: {
      SerialDeframer d(std::move(handler));
      return use(d);
    }
    case Link::kNetwork: {
      NetworkDeframer d(std::move(handler));
      return use(d);
    }
    case Link::kUsb: {
      UsbDeframer d(std::move(handler));
      return use(d);
    }
  }
}

// Feeds `input` in pieces of at most `chunk` bytes and collects what comes out.
Messages Deframe(Link link, const Bytes& input, size_t chunk = SIZE_MAX) {
  chunk = std::max<size_t>(1, chunk);
  Messages out;
  WithDeframer(
      link, [&](const uint8_t* d, size_t n) { out.emplace_back(d, d + n); },
      [&](Deframer& deframer) {
        for (size_t at = 0; at < input.size();) {
          const size_t n = std::min(chunk, input.size() - at);
          deframer.Feed(input.data() + at, n);
          at += n;
        }
      });
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A frame of `length` data bytes none of which is 0x11.
Bytes LongFrame(size_t length) {
  Bytes frame = {0x11, 0x12};
  for (size_t i = 0; i < length; ++i) frame.push_back(static_cast<uint8_t>(0x20 + i % 64));
  frame.push_back(0x11);
  frame.push_back(0x13);
  return frame;
}

TEST(Deframer, FirmwareFrameDeliversSixByteMessageOnEveryLink) {
  const Bytes wire = {0x11, 0x12, 0x01, 0x31, 0x2E, 0x30, 0x35, 0x00, 0x11, 0x13};
  for (Link link : kAllLinks) {
    EXPECT_THAT(Deframe(link, wire), ElementsAre(ElementsAre(0x01, 0x31, 0x2E, 0x30, 0x35, 0x00)))
        << Name(link);
  }
}

TEST(Deframer, EscapedDataAndNoiseOutsideFramesAgreeOnEveryLink) {
  // Noise, a stray end and a stray escape before the start.
  const Bytes wire = {0x00, 0x41, 0x11, 0x13, 0x13, 0x11, 0x14, 0x11, 0x12, 0x41, 0x11, 0x14,
                      0x42, 0x11, 0x13, 0xFF, 0x12, 0x11, 0x12, 0x11, 0x14, 0x11, 0x13, 0x55, 0x11};
  for (Link link : kAllLinks) {
    EXPECT_THAT(Deframe(link, wire), ElementsAre(ElementsAre(0x41, 0x11, 0x42), ElementsAre(0x11)))
        << Name(link);
  }
}

TEST(Deframer, DoubledEscapeOutsideAFrameStartsNoSerialFrame) {
  // Outside a frame the serial link starts only on 11 12: the first 0x11 of 11 11 12 waits for
  // a 0x12, gets 0x11 and goes back to idle, so 41 is noise. The other links start on it.
  const Bytes wire = {0x11, 0x11, 0x12, 0x41, 0x11, 0x13, 0x11, 0x12, 0x42, 0x11, 0x13};
  for (size_t chunk : {SIZE_MAX, size_t{1}}) {
    EXPECT_THAT(Deframe(Link::kSerial, wire, chunk), ElementsAre(ElementsAre(0x42)));
    EXPECT_THAT(Deframe(Link::kNetwork, wire, chunk),
                ElementsAre(ElementsAre(0x41), ElementsAre(0x42)));
    EXPECT_THAT(Deframe(Link::kUsb, wire, chunk),
                ElementsAre(ElementsAre(0x41), ElementsAre(0x42)));
  }
}

TEST(Deframer, BadEscapeKeptOnSerialButDropsTheFrameElsewhere) {
  const Bytes bad = {0x11, 0x12, 0x41, 0x11, 0x15, 0x42, 0x11, 0x13};
  const Bytes doubled = {0x11, 0x12, 0x41, 0x11, 0x11, 0x42, 0x11, 0x13};
  const Bytes next = {0x11, 0x12, 0x43, 0x11, 0x13};
  EXPECT_THAT(
      Deframe(Link::kSerial, Concat({bad, doubled, next})),
      ElementsAre(ElementsAre(0x41, 0x11, 0x42), ElementsAre(0x41, 0x11, 0x42), ElementsAre(0x43)));
  for (Link link : {Link::kNetwork, Link::kUsb}) {
    EXPECT_THAT(Deframe(link, bad), IsEmpty()) << Name(link);
    // The frame after a dropped one arrives intact.
    EXPECT_THAT(Deframe(link, Concat({bad, doubled, next})), ElementsAre(ElementsAre(0x43)))
        << Name(link);
  }
}

TEST(Deframer, NestedStartKeptOnSerialButRestartsElsewhere) {
  const Bytes wire = {0x11, 0x12, 0x41, 0x11, 0x12, 0x42, 0x11, 0x13};
  EXPECT_THAT(Deframe(Link::kSerial, wire), ElementsAre(ElementsAre(0x41, 0x11, 0x42)));
  EXPECT_THAT(Deframe(Link::kNetwork, wire), ElementsAre(ElementsAre(0x42)));
  EXPECT_THAT(Deframe(Link::kUsb, wire), ElementsAre(ElementsAre(0x42)));
}

TEST(Deframer, EmptyFramesAreNeverDelivered) {
  const Bytes empty = {0x11, 0x12, 0x11, 0x13};
  const Bytes restarted_empty = {0x11, 0x12, 0x41, 0x11, 0x12, 0x11, 0x13};
  const Bytes next = {0x11, 0x12, 0x42, 0x11, 0x13};
  for (Link link : kAllLinks) {
    EXPECT_THAT(Deframe(link, Concat({empty, next})), ElementsAre(ElementsAre(0x42))) << Name(link);
  }
  EXPECT_THAT(Deframe(Link::kNetwork, restarted_empty), IsEmpty());
  EXPECT_THAT(Deframe(Link::kUsb, restarted_empty), IsEmpty());
}

TEST(Deframer, FramesSplitAtEveryPositionComeOutWhole) {
  const Bytes wire = {0x7F, 0x11, 0x12, 0x06, 0x11, 0x14, 0x11, 0x14, 0x20, 0x11,
                      0x13, 0x11, 0x12, 0x02, 0x31, 0x32, 0x11, 0x13, 0x00};
  for (Link link : kAllLinks) {
    for (size_t split = 0; split <= wire.size(); ++split) {
      Messages out;
      WithDeframer(
          link, [&](const uint8_t* d, size_t n) { out.emplace_back(d, d + n); },
          [&](Deframer& deframer) {
            deframer.Feed(wire.data(), split);
            deframer.Feed(wire.data() + split, wire.size() - split);
          });
      EXPECT_THAT(out,
                  ElementsAre(ElementsAre(0x06, 0x11, 0x11, 0x20), ElementsAre(0x02, 0x31, 0x32)))
          << Name(link) << " split at " << split;
    }
    EXPECT_EQ(Deframe(link, wire, 1).size(), 2u) << Name(link) << " byte by byte";
  }
}

TEST(Deframer, NetworkDropsFramesThatReach4096Bytes) {
  const Bytes next = {0x11, 0x12, 0x42, 0x11, 0x13};
  EXPECT_EQ(Deframe(Link::kNetwork, LongFrame(4095)).at(0).size(), 4095u);
  for (size_t chunk : {size_t{256}, size_t{4101}}) {
    EXPECT_THAT(Deframe(Link::kNetwork, Concat({LongFrame(4096), next}), chunk),
                ElementsAre(ElementsAre(0x42)));
    EXPECT_THAT(Deframe(Link::kNetwork, Concat({LongFrame(9000), next}), chunk),
                ElementsAre(ElementsAre(0x42)));
  }
}

TEST(Deframer, SerialAndUsbDropOversizeFramesWhole) {
  const Bytes next = {0x11, 0x12, 0x42, 0x11, 0x13};
  // 4095 plain bytes and an escaped 0x11 make exactly 4096; one more byte is too many.
  Bytes full = LongFrame(4095);
  full.insert(full.end() - 2, {0x11, 0x14});
  Bytes over = full;
  over.insert(over.end() - 2, 0x20);
  for (Link link : {Link::kSerial, Link::kUsb}) {
    for (size_t chunk : {size_t{1}, size_t{1024}, size_t{5000}}) {
      const Messages out = Deframe(link, Concat({full, over, LongFrame(20000), next}), chunk);
      ASSERT_EQ(out.size(), 2u) << Name(link) << " chunk " << chunk;
      EXPECT_EQ(out[0].size(), 4096u);
      EXPECT_EQ(out[0].back(), 0x11);
      EXPECT_THAT(out[1], ElementsAre(0x42));
      EXPECT_THAT(Deframe(link, Concat({LongFrame(4096), LongFrame(4097), next}), chunk),
                  ElementsAre(::testing::SizeIs(4096), ElementsAre(0x42)));
    }
  }
}

TEST(Deframer, ResetForgetsPartialFrame) {
  Messages out;
  UsbDeframer deframer([&](const uint8_t* d, size_t n) { out.emplace_back(d, d + n); });
  const Bytes head = {0x11, 0x12, 0x41, 0x11};
  const Bytes tail = {0x14, 0x11, 0x13, 0x11, 0x12, 0x43, 0x11, 0x13};
  deframer.Feed(head.data(), head.size());
  deframer.Reset();
  deframer.Feed(tail.data(), tail.size());
  EXPECT_THAT(out, ElementsAre(ElementsAre(0x43)));
}

// Well-formed traffic must come out the same on every link however the reads fall.
TEST(Deframer, RandomWellFormedTrafficIsIdenticalOnEveryLink) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> special(0x11, 0x14);
  Messages expected;
  Bytes wire;
  for (int i = 0; i < 300; ++i) {
    Bytes message(1 + rng() % 700);
    for (uint8_t& b : message) b = static_cast<uint8_t>(rng() % 4 == 0 ? special(rng) : byte(rng));
    const bool with_check = rng() % 2 == 0;
    Bytes framed = FrameCommand(message, with_check);
    if (with_check) message.push_back(CheckByte(message.data(), message.size()));
    expected.push_back(message);
    // Noise between frames that cannot start one.
    for (int n = rng() % 5; n > 0; --n) wire.push_back(static_cast<uint8_t>(0x20 + rng() % 64));
    wire.insert(wire.end(), framed.begin(), framed.end());
  }
  for (size_t chunk : {size_t{1}, size_t{3}, size_t{256}, size_t{1024}, wire.size()}) {
    for (Link link : kAllLinks) {
      EXPECT_EQ(Deframe(link, wire, chunk), expected) << Name(link) << " chunk " << chunk;
    }
  }
  // Random read sizes too.
  for (Link link : kAllLinks) {
    Messages out;
    WithDeframer(
        link, [&](const uint8_t* d, size_t n) { out.emplace_back(d, d + n); },
        [&](Deframer& deframer) {
          for (size_t at = 0; at < wire.size();) {
            const size_t n = std::min<size_t>(1 + rng() % 600, wire.size() - at);
            deframer.Feed(wire.data() + at, n);
            at += n;
          }
        });
    EXPECT_EQ(out, expected) << Name(link) << " random reads";
  }
}

}  // namespace
}  // namespace qv
