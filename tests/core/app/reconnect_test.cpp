#include "core/app/reconnect.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/app/manual_clock.h"
#include "core/app/receiver_state.h"

namespace qv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using State = Reconnector::State;

class RecordingHost : public ReconnectHost {
 public:
  explicit RecordingHost(const ManualClock& clock) : clock_(clock) {}
  void Reopen(const LinkTarget& target) override {
    reopen_ms.push_back(clock_.Now());
    reopened.push_back(target);
  }
  void ReconnectChanged() override { ++changes; }

  std::vector<int64_t> reopen_ms;
  std::vector<LinkTarget> reopened;
  int changes = 0;

 private:
  const ManualClock& clock_;
};

class ReconnectTest : public ::testing::Test {
 protected:
  // Fails every attempt as soon as it starts, for `ms` of virtual time.
  void FailAttemptsFor(int64_t ms) {
    for (int64_t end = clock_.Now() + ms; clock_.Now() < end;) {
      clock_.Advance(100);
      if (reconnect_.GetState() == State::kAttempting) reconnect_.AttemptFailed();
    }
  }

  ManualClock clock_;
  RecordingHost host_{clock_};
  Reconnector reconnect_{clock_, host_};
  const LinkTarget tcp_{kInternetInterface, "127.0.74.1", 10001};
  const LinkTarget serial_{kSerialInterface, "/dev/serial/by-id/usb-cf-card", 0};
};

// Automatic network retries back off 1, 2, 4 ... 30 s after each failed attempt, the handshake
// ends them and starts the back-off afresh, and the user's own choices stop them.
TEST_F(ReconnectTest, NetworkRetriesBackOffUntilTheHandshakeOrTheUserEndsThem) {
  reconnect_.SetAutomatic(true);
  reconnect_.LinkLost();  // nothing opened yet: nothing to come back to
  EXPECT_EQ(reconnect_.GetState(), State::kIdle);
  EXPECT_FALSE(reconnect_.ReconnectNow());

  reconnect_.LinkOpened(tcp_);
  reconnect_.HandshakeCompleted();
  reconnect_.LinkLost();
  EXPECT_EQ(reconnect_.GetState(), State::kWaitingToRetry);
  EXPECT_EQ(reconnect_.Text(),
            "Connection to the Receiver lost (127.0.74.1 port 10001). Trying again in 1 s.");
  reconnect_.LinkClosed();  // the user plays a log back meanwhile: no retries
  EXPECT_EQ(reconnect_.GetState(), State::kIdle);
  EXPECT_THAT(reconnect_.Text(), IsEmpty());

  reconnect_.LinkLost();
  FailAttemptsFor(120000);
  EXPECT_THAT(host_.reopen_ms, ElementsAre(1000, 3000, 7000, 15000, 31000, 61000, 91000));
  EXPECT_EQ(host_.reopened.back().where, "127.0.74.1");
  EXPECT_EQ(host_.reopened.back().port, 10001);

  // A retry that opens the link and then times out in the handshake failed too.
  clock_.Advance(30000);
  ASSERT_EQ(reconnect_.GetState(), State::kAttempting);
  reconnect_.LinkOpened(LinkTarget{kDhcpInterface, "elsewhere", 1});  // the retry's own open
  reconnect_.LinkClosed();
  EXPECT_EQ(reconnect_.GetState(), State::kWaitingToRetry);
  EXPECT_EQ(reconnect_.Target().where, "127.0.74.1");

  clock_.Advance(30000);
  ASSERT_EQ(reconnect_.GetState(), State::kAttempting);
  EXPECT_THAT(reconnect_.Text(), HasSubstr("Reconnecting..."));
  reconnect_.HandshakeCompleted();
  EXPECT_EQ(reconnect_.GetState(), State::kIdle);
  const size_t attempts = host_.reopen_ms.size();
  reconnect_.LinkLost();
  reconnect_.LinkLost();  // a second report of the same loss changes nothing
  clock_.Advance(999);
  EXPECT_EQ(host_.reopen_ms.size(), attempts);
  clock_.Advance(1);
  EXPECT_EQ(host_.reopen_ms.size(), attempts + 1);  // afresh at 1 s

  // The user connects elsewhere mid-attempt: the failure of the old attempt changes nothing.
  reconnect_.Stop();
  reconnect_.AttemptFailed();
  clock_.Advance(60000);
  EXPECT_EQ(host_.reopen_ms.size(), attempts + 1);
  EXPECT_EQ(reconnect_.GetState(), State::kIdle);
}

