#include "core/link/message_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/connection_ops.h"
#include "core/app/manual_clock.h"
#include "support/fake_link.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

using Journal = std::vector<std::string>;

// Stands in for the log, the trace record, the handshake and the graph at once, writing each
// call into one journal so the order across them shows.
class Recorder : public ReceiveLog,
                 public SweepProcessor,
                 public HandshakeSteps,
                 public ReceiveView,
                 public GraphSteps {
 public:
  bool IsLogging() const override { return logging; }
  void WriteMessageRecord(const uint8_t* m, size_t n) override { logged.emplace_back(m, m + n); }
  void SetFirmwareBytes(const uint8_t* b, size_t n) override { firmware_bytes.assign(b, b + n); }
  void SetSerialBytes(const uint8_t* b, size_t n) override { serial_bytes.assign(b, b + n); }

  void ProcessSweepBlock(const uint8_t* m, size_t n) override {
    journal.push_back("process " + std::to_string(n));
    processed.emplace_back(m, m + n);
  }
  void ReadBandList(const uint8_t*, size_t n) override {
    journal.push_back("bands " + std::to_string(n));
  }
  bool LowBatteryFlag() const override { return low_battery; }
  void ClearLowBatteryFlag() override { low_battery = false; }

  void FirmwareStep() override { journal.push_back("firmware step"); }
  void BandStep() override { journal.push_back("band step"); }
  void ClosingSteps() override { journal.push_back("closing steps"); }
  void TimeOutStep() override { journal.push_back("time-out step"); }

  void SetStatusPaneText(int id, const std::string& text) override {
    journal.push_back(std::to_string(id) + " " + text);
  }
  void SetModeFlags(bool spectrum, bool trigger) override {
    journal.push_back(std::string("mode ") + (spectrum ? "S" : "-") + (trigger ? "T" : "-"));
  }
  void TriggerArrived() override { journal.push_back("trigger arrived"); }
  bool IsPrinting() const override { return printing; }
  void Repaint() override { journal.push_back("repaint"); }
  void Quit(int code) override { quits.push_back(code); }
  void SetDataSilence(int seconds, bool waiting) override {
    silences.push_back(waiting ? -seconds : seconds);  // a trigger wait counts negative
  }

  void ResetTraces() override {}
  void ClearModeFlags() override {}
  void StartTriggerClock() override {}
  void ClearAreaSelected() override {}
  SweepWindow CurrentSweep() const override { return {}; }

  bool logging = false;
  bool low_battery = false;
  bool printing = false;
  Journal journal;
  std::vector<Bytes> logged;
  std::vector<Bytes> processed;
  Bytes firmware_bytes;
  Bytes serial_bytes;
  std::vector<int> quits;
  std::vector<int> silences;
};

class MessageDecoderTest : public ::testing::Test {
 protected:
  MessageDecoderTest() {
    ops.SetLink(kInternetInterface, &link);
    state.interface_index = kInternetInterface;
    state.connected = 1;
    handler.SetConnection(&ops);
  }

  void Deliver(const Bytes& message) { handler.OnReceiverMessage(message.data(), message.size()); }

  ManualClock clock;
  Recorder fake;
  ReceiverState state;
  RecordingAlerts alerts;
  FakeLink link;
  CConnectionOps ops{state, alerts, fake};
  ReceiverMessageHandler handler{clock, fake, fake, fake, fake};
};

const Bytes kFirmware105 = {0x01, 0x31, 0x2E, 0x30, 0x35, 0x00};
const Bytes kSerial = {0x02, 0x31, 0x32, 0x41, 0x34, 0x35, 0x36};
const Bytes kNoBands = {0x08, 0x00};

TEST_F(MessageDecoderTest, FirmwareVersionLeavesOutTheLastByteAndIsReplacedByTheNext) {
  Deliver(kFirmware105);
  EXPECT_EQ(handler.FirmwareText(), "1.05");
  EXPECT_EQ(fake.firmware_bytes, (Bytes{0x31, 0x2E, 0x30, 0x35}));
  EXPECT_EQ(fake.journal, (Journal{"firmware step", "105 F/w Ver: 1.05"}));

  Deliver({0x01, 0x32, 0x2E, 0x31, 0x00});
  EXPECT_EQ(handler.FirmwareText(), "2.1");
  EXPECT_EQ(fake.journal.back(), "105 F/w Ver: 2.1");
}

TEST_F(MessageDecoderTest, SerialNumberKeepsDigitsForTheTextAndAllBytesForTheLog) {
  Deliver(kSerial);
  EXPECT_EQ(handler.SerialText(), "12456");
  EXPECT_EQ(fake.serial_bytes, (Bytes{0x31, 0x32, 0x41, 0x34, 0x35, 0x36}));
  EXPECT_EQ(fake.journal, (Journal{"32830 Receiver Serial # 12456", "closing steps"}));

  // A second serial number starts from an empty text; bytes past the sixth are ignored.
  Deliver({0x02, 0x39, 0x38, 0x37, 0x36, 0x35, 0x34, 0x33});
  EXPECT_EQ(handler.SerialText(), "987654");
}

