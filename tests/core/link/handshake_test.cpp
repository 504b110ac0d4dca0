#include "core/link/handshake.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/connection_ops.h"
#include "core/app/manual_clock.h"
#include "support/fake_link.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

using ::testing::ElementsAre;

// Records what the progress window shows, stamped with virtual time.
class RecordingProgress : public ProgressView {
 public:
  explicit RecordingProgress(const ManualClock& clock) : clock_(clock) {}
  void SetProgressText(const std::string& text) override { text_ = text; }
  void ShowProgress() override {
    visible = true;
    shown.push_back(std::to_string(clock_.Now()) + " " + text_);
  }
  void HideProgress() override {
    visible = false;
    hidden_at.push_back(clock_.Now());
  }

  std::vector<std::string> shown;
  std::vector<int64_t> hidden_at;
  bool visible = false;

 private:
  const ManualClock& clock_;
  std::string text_;
};

class NullReceiveSide : public ReceiveLog,
                        public SweepProcessor,
                        public ReceiveView,
                        public GraphSteps {
 public:
  bool IsLogging() const override { return false; }
  void WriteMessageRecord(const uint8_t*, size_t) override {}
  void SetFirmwareBytes(const uint8_t*, size_t) override {}
  void SetSerialBytes(const uint8_t*, size_t) override {}
  void ProcessSweepBlock(const uint8_t*, size_t) override {}
  void ReadBandList(const uint8_t*, size_t) override {}
  bool LowBatteryFlag() const override { return false; }
  void ClearLowBatteryFlag() override {}
  void SetStatusPaneText(int, const std::string&) override {}
  void SetModeFlags(bool, bool) override {}
  void TriggerArrived() override {}
  bool IsPrinting() const override { return false; }
  void Repaint() override {}
  void Quit(int) override {}
  void ResetTraces() override {}
  void ClearModeFlags() override {}
  void StartTriggerClock() override {}
  void ClearAreaSelected() override {}
  SweepWindow CurrentSweep() const override { return {48000, 1000}; }
};

std::string Text(int code) {
  return ProgressText(code);
}

class HandshakeTest : public ::testing::Test {
 protected:
  HandshakeTest()
      : progress_(clock_),
        ops_(state_, alerts_, side_),
        handler_(clock_, side_, side_, sequencer_, side_),
        sequencer_(clock_, progress_, [this] {
          ops_.SetDefaultSpectrum();
          clock_started_at_ = clock_.Now();
        }) {
    ops_.SetLink(kInternetInterface, &link_);
    state_.interface_index = kInternetInterface;
    handler_.SetConnection(&ops_);
  }

  // The sheet's OK with the Internet page active and a link that opens at once.
  void Connect(bool opens = true) {
    QueueConnectStep(
        sequencer_, true, kInternetInterface,
        [opens](std::function<void(bool)> done) { done(opens); },
        [this] {
          state_.connected = 1;
          QueueIdentityRequests(sequencer_, ops_, handler_);
        });
  }

  void Answer(Bytes message) { handler_.OnReceiverMessage(message.data(), message.size()); }

  ManualClock clock_;
  RecordingProgress progress_;
  RecordingAlerts alerts_;
  NullReceiveSide side_;
  ReceiverState state_;
  FakeLink link_;
  CConnectionOps ops_;
  ReceiverMessageHandler handler_;
  HandshakeSequencer sequencer_;
  int64_t clock_started_at_ = -1;
};

TEST_F(HandshakeTest, FullSequenceShowsTextsInOrderAndEndsWithTheDefaultSpectrum) {
  Connect();
  // Requests go out one second apart once the link's own text has held for two seconds.
  clock_.Advance(4000);
  EXPECT_THAT(link_.sent, ElementsAre(Bytes{0x01}));
  clock_.Advance(1000);
  EXPECT_EQ(link_.sent.size(), 2u);
  clock_.Advance(1000);
  EXPECT_THAT(link_.sent, ElementsAre(Bytes{0x01}, Bytes{0x08}, Bytes{0x02}));
  EXPECT_EQ(state_.connected, 1);

  // All three answers at once: each text still holds for its two seconds, in arrival order.
  Answer({0x01, '1', '.', '0', '5', 0x00});
  Answer({0x08, 0x01, 0x80, 0xBB, 0, 0, 0x50, 0xC3, 0, 0});
  Answer({0x02, '1', '2', '3', '4', '5', '6'});
  clock_.Advance(20000);

  EXPECT_THAT(progress_.shown, ElementsAre("0 " + Text(14), "2000 " + Text(7), "6000 " + Text(11),
                                           "8000 " + Text(15), "10000 " + Text(13)));
  // Text 13 hides the window after two seconds; text 16 hides it again.
  EXPECT_THAT(progress_.hidden_at, ElementsAre(12000, 13000));
  EXPECT_FALSE(progress_.visible);
  EXPECT_EQ(clock_started_at_, 15000);
  ASSERT_EQ(link_.sent.size(), 6u);
  EXPECT_EQ(link_.sent[3], (Bytes{0x03, 0x01}));
  EXPECT_EQ(link_.sent[4],
            (Bytes{0x04, 0x80, 0xBB, 0x00, 0x00, 0xE8, 0x03, 0x00, 0x00, 0x01, 0x00, 0x40, 0x06}));
  EXPECT_EQ(link_.sent[5], (Bytes{0x07, 0xEC, 0xFF}));
  // The handshake time-out stays off once the serial number arrived.
  EXPECT_FALSE(handler_.HandshakeTimer().IsActive());
}