// Without the option the loss is only offered; "Reconnect" tries once, and switching the option
// on later starts waiting. A serial device is reopened only when the same device comes back.
TEST_F(ReconnectTest, ManualOfferAndDevicesComingBack) {
  reconnect_.LinkOpened(serial_);
  reconnect_.LinkLost();
  EXPECT_EQ(reconnect_.GetState(), State::kLost);
  EXPECT_EQ(reconnect_.Text(),
            "Connection to the Receiver lost (/dev/serial/by-id/usb-cf-card). Press Reconnect "
            "to open it again.");
  reconnect_.DeviceArrived("/dev/ttyUSB0", "/dev/ttyUSB0");
  clock_.Advance(120000);
  EXPECT_THAT(host_.reopened, IsEmpty());

  EXPECT_TRUE(reconnect_.ReconnectNow());
  EXPECT_FALSE(reconnect_.ReconnectNow());  // one attempt at a time
  reconnect_.AttemptFailed();
  EXPECT_EQ(reconnect_.GetState(), State::kLost);
  EXPECT_THAT(reconnect_.Text(), HasSubstr("Reconnecting failed"));

  reconnect_.SetAutomatic(true);
  EXPECT_EQ(reconnect_.GetState(), State::kWaitingForDevice);
  clock_.Advance(120000);
  reconnect_.DeviceArrived("/dev/ttyUSB1", "");  // another adapter; ours dangles still
  EXPECT_EQ(host_.reopened.size(), 1u);
  reconnect_.DeviceArrived("/dev/ttyUSB0", "/dev/ttyUSB0");  // the link points at it again
  ASSERT_EQ(host_.reopened.size(), 2u);
  EXPECT_EQ(host_.reopened.back().where, "/dev/serial/by-id/usb-cf-card");
  reconnect_.AttemptFailed();
  EXPECT_EQ(reconnect_.GetState(), State::kWaitingForDevice);

  // Playback takes over while waiting: no more reopening, nothing offered.
  reconnect_.LinkClosed();
  reconnect_.DeviceArrived("/dev/serial/by-id/usb-cf-card", "");
  EXPECT_EQ(host_.reopened.size(), 2u);
  EXPECT_FALSE(reconnect_.CanReconnect());

  // Switching the option off while waiting leaves the offer.
  reconnect_.LinkOpened(tcp_);
  reconnect_.LinkLost();
  reconnect_.SetAutomatic(false);
  clock_.Advance(60000);
  EXPECT_EQ(host_.reopened.size(), 2u);
  EXPECT_EQ(reconnect_.GetState(), State::kLost);
  EXPECT_GT(host_.changes, 0);
}

TEST(SameDeviceTest, MatchesThePathOrWhereItPointsNow) {
  EXPECT_TRUE(IsSameDevice("/dev/ttyUSB0", "", "/dev/ttyUSB0"));
  EXPECT_TRUE(IsSameDevice("/dev/serial/by-id/x", "/dev/ttyUSB3", "/dev/ttyUSB3"));
  EXPECT_FALSE(IsSameDevice("/dev/serial/by-id/x", "", "/dev/ttyUSB3"));
  EXPECT_FALSE(IsSameDevice("/dev/ttyUSB0", "/dev/ttyUSB0", "/dev/ttyUSB1"));
  EXPECT_FALSE(IsSameDevice("", "", ""));
}

}  // namespace
}  // namespace qv