TEST_F(MessageDecoderTest, ShortIdentityMessagesUseOnlyTheBytesPresent) {
  for (const Bytes& m : {Bytes{0x01}, Bytes{0x01, 0x31}}) {
    Deliver({0x01, 0x39, 0x00});
    Deliver(m);
    EXPECT_EQ(handler.FirmwareText(), "");
    EXPECT_EQ(fake.journal.back(), "105 F/w Ver: ");
  }
  Deliver({0x02, 0x37, 0x38});
  EXPECT_EQ(handler.SerialText(), "78");
  EXPECT_EQ(fake.serial_bytes, (Bytes{0x37, 0x38}));
  Deliver({0x02});
  EXPECT_EQ(handler.SerialText(), "");
  EXPECT_TRUE(fake.serial_bytes.empty());
}

TEST_F(MessageDecoderTest, HandshakeTimerRestartsOnFirmwareAndBandsAndStopsOnSerial) {
  handler.StartHandshakeTimeout();
  clock.Advance(5000);
  Deliver(kFirmware105);  // 6 s from here, not from the requests
  clock.Advance(5000);
  EXPECT_TRUE(handler.HandshakeTimer().IsActive());
  Deliver(kNoBands);
  EXPECT_EQ(fake.journal.back(), "band step");
  EXPECT_EQ(fake.journal[fake.journal.size() - 2], "bands 2");
  clock.Advance(5999);
  EXPECT_TRUE(handler.HandshakeTimer().IsActive());
  Deliver(kSerial);
  EXPECT_FALSE(handler.HandshakeTimer().IsActive());
  clock.Advance(60000);
  EXPECT_EQ(link.closes, 0);
  EXPECT_EQ(state.connected, 1);
}

TEST_F(MessageDecoderTest, SilenceForSixSecondsClosesTheLink) {
  handler.StartHandshakeTimeout();
  Deliver(kFirmware105);
  clock.Advance(5999);
  EXPECT_EQ(link.closes, 0);
  clock.Advance(1);
  EXPECT_EQ(fake.journal.back(), "time-out step");
  EXPECT_EQ(link.closes, 1);
  EXPECT_EQ(state.connected, 0);
  EXPECT_EQ(state.interface_index, kInternetInterface);
  EXPECT_FALSE(handler.HandshakeTimer().IsActive());
  clock.Advance(60000);
  EXPECT_EQ(link.closes, 1);
}

TEST_F(MessageDecoderTest, AnswerAfterTheSerialNumberStartsTheTimeOutAgain) {
  handler.StartHandshakeTimeout();
  Deliver(kSerial);
  Deliver(kNoBands);
  clock.Advance(6000);
  EXPECT_EQ(link.closes, 1);
}

TEST_F(MessageDecoderTest, LowBatteryCountsDownFrom30AndQuitsOnceAtThe31stTick) {
  Bytes sweep(30, 0x00);
  sweep[0] = 0x06;
  EXPECT_EQ(handler.LowBatteryCountdown(), 30);
  fake.low_battery = true;  // as a log played back may leave the record; no sweep reported it
  clock.Advance(10000);
  fake.low_battery = false;
  Deliver(sweep);
  clock.Advance(10000);  // flag clear: these ticks do not count
  EXPECT_EQ(handler.LowBatteryCountdown(), 30);

  fake.low_battery = true;
  Deliver(sweep);
  std::vector<int> shown;
  for (int tick = 0; tick < 30; ++tick) {
    clock.Advance(1000);
    shown.push_back(handler.LowBatteryCountdown());
  }
  EXPECT_EQ(shown.front(), 29);
  EXPECT_EQ(shown.back(), 0);
  EXPECT_TRUE(fake.quits.empty());

  fake.low_battery = false;
  Deliver(sweep);
  clock.Advance(5000);
  EXPECT_TRUE(fake.quits.empty());
  fake.low_battery = true;
  Deliver(sweep);
  clock.Advance(1000);
  EXPECT_EQ(fake.quits, (std::vector<int>{22}));
  clock.Advance(10000);
  EXPECT_EQ(fake.quits.size(), 1u);
}

TEST_F(MessageDecoderTest, SpectrumSweepIsProcessedWholeAndRepaintedUnlessPrinting) {
  Bytes sweep(30, 0x00);
  sweep[0] = 0x06;
  sweep[29] = 0x7F;
  Deliver(sweep);
  EXPECT_EQ(fake.journal, (Journal{"mode S-", "process 30", "repaint"}));
  EXPECT_EQ(fake.processed.at(0), sweep);

  fake.journal.clear();
  fake.printing = true;
  Deliver(sweep);
  EXPECT_EQ(fake.journal, (Journal{"mode S-", "process 30"}));
}

