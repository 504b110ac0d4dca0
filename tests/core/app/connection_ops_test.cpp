#include "core/app/connection_ops.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_link.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

class FakeGraph : public GraphSteps {
 public:
  void ResetTraces() override { journal.push_back("reset"); }
  void ClearModeFlags() override { journal.push_back("flags"); }
  void StartTriggerClock() override { journal.push_back("clock"); }
  void ClearAreaSelected() override { journal.push_back("area"); }
  SweepWindow CurrentSweep() const override { return current; }

  SweepWindow current{48000, 1000};
  std::vector<std::string> journal;
};

class ConnectionOpsTest : public ::testing::Test {
 protected:
  ConnectionOpsTest() {
    for (int i = 0; i < kInterfaceCount; ++i) ops.SetLink(i, links[i]);
    state.interface_index = kSerialInterface;
    state.connected = 1;
  }

  std::vector<std::string> tried;
  FakeLink serial{"serial", &tried};
  FakeLink usb{"usb", &tried};
  FakeLink internet{"internet", &tried};
  FakeLink dhcp{"dhcp", &tried};
  FakeLink static_ip{"static", &tried};
  FakeLink* links[kInterfaceCount] = {&serial, &usb, &internet, &dhcp, &static_ip};
  ReceiverState state;
  RecordingAlerts alerts;
  FakeGraph graph;
  CConnectionOps ops{state, alerts, graph};
};

using Msgs = std::vector<RecordingAlerts::Shown>;

TEST_F(ConnectionOpsTest, FailedSendFallsThroughToTheFollowingLinksInOrder) {
  serial.accept = false;
  usb.accept = false;
  EXPECT_TRUE(ops.SendCommand(BuildRequestFirmware()));
  EXPECT_EQ(tried, (std::vector<std::string>{"serial failed", "usb failed", "internet sent"}));
  EXPECT_EQ(internet.sent, (std::vector<Bytes>{{0x01}}));

  // Links before the chosen one are never tried; a missing link object counts as failed.
  tried.clear();
  state.interface_index = kInternetInterface;
  internet.accept = false;
  ops.SetLink(kDhcpInterface, nullptr);
  EXPECT_TRUE(ops.SendCommand(BuildRequestFirmware()));
  EXPECT_EQ(tried, (std::vector<std::string>{"internet failed", "static sent"}));

  tried.clear();
  static_ip.accept = false;
  EXPECT_FALSE(ops.SendCommand(BuildRequestFirmware()));
}

TEST_F(ConnectionOpsTest, InterfaceIndexOutsideTheFiveLinksFails) {
  for (int32_t index : {-1, 5, 1000}) {
    state.interface_index = index;
    EXPECT_FALSE(ops.SendCommand(BuildRequestFirmware())) << index;
  }
  EXPECT_TRUE(tried.empty());
  ops.CloseLink();  // must not touch any link either
  EXPECT_TRUE(tried.empty());
  EXPECT_EQ(state.connected, 0);
}

