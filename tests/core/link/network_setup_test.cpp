#include "core/link/network_setup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/recording_alerts.h"

namespace qv {
namespace {

using ::testing::ElementsAre;

TEST(DiscoveryTest, QueryAndBroadcastTarget) {
  EXPECT_EQ(BuildDiscoveryQuery(), (Bytes{0x00, 0x00, 0x00, 0xF6}));
  EXPECT_EQ(BroadcastAddressText({192, 168, 5, 20}), "192.168.5.255");
  EXPECT_EQ(BroadcastAddressText({10, 0, 0, 255}), "10.0.0.255");
}

TEST(DiscoveryTest, ReplyListsMacFromBytes24To29) {
  Bytes reply(30, 0xEE);
  const uint8_t mac[] = {0x00, 0x20, 0x4A, 0x91, 0x0B, 0x2D};
  std::copy(std::begin(mac), std::end(mac), reply.begin() + 24);
  EXPECT_EQ(ParseDiscoveryReply(reply.data(), reply.size()), "00-20-4A-91-0B-2D");

  // Longer replies are fine; the MAC is still at 24.
  reply.resize(1024, 0x55);
  EXPECT_EQ(ParseDiscoveryReply(reply.data(), reply.size()), "00-20-4A-91-0B-2D");
}

TEST(DiscoveryTest, ShortReplyIsNotReadPastItsEnd) {
  // Exactly sized heap copies so the sanitizer would catch a read beyond the end.
  for (size_t length = 0; length < 30; ++length) {
    std::vector<uint8_t> reply(length, 0xAB);
    EXPECT_EQ(ParseDiscoveryReply(reply.data(), reply.size()), std::nullopt) << length;
  }
  EXPECT_EQ(ParseDiscoveryReply(nullptr, 0), std::nullopt);
}

TEST(MacTextTest, DashedAndOtherSeparators) {
  EXPECT_THAT(ParseMacText("00-20-4A-91-0B-2D").mac,
              ElementsAre(0x00, 0x20, 0x4A, 0x91, 0x0B, 0x2D));
  EXPECT_EQ(ParseMacText("00-20-4A-91-0B-2D").numbers_found, 6);
  EXPECT_THAT(ParseMacText("a:b:c:d:e:f").mac, ElementsAre(0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F));
}

TEST(MacTextTest, LongNumbersKeepTheirLowByte) {
  EXPECT_THAT(ParseMacText("1234-0-0-0-0-ABCDEF").mac, ElementsAre(0x34, 0, 0, 0, 0, 0xEF));
}

TEST(MacTextTest, ExactlyOneSeparatorIsSkipped) {
  // "--" leaves an empty number, which shifts the rest.
  const ParsedMac parsed = ParseMacText("00--20-4A-91-0B");
  EXPECT_THAT(parsed.mac, ElementsAre(0x00, 0x00, 0x20, 0x4A, 0x91, 0x0B));
  EXPECT_EQ(parsed.numbers_found, 5);
}

TEST(MacTextTest, ShortOrGarbageTextGivesZeros) {
  EXPECT_EQ(ParseMacText("").numbers_found, 0);
  EXPECT_THAT(ParseMacText("").mac, ElementsAre(0, 0, 0, 0, 0, 0));
  EXPECT_THAT(ParseMacText("0B-2D").mac, ElementsAre(0x0B, 0x2D, 0, 0, 0, 0));
  EXPECT_EQ(ParseMacText("0B-2D").numbers_found, 2);
  EXPECT_EQ(ParseMacText("xyz!").numbers_found, 0);
}

TEST(SetupPacketTest, LiteralExample) {
  const ParsedMac parsed = ParseMacText("00-20-4A-91-0B-2D");
  EXPECT_EQ(BuildAddressSetupPacket(parsed.mac, {10, 0, 0, 7}),
            (Bytes{0x00, 0x00, 0x00, 0xFC, 0x49, 0x50, 0x2D, 0x53, 0x45, 0x54,
                   0x55, 0x50, 0x00, 0x00, 0x0B, 0x2D, 0x0A, 0x00, 0x00, 0x07}));
}

TEST(Ipv4TextTest, ParsesOnlyDottedQuads) {
  EXPECT_THAT(*ParseIpv4("10.213.7.50"), ElementsAre(10, 213, 7, 50));
  EXPECT_EQ(FormatIpv4({127, 0, 0, 1}), "127.0.0.1");
  for (const char* bad :
       {"", "1.2.3", "1.2.3.4.", "256.1.1.1", "1..2.3", "1.2.3.4x", "0001.2.3.4", " 1.2.3.4"}) {
    EXPECT_EQ(ParseIpv4(bad), std::nullopt) << bad;
  }
}

// Scripted operating system: each step can be made to fail; calls are journalled in order.
class FakeHost : public AddressSetupHost {
 public:
  Status RouteInterface(const Ipv4Address& address, int& interface_index) override {
    journal.push_back("route " + FormatIpv4(address));
    interface_index = 3;
    return route;
  }
  Status InterfaceBroadcast(int interface_index, const Ipv4Address&,
                            Ipv4Address& broadcast) override {
    journal.push_back("broadcast " + std::to_string(interface_index));
    broadcast = {10, 0, 0, 255};
    return bcast;
  }
  Status AddStaticArp(int interface_index, const Ipv4Address& address,
                      const MacAddress& mac) override {
    journal.push_back("arp+ " + std::to_string(interface_index) + " " + FormatIpv4(address) + " " +
                      FormatMacAddress(mac));
    return arp_add;
  }
  Status DeleteStaticArp(int interface_index, const Ipv4Address& address) override {
    journal.push_back("arp- " + std::to_string(interface_index) + " " + FormatIpv4(address));
    return {};
  }
  bool SendDatagram(const Ipv4Address& to, uint16_t port, const Bytes& packet) override {
    journal.push_back("send " + FormatIpv4(to) + ":" + std::to_string(port));
    sent = packet;
    return send_ok;
  }

