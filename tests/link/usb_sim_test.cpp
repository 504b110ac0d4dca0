#include <gtest/gtest.h>

#include <memory>

#include "core/link/command.h"
#include "core/link/sweep_message.h"
#include "link/app/qt_timer.h"
#include "link/net_test_support.h"
#include "link/sim_test_support.h"
#include "link/usb/fake_ftdi_driver.h"
#include "link/usb/grindlewhist.h"
#include "link/usb_test_support.h"
#include "sim/core/simulated_receiver.h"

namespace qv {
namespace {

using test::MessageType;
using test::SweepHeaderOf;
using test::WaitUntil;

constexpr char kSerial[] = "ZQ4711";

// The USB link end to end: the fake driver carries the frames to a simulated Receiver on the
// GUI thread and its answers and sweeps back to the worker.
class UsbSimTest : public ::testing::Test {
 protected:
  void Start(sim::SimOptions options) {
    options.bytes_per_second = 4'000'000;  // no need to wait for a serial line's pace
    receiver_ = std::make_unique<sim::SimulatedReceiver>(
        timers_, sim::Transport::kUsb, options, [this](const uint8_t* data, size_t length) {
          driver_.DeliverFromDevice(kSerial, data, length);
        });
    driver_.AddDevice(
        {kSerial, "Quorvalin Receiver", 0x09D6, 0x0500},
        [this](const uint8_t* data, size_t length) { receiver_->Feed(data, length); });
    link_.StartWorker();
    ASSERT_TRUE(test::OpenAndWait(link_, kSerial));
  }

  bool Send(const Bytes& command) { return link_.Send(command.data(), command.size()); }

  QObject peer_context_;  // the simulator's thread
  QtTimerFactory timers_;
  FakeFtdiDriver driver_{&peer_context_};
  std::unique_ptr<sim::SimulatedReceiver> receiver_;
  CGrindlewhist link_{driver_};
  test::UsbMessageSink sink_{link_};
};

TEST_F(UsbSimTest, IdentityRequestsAreAnswered) {
  Start({});
  ASSERT_TRUE(Send(BuildRequestFirmware()));
  ASSERT_TRUE(Send(BuildRequestBands()));
  ASSERT_TRUE(Send(BuildRequestSerial()));
  // The Receiver answers only frames it accepts, and on USB those carry no check byte.
  ASSERT_TRUE(WaitUntil([&] { return sink_.messages.size() >= 3; }));
  EXPECT_EQ(MessageType(sink_.messages[0]), kMsgFirmware);
  EXPECT_EQ(sink_.messages[0].mid(1, 4), QByteArray("1.05"));
  EXPECT_EQ(MessageType(sink_.messages[1]), kMsgBandList);
  EXPECT_EQ(MessageType(sink_.messages[2]), kMsgSerialNumber);
  EXPECT_EQ(sink_.messages[2].mid(1, 6), QByteArray("100123"));
}

TEST_F(UsbSimTest, SweepsStreamWholeThroughTheWorker) {
  sim::SimOptions options;
  options.block_size = 150;
  Start(options);
  ASSERT_TRUE(Send(BuildSetMode(kSpectrumMode)));
  ASSERT_TRUE(Send(BuildSetSpectrum({18048, 400, 1, 1600})));
  ASSERT_TRUE(test::WaitForSweepPoints(sink_.messages, 800));
  for (const QByteArray& message : sink_.messages) {
    ASSERT_EQ(MessageType(message), kMsgSweep);
    EXPECT_TRUE(SweepHeaderOf(message));
  }
  // Closing stops the stream reaching us even though the Receiver keeps sending.
  ASSERT_TRUE(link_.CUSB::Close());
  const size_t before = sink_.messages.size();
  const uint64_t sweeps = receiver_->SweepsSent();
  ASSERT_TRUE(WaitUntil([&] { return receiver_->SweepsSent() > sweeps + 2; }));
  EXPECT_LE(sink_.messages.size(), before + 1);  // at most one already on its way
}

}  // namespace
}  // namespace qv