TEST_F(ConnectionOpsTest, SpectrumIsFollowedByTheStoredReferenceLevelAndATraceReset) {
  const SpectrumSettings settings{18048, 400, 1, 1600};
  EXPECT_TRUE(ops.SendSpectrumSettings(settings));
  EXPECT_EQ(serial.sent, (std::vector<Bytes>{{0x04, 0x80, 0x46, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00,
                                              0x01, 0x00, 0x40, 0x06},
                                             {0x07, 0xEC, 0xFF}}));
  EXPECT_EQ(state.last_sent, settings);
  EXPECT_EQ(graph.journal, (std::vector<std::string>{"reset", "flags"}));
  EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(ConnectionOpsTest, FailedSpectrumChangesNothingButTheLastSentCopy) {
  for (FakeLink* link : links) link->accept = false;
  const SpectrumSettings settings{48000, 1000, 1, 800};
  EXPECT_FALSE(ops.SendSpectrumSettings(settings));
  EXPECT_EQ(state.last_sent, settings);
  EXPECT_EQ(serial.attempts, 1);  // no reference level after a refused spectrum
  EXPECT_TRUE(graph.journal.empty());
  EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(ConnectionOpsTest, ReferenceLevelFailureAfterSpectrumStillReportsSuccess) {
  for (FakeLink* link : links) link->accept_limit = 0;
  serial.accept_limit = 1;
  EXPECT_TRUE(ops.SendSpectrumSettings({48000, 1000, 1, 1600}));
  EXPECT_EQ(alerts.shown, (Msgs{{"Reference Level could not be set", "Command Failure Alert !"}}));
  EXPECT_EQ(graph.journal, (std::vector<std::string>{"reset", "flags"}));
}

TEST_F(ConnectionOpsTest, ReferenceLevelIndexSurvivesReconnectionAndIsResent) {
  EXPECT_TRUE(ops.SetReferenceLevel(3));
  EXPECT_TRUE(ops.SetReferenceLevel(6));
  ops.CloseLink();
  EXPECT_EQ(state.reference_level_index, 6);

  serial.sent.clear();
  state.connected = 1;
  EXPECT_TRUE(ops.SendSpectrumSettings({48000, 1000, 1, 1600}));
  ASSERT_EQ(serial.sent.size(), 2u);
  EXPECT_EQ(serial.sent[1], (Bytes{0x07, 0xBA, 0xFF}));
}

TEST_F(ConnectionOpsTest, ReferenceLevelFailureKeepsTheIndexAndShowsItsMessage) {
  for (FakeLink* link : links) link->accept = false;
  EXPECT_FALSE(ops.SetReferenceLevel(2));
  EXPECT_EQ(state.reference_level_index, 2);
  EXPECT_EQ(alerts.shown, (Msgs{{"Reference Level could not be set", "Command Failure Alert !"}}));
}

TEST_F(ConnectionOpsTest, ReferenceLevelIndexOutsideTheTableIsRefused) {
  EXPECT_FALSE(ops.SetReferenceLevel(0));
  EXPECT_FALSE(ops.SetReferenceLevel(7));
  EXPECT_EQ(state.reference_level_index, 1);
  EXPECT_TRUE(serial.sent.empty());
}

TEST_F(ConnectionOpsTest, PowerTriggerCapsTheSpanAt20Mhz) {
  state.working = {48000, 1000, 1, 1600};
  state.trigger_threshold = -60;
  state.trigger_delay = 800;
  EXPECT_TRUE(ops.StartPowerTrigger());
  EXPECT_EQ(serial.sent, (std::vector<Bytes>{{0x03, 0x02},
                                             {0x09, 0xC4, 0xFF, 0x20, 0x03},
                                             {0x04, 0x80, 0xBB, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00,
                                              0x01, 0x00, 0x40, 0x06},
                                             {0x07, 0xEC, 0xFF}}));
  EXPECT_EQ(state.working.span, 400u);
  EXPECT_EQ(graph.journal.back(), "clock");
  EXPECT_EQ(graph.journal.front(), "reset");
}

TEST_F(ConnectionOpsTest, PowerTriggerKeepsSpansOf20MhzOrLess) {
  for (uint32_t span : {400u, 399u, 1u}) {
    serial.sent.clear();
    state.working = {48000, span, 1, 1600};
    EXPECT_TRUE(ops.StartPowerTrigger());
    EXPECT_EQ(state.last_sent.span, span);
  }
}

TEST_F(ConnectionOpsTest, PowerTriggerStopsAtTheFirstFailedCommand) {
  state.working = {48000, 1000, 1, 1600};
  for (int accepted = 0; accepted < 3; ++accepted) {
    for (FakeLink* link : links) link->accept_limit = 0;
    serial.accept_limit = accepted;
    serial.sent.clear();
    graph.journal.clear();
    EXPECT_FALSE(ops.StartPowerTrigger()) << accepted;
    EXPECT_EQ(serial.sent.size(), static_cast<size_t>(accepted));
    EXPECT_TRUE(graph.journal.empty());
  }
  EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(ConnectionOpsTest, CloseLinkClosesOnlyTheLinkInUse) {
  state.interface_index = kStaticIpInterface;
  state.working = {98800, 1000, 1, 80};
  state.last_sent = state.working;
  ops.CloseLink();
  EXPECT_EQ(tried, (std::vector<std::string>{"static closed"}));
  EXPECT_EQ(state.connected, 0);
  EXPECT_EQ(state.interface_index, kStaticIpInterface);
  EXPECT_EQ(state.working, (SpectrumSettings{98800, 1000, 1, 80}));
  EXPECT_EQ(state.last_sent, state.working);

  ops.SetLink(kStaticIpInterface, nullptr);
  state.connected = 1;
  ops.CloseLink();  // a page without a link object still ends the connection
  EXPECT_EQ(state.connected, 0);
}

TEST_F(ConnectionOpsTest, DefaultSpectrumSetsSpectrumModeThen2400To2450Mhz) {
  state.working = {103000, 200, 1, 80};
  ops.SetDefaultSpectrum();
  EXPECT_EQ(serial.sent, (std::vector<Bytes>{{0x03, 0x01},
                                             {0x04, 0x80, 0xBB, 0x00, 0x00, 0xE8, 0x03, 0x00, 0x00,
                                              0x01, 0x00, 0x40, 0x06},
                                             {0x07, 0xEC, 0xFF}}));
  EXPECT_EQ(state.working, (SpectrumSettings{48000, 1000, 1, 1600}));
  EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(ConnectionOpsTest, DefaultSpectrumFailures) {
  for (FakeLink* link : links) link->accept_limit = 0;
  state.working = {103000, 200, 1, 80};
  ops.SetDefaultSpectrum();  // mode refused: silent, working record untouched
  EXPECT_TRUE(alerts.shown.empty());
  EXPECT_EQ(state.working, (SpectrumSettings{103000, 200, 1, 80}));

  serial.accept_limit = 1;
  ops.SetDefaultSpectrum();
  EXPECT_EQ(alerts.shown, (Msgs{{"Default Spectrum could not be set", "Alert!"}}));
}

TEST_F(ConnectionOpsTest, SpanChangeAroundTheCurrentCentre) {
  graph.current = {48000, 1000};
  state.working = {48000, 1000, 1, 800};
  ops.SetSpan(400);  // 2415 to 2435 MHz
  EXPECT_EQ(state.last_sent, (SpectrumSettings{48300, 400, 1, 800}));
  EXPECT_EQ(graph.journal.back(), "area");

  // 100 MHz around 2425 MHz starts below the band.
  serial.sent.clear();
  graph.journal.clear();
  ops.SetSpan(2000);
  EXPECT_TRUE(serial.sent.empty());
  EXPECT_TRUE(graph.journal.empty());
  EXPECT_EQ(alerts.shown,
            (Msgs{{"Span out of bounds for Current Center Frequency for Current Band.\n Please "
                   "change your Center Frequency to an appropriate value \n and then Set this Span",
                   "Invalid Span Alert !"}}));
}

TEST_F(ConnectionOpsTest, CentreChangeClampsToTheBandAndRefusesGaps) {
  graph.current = {48000, 1000};
  state.working = {48000, 1000, 1, 1600};
  ops.SetCenterFrequency(48200);  // 2410 MHz: window pulled up to the band's low edge
  EXPECT_EQ(serial.sent.at(0),
            (Bytes{0x04, 0x80, 0xBB, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x01, 0x00, 0x40, 0x06}));
  EXPECT_EQ(graph.journal.back(), "area");

  serial.sent.clear();
  ops.SetCenterFrequency(52000);  // 2600 MHz
  EXPECT_TRUE(serial.sent.empty());
  EXPECT_EQ(alerts.shown, (Msgs{{"Center Frequency out of a Valid Band", "Invalid Value !"}}));
  EXPECT_EQ(state.working, (SpectrumSettings{48000, 400, 1, 1600}));
}

TEST_F(ConnectionOpsTest, FailedFrequencyChangeKeepsTheZoomSelection) {
  for (FakeLink* link : links) link->accept = false;
  ops.SetCenterFrequency(48500);
  ops.SetSpan(400);
  EXPECT_TRUE(graph.journal.empty());
  EXPECT_TRUE(alerts.shown.empty());
}

// After a reset the graph holds no sweep until the next one arrives (in trigger mode perhaps for
// long): changes are made from the window last sent, never from 0 / 0.
TEST_F(ConnectionOpsTest, ChangesWhileNoSweepIsHeldStartFromTheWindowLastSent) {
  state.working = SpectrumSettings{49000, 200, 1, 1600};
  ASSERT_TRUE(ops.SendSpectrumSettings(state.working));
  graph.current = SweepWindow{};
  EXPECT_EQ(ops.CurrentSweep().start, 49000u);
  EXPECT_EQ(ops.CurrentSweep().span, 200u);
  serial.sent.clear();
  ops.SetCenterFrequency(48800);  // 2440 MHz with the same 10 MHz span: 2435 ... 2445 MHz
  ASSERT_FALSE(serial.sent.empty());
  EXPECT_EQ(serial.sent.front(), (Bytes{0x04, 0x3C, 0xBE, 0x00, 0x00, 0xC8, 0x00, 0x00, 0x00,
                                        0x01, 0x00, 0x40, 0x06}));
  graph.current = SweepWindow{48000, 1000};
  EXPECT_EQ(ops.CurrentSweep().span, 1000u);
}

// One program run after another: what the handshake's end sends follows what the user last set,
// until "Set Default"; each run hands the next its remembered record.
TEST_F(ConnectionOpsTest, HandshakeSendsTheRememberedSpectrumUntilSetDefault) {
  const Bytes mode{0x03, 0x01};
  const Bytes default_spectrum{0x04, 0x80, 0xBB, 0x00, 0x00, 0xE8, 0x03, 0x00, 0x00,
                               0x01, 0x00, 0x40, 0x06};
  // First run, nothing remembered: the default spectrum at -20 dBm.
  ops.SendSettingsAfterHandshake();
  EXPECT_EQ(serial.sent, (std::vector<Bytes>{mode, default_spectrum, {0x07, 0xEC, 0xFF}}));
  EXPECT_TRUE(ops.Remembered().use_default);

  // The user picks -50 dBm, then a centre and RBW; a refused spectrum is not remembered.
  EXPECT_TRUE(ops.SetReferenceLevel(4));
  graph.current = {48000, 1000};
  ops.SetCenterFrequency(48600);  // 2430 MHz
  for (FakeLink* link : links) link->accept = false;
  ops.SendSpectrumSettings({18048, 400, 1, 160});
  for (FakeLink* link : links) link->accept = true;
  const RememberedSpectrum handed_on = ops.Remembered();
  EXPECT_FALSE(handed_on.use_default);
  EXPECT_EQ(handed_on.spectrum, (SpectrumSettings{48100, 1000, 1, 1600}));
  EXPECT_EQ(handed_on.reference_level_index, 4);

  // Next run (or a reconnect): spectrum mode, the remembered record, its reference level.
  ReceiverState next_state;
  FakeLink next_link;
  CConnectionOps next{next_state, alerts, graph};
  next.SetLink(kSerialInterface, &next_link);
  next.SetRemembered(handed_on);
  next.SendSettingsAfterHandshake();
  EXPECT_EQ(next_link.sent, (std::vector<Bytes>{mode,
                                                {0x04, 0xE4, 0xBB, 0x00, 0x00, 0xE8, 0x03, 0x00,
                                                 0x00, 0x01, 0x00, 0x40, 0x06},
                                                {0x07, 0xCE, 0xFF}}));
  EXPECT_EQ(next_state.working, handed_on.spectrum);
  EXPECT_EQ(next_state.reference_level_index, 4);

  // "Set Default" makes the default what the following handshake sends; the level stays.
  next.SetDefaultSpectrum();
  next_link.sent.clear();
  next.SendSettingsAfterHandshake();
  EXPECT_EQ(next_link.sent, (std::vector<Bytes>{mode, default_spectrum, {0x07, 0xCE, 0xFF}}));
  EXPECT_TRUE(alerts.shown.empty());

  // A remembered spectrum the Receiver does not take gets its own message.
  next.SetRemembered(handed_on);
  next_link.accept_limit = 1;
  next.SendSettingsAfterHandshake();
  EXPECT_EQ(alerts.shown, (Msgs{{"Remembered Spectrum could not be set", "Alert!"}}));
}

}  // namespace
}  // namespace qv
