#include "core/app/reconnect.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/app/manual_clock.h"
#include "core/app/receiver_state.h"

namespace qv {
namespace {

using ::testing::ElementsAre;
using State = Reconnector::State;

class ReconnectTest : public ::testing::Test, public ReconnectHost {
 protected:
  void Reopen(const LinkTarget& target) override {
    reopen_ms_.push_back(clock_.Now());
    reopened_.push_back(target.address);
  }
  void ReconnectChanged() override {}

  ManualClock clock_;
  Reconnector reconnect_{clock_, *this};
  std::vector<int64_t> reopen_ms_;
  std::vector<std::string> reopened_;
};

// Network retries back off 1, 2, 4 ... 30 s after each failed attempt (an open refused, or a
// handshake that timed out and closed the link); the handshake ends them and the next loss
// starts at 1 s again; the user connecting elsewhere or playing back ends them.
TEST_F(ReconnectTest, NetworkRetriesBackOffUntilTheHandshakeOrTheUserEndsThem) {
  reconnect_.SetAutomatic(true);
  reconnect_.LinkLost();  // nothing opened yet: nothing to come back to
  EXPECT_FALSE(reconnect_.ReconnectNow());

  reconnect_.LinkOpened({kInternetInterface, "127.0.74.1", 10001});
  reconnect_.LinkLost();
  EXPECT_EQ(reconnect_.Text(),
            "Connection to the Receiver lost (127.0.74.1 port 10001). Trying again in 1 s.");
  for (int step = 0; step < 1200; ++step) {
    clock_.Advance(100);
    if (reconnect_.GetState() != State::kAttempting) continue;
    if (reopen_ms_.size() % 2 == 0) {
      reconnect_.AttemptFailed();
    } else {
      reconnect_.LinkClosed();
    }
  }
  EXPECT_THAT(reopen_ms_, ElementsAre(1000, 3000, 7000, 15000, 31000, 61000, 91000));
  EXPECT_THAT(reopened_, ::testing::Each("127.0.74.1"));

  clock_.Advance(30000);
  ASSERT_EQ(reconnect_.GetState(), State::kAttempting);
  reconnect_.LinkOpened({kDhcpInterface, "elsewhere", 1});  // the attempt's own open
  reconnect_.HandshakeCompleted();
  EXPECT_TRUE(reconnect_.Text().empty());
  reconnect_.LinkLost();
  reconnect_.LinkLost();  // reported twice
  clock_.Advance(1000);
  EXPECT_EQ(reopen_ms_.size(), 9u);
  EXPECT_EQ(reopened_.back(), "127.0.74.1");

  reconnect_.Stop();  // the user connects elsewhere mid-attempt
  reconnect_.AttemptFailed();
  reconnect_.LinkOpened({kInternetInterface, "127.0.74.2", 10001});
  reconnect_.LinkLost();
  reconnect_.LinkClosed();  // playback takes over while waiting
  clock_.Advance(60000);
  EXPECT_EQ(reopen_ms_.size(), 9u);
  EXPECT_FALSE(reconnect_.CanReconnect());
}

// Without the option a loss is only offered; switching it on waits for the same serial device
// (by the path connected to, or where that link points when a device arrives); off again
// leaves the offer.
TEST_F(ReconnectTest, SerialDeviceIsReopenedOnlyWhenTheSameOneComesBack) {
  reconnect_.LinkOpened({kSerialInterface, "/dev/serial/by-id/usb-cf", 0});
  reconnect_.LinkLost();
  reconnect_.DeviceArrived("/dev/ttyUSB0", "/dev/ttyUSB0");
  clock_.Advance(120000);
  EXPECT_EQ(reconnect_.GetState(), State::kLost);
  EXPECT_TRUE(reopened_.empty());

  reconnect_.SetAutomatic(true);
  EXPECT_EQ(reconnect_.GetState(), State::kWaitingForDevice);
  reconnect_.DeviceArrived("/dev/ttyUSB1", "");  // another adapter; our link dangles
  reconnect_.DeviceArrived("/dev/ttyUSB0", "/dev/ttyUSB0");
  reconnect_.AttemptFailed();
  reconnect_.DeviceArrived("/dev/serial/by-id/usb-cf", "");
  EXPECT_THAT(reopened_, ElementsAre("/dev/serial/by-id/usb-cf", "/dev/serial/by-id/usb-cf"));
  reconnect_.AttemptFailed();

  reconnect_.SetAutomatic(false);
  reconnect_.DeviceArrived("/dev/ttyUSB0", "/dev/ttyUSB0");
  EXPECT_EQ(reopened_.size(), 2u);
  EXPECT_THAT(reconnect_.Text(), ::testing::HasSubstr("Reconnecting failed"));
  EXPECT_TRUE(reconnect_.ReconnectNow());
  EXPECT_FALSE(reconnect_.ReconnectNow());  // one attempt at a time
}

// Nothing reports a USB converter's return (the serial device monitor does not see it), so it
// is retried on the timer as the network is, and a serial arrival is not taken for it.
TEST_F(ReconnectTest, UsbDeviceIsRetriedWithBackOffLikeTheNetwork) {
  reconnect_.SetAutomatic(true);
  reconnect_.LinkOpened({kUsbInterface, "RX0500", 0});
  reconnect_.LinkLost();
  EXPECT_EQ(reconnect_.Text(),
            "Connection to the Receiver lost (USB device RX0500). Trying again in 1 s.");
  reconnect_.DeviceArrived("RX0500", "RX0500");
  EXPECT_EQ(reconnect_.GetState(), State::kWaitingToRetry);
  clock_.Advance(1000);
  reconnect_.AttemptFailed();
  clock_.Advance(2000);
  EXPECT_THAT(reopen_ms_, ElementsAre(1000, 3000));
  EXPECT_THAT(reopened_, ::testing::Each("RX0500"));
}

}  // namespace
}  // namespace qv