TEST_F(MessageDecoderTest, TriggerSweepRestartsTheTriggerClock) {
  int ticks = 0;
  handler.TriggerClock().SetCallback([&] { ++ticks; });
  handler.TriggerClock().Start(1000);
  clock.Advance(700);

  Bytes sweep(26, 0x00);
  sweep[0] = 0x0A;
  Deliver(sweep);
  EXPECT_EQ(fake.journal, (Journal{"trigger arrived", "mode -T", "process 26", "repaint"}));
  clock.Advance(999);
  EXPECT_EQ(ticks, 0);
  clock.Advance(1);
  EXPECT_EQ(ticks, 1);
}

// Silence is a fault while spectrum sweeps should flow; in power-trigger mode it is the wait for
// a trigger, counted from the moment the mode is set, even after a sweep still on its way.
TEST_F(MessageDecoderTest, SilenceIsAFaultWhileSweepsFlowAndAWaitInTriggerMode) {
  Bytes sweep(30, 0x00);
  sweep[0] = 0x06;
  Bytes trigger_sweep(26, 0x00);
  trigger_sweep[0] = 0x0A;
  Deliver(kFirmware105);  // the handshake's own time-out covers the identity answers
  clock.Advance(20000);
  EXPECT_TRUE(fake.silences.empty());

  state.connected = 1;  // again, after the handshake's time-out
  Deliver(sweep);
  clock.Advance(5000);
  EXPECT_TRUE(fake.silences.empty());
  clock.Advance(2000);
  EXPECT_EQ(fake.silences, (std::vector<int>{5, 6}));
  Deliver(sweep);
  EXPECT_EQ(fake.silences.back(), 0);
  EXPECT_EQ(handler.SilentSeconds(), 0);

  // New settings pause the watch until sweeps flow again.
  fake.silences.clear();
  clock.Advance(3000);
  handler.StopDataWatch();
  clock.Advance(20000);
  EXPECT_TRUE(fake.silences.empty());

  // Trigger mode: the clock starts before the mode is sent, a spectrum sweep still arrives,
  // then nothing crosses the threshold. A trigger restarts the wait; so do new settings.
  handler.StartTriggerClock();
  ASSERT_TRUE(ops.SendCommand(BuildSetMode(kPowerTriggerMode)));
  EXPECT_TRUE(handler.WaitingForTrigger());
  Deliver(sweep);
  clock.Advance(7000);
  EXPECT_EQ(fake.silences, (std::vector<int>{-5, -6}));
  Deliver(trigger_sweep);
  EXPECT_EQ(fake.silences.back(), 0);
  clock.Advance(6000);
  handler.StopDataWatch();
  clock.Advance(6000);
  EXPECT_EQ(fake.silences, (std::vector<int>{-5, -6, 0, -5, 0, -5}));

  // Spectrum mode again: silence is a fault again; a closed link ends the watch.
  ASSERT_TRUE(ops.SendCommand(BuildSetMode(kSpectrumMode)));
  Deliver(sweep);
  fake.silences.clear();
  clock.Advance(6000);
  EXPECT_EQ(fake.silences, (std::vector<int>{5}));
  state.connected = 0;
  clock.Advance(20000);
  EXPECT_EQ(fake.silences, (std::vector<int>{5, 0}));
}

TEST_F(MessageDecoderTest, EveryMessageIsLoggedWhileLoggingIsOnAndOthersDoNothingElse) {
  fake.logging = true;
  const Bytes set_spectrum_echo = {0x04, 0x80, 0xBB, 0x00, 0x00};
  Deliver(set_spectrum_echo);
  Deliver({0xFF});
  Deliver(kFirmware105);
  EXPECT_EQ(fake.logged, (std::vector<Bytes>{set_spectrum_echo, {0xFF}, kFirmware105}));
  EXPECT_EQ(fake.journal.size(), 2u);  // only the firmware's step and pane

  fake.logging = false;
  Deliver(kSerial);
  EXPECT_EQ(fake.logged.size(), 3u);
}

TEST_F(MessageDecoderTest, EmptyAndOverlongMessagesAreDropped) {
  fake.logging = true;
  Deliver(kFirmware105);
  Deliver({});
  handler.OnReceiverMessage(nullptr, 5);
  Bytes overlong(ReceiverMessageHandler::kReceiveBufferSize + 1, 0x06);
  Deliver(overlong);
  EXPECT_EQ(fake.logged.size(), 1u);
  EXPECT_EQ(handler.MessageLength(), kFirmware105.size());
  EXPECT_EQ(handler.MessageType(), 0x01);

  // The largest frame a link delivers fits whole.
  Bytes largest(ReceiverMessageHandler::kReceiveBufferSize, 0x11);
  largest[0] = 0x06;
  Deliver(largest);
  EXPECT_EQ(fake.processed.at(0), largest);
}

}  // namespace
}  // namespace qv