  Status route, bcast, arp_add;
  bool send_ok = true;
  std::vector<std::string> journal;
  Bytes sent;
};

TEST(AddressSetupTest, SendsPacketBetweenArpAddAndDelete) {
  FakeHost host;
  RecordingAlerts alerts;
  EXPECT_TRUE(RunAddressSetup(host, alerts, "00-20-4A-91-0B-2D", {10, 0, 0, 7}));
  EXPECT_THAT(host.journal,
              ElementsAre("route 10.0.0.7", "broadcast 3", "arp+ 3 10.0.0.7 00-20-4A-91-0B-2D",
                          "send 10.0.0.255:30718", "arp- 3 10.0.0.7"));
  EXPECT_EQ(host.sent.size(), 20u);
  EXPECT_THAT(alerts.shown,
              ElementsAre(RecordingAlerts::Shown{"IP Address has been Set, Click OK to Continue",
                                                 "IP Address Set"}));
}

TEST(AddressSetupTest, FailedSendStillRemovesArpEntry) {
  FakeHost host;
  host.send_ok = false;
  RecordingAlerts alerts;
  EXPECT_FALSE(RunAddressSetup(host, alerts, "00-20-4A-91-0B-2D", {10, 0, 0, 7}));
  EXPECT_EQ(host.journal.back(), "arp- 3 10.0.0.7");
  EXPECT_THAT(
      alerts.shown,
      ElementsAre(RecordingAlerts::Shown{
          "Incorrect MAC address OR IP address entered, Please re-enter Correct Information",
          "FARNOBELL: Invalid Information Alert !"}));
}

TEST(AddressSetupTest, WithoutPermissionNothingIsSentOrLeftBehind) {
  FakeHost host;
  host.arp_add = {AddressSetupHost::Status::kNotPermitted, "Operation not permitted"};
  RecordingAlerts alerts;
  EXPECT_FALSE(RunAddressSetup(host, alerts, "00-20-4A-91-0B-2D", {10, 0, 0, 7}));
  EXPECT_THAT(host.journal,
              ElementsAre("route 10.0.0.7", "broadcast 3", "arp+ 3 10.0.0.7 00-20-4A-91-0B-2D"));
  ASSERT_EQ(alerts.shown.size(), 1u);
  EXPECT_NE(alerts.shown[0].text.find("CAP_NET_ADMIN"), std::string::npos);
}

TEST(AddressSetupTest, NoRouteOrNoBroadcastStopsBeforeAnyChange) {
  for (int failing = 0; failing < 2; ++failing) {
    FakeHost host;
    (failing == 0 ? host.route : host.bcast) = {AddressSetupHost::Status::kFailed, "none"};
    RecordingAlerts alerts;
    EXPECT_FALSE(RunAddressSetup(host, alerts, "00-20-4A-91-0B-2D", {10, 0, 0, 7}));
    EXPECT_EQ(host.journal.size(), static_cast<size_t>(failing + 1));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_NE(alerts.shown[0].text.find("10.0.0.7"), std::string::npos);
  }
}

TEST(AddressSetupTest, IncompleteMacIsRejectedUntouched) {
  FakeHost host;
  RecordingAlerts alerts;
  EXPECT_FALSE(RunAddressSetup(host, alerts, "00-20-4A", {10, 0, 0, 7}));
  EXPECT_TRUE(host.journal.empty());
  ASSERT_EQ(alerts.shown.size(), 1u);
  EXPECT_EQ(alerts.shown[0].caption, "FARNOBELL: Invalid Information Alert !");
}

}  // namespace
}  // namespace qv