TEST_F(HandshakeTest, SilentReceiverTimesOutClosesTheLinkAndShowsTheCheckText) {
  Connect();
  clock_.Advance(6000);  // third request at 6 s
  ASSERT_EQ(link_.sent.size(), 3u);
  clock_.Advance(5999);
  EXPECT_EQ(link_.closes, 0);
  clock_.Advance(1);
  EXPECT_EQ(link_.closes, 1);
  EXPECT_EQ(state_.connected, 0);
  EXPECT_EQ(progress_.shown.back(), "12000 " + Text(18));
  clock_.Advance(5000);  // shown for five seconds, then hidden
  EXPECT_FALSE(progress_.visible);
}

TEST_F(HandshakeTest, LinkThatDoesNotOpenShowsTheCheckTextAndSendsNothing) {
  Connect(/*opens=*/false);
  clock_.Advance(10000);
  EXPECT_THAT(progress_.shown, ElementsAre("0 " + Text(14), "2000 " + Text(18)));
  EXPECT_TRUE(link_.sent.empty());
  EXPECT_EQ(state_.connected, 0);
}

TEST_F(HandshakeTest, AnswersInTheOrderEightOneTwoStillEndWithTheDefaultSpectrum) {
  Connect();
  clock_.Advance(6000);
  Answer({0x08, 0x00});
  Answer({0x01, '1', '.', '0', '5', 0x00});
  Answer({0x02, '1', '2', '3', '4', '5', '6'});
  clock_.Advance(20000);
  ASSERT_GE(progress_.shown.size(), 5u);
  EXPECT_EQ(progress_.shown[2], "6000 " + Text(15));
  EXPECT_EQ(progress_.shown[3], "8000 " + Text(11));
  EXPECT_EQ(link_.sent.size(), 6u);
  EXPECT_EQ(link_.closes, 0);
}

TEST_F(HandshakeTest, SerialNumberFirstLetsALaterAnswerRestartTheTimeOut) {
  Connect();
  clock_.Advance(6000);
  Answer({0x02, '1', '2', '3', '4', '5', '6'});
  Answer({0x01, '1', '.', '0', '5', 0x00});  // starts timer 3 again; nothing stops it
  clock_.Advance(6000);
  EXPECT_EQ(link_.closes, 1);
  EXPECT_EQ(state_.connected, 0);
}

TEST_F(HandshakeTest, InactivePagesShowAttemptingAndStopThereInTabOrder) {
  // Serial page created and visited, USB page active: the serial page's step shows its text
  // and goes no further; only the active page opens.
  int serial_opens = 0;
  QueueConnectStep(
      sequencer_, false, kSerialInterface,
      [&](std::function<void(bool)> done) {
        ++serial_opens;
        done(true);
      },
      [] {});
  bool usb_opened = false;
  QueueConnectStep(
      sequencer_, true, kUsbInterface,
      [&](std::function<void(bool)> done) {
        usb_opened = true;
        done(true);
      },
      [] {});
  clock_.Advance(10000);
  EXPECT_EQ(serial_opens, 0);
  EXPECT_TRUE(usb_opened);
  EXPECT_THAT(progress_.shown, ElementsAre("0 " + Text(14), "2000 " + Text(14), "4000 " + Text(6)));
}

TEST_F(HandshakeTest, AsynchronousOpenHoldsTheSequenceUntilItReports) {
  std::function<void(bool)> pending;
  QueueConnectStep(
      sequencer_, true, kStaticIpInterface,
      [&](std::function<void(bool)> done) { pending = std::move(done); },
      [this] { state_.connected = 1; });
  clock_.Advance(30000);
  ASSERT_TRUE(pending);
  EXPECT_EQ(state_.connected, 0);
  pending(true);
  pending(true);  // a second report is ignored
  clock_.Advance(2000);
  EXPECT_EQ(state_.connected, 1);
  EXPECT_EQ(progress_.shown.back(), "30000 " + Text(9));
}

TEST_F(HandshakeTest, CancelDropsQueuedStepsAndStaleReports) {
  std::function<void(bool)> pending;
  QueueConnectStep(
      sequencer_, true, kInternetInterface,
      [&](std::function<void(bool)> done) { pending = std::move(done); },
      [this] { state_.connected = 1; });
  clock_.Advance(2000);
  sequencer_.Cancel();
  pending(true);
  clock_.Advance(10000);
  EXPECT_EQ(state_.connected, 0);
  EXPECT_TRUE(sequencer_.Idle());
}

TEST(ProgressTextTest, TextsForEveryCode) {
  EXPECT_EQ(ProgressText(5),
            "Serial Port connection Established\n Waiting for Receiver Parameters...");
  EXPECT_EQ(ProgressText(8), "TCP/IP Connection Established\n Waiting for Receiver Parameters...");
  EXPECT_EQ(ProgressText(18),
            "Please Check the CF Card Connection and the \n Power Supply to the Quorvalin "
            "Receiver.\n Try Again after verification");
  EXPECT_EQ(ProgressText(16), "");
  EXPECT_EQ(EstablishedCode(kSerialInterface), 5);
  EXPECT_EQ(EstablishedCode(kStaticIpInterface), 9);
}

}  // namespace
}  // namespace qv
