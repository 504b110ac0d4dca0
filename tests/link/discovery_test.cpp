#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QUdpSocket>

#include "core/link/network_setup.h"
#include "link/net_test_support.h"
#include "link/network/netlink_setup_host.h"
#include "link/network/udp_socket.h"
#include "sim/transport/udp_responder.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

using test::WaitUntil;

TEST(DiscoveryLoopbackTest, SimulatedModuleIsListedWithItsMac) {
  const QHostAddress address = test::RandomLoopbackAddress();
  sim::UdpResponder module({0x00, 0x20, 0x4A, 0x91, 0x0B, 0x2D});
  QString error;
  ASSERT_TRUE(module.Bind(address, 0, &error)) << error.toStdString();

  CUDPSocket discovery;
  QSignalSpy replies(&discovery, &CUDPSocket::ReplyReceived);
  ASSERT_TRUE(discovery.SendQueryTo(address, module.Port()));
  ASSERT_TRUE(replies.wait(5000));
  EXPECT_EQ(replies[0][0].toString(), address.toString());
  EXPECT_EQ(replies[0][1].toString(), QStringLiteral("00-20-4A-91-0B-2D"));
}

TEST(DiscoveryLoopbackTest, RepliesTooShortForAMacAreSkipped) {
  // A bare responder that first answers with 29 bytes, then with a full 30-byte reply.
  const QHostAddress address = test::RandomLoopbackAddress();
  QUdpSocket responder;
  ASSERT_TRUE(responder.bind(address, 0));
  QByteArray query;
  QObject::connect(&responder, &QUdpSocket::readyRead, [&] {
    const QNetworkDatagram datagram = responder.receiveDatagram();
    query = datagram.data();
    QByteArray reply(29, '\x2D');
    responder.writeDatagram(reply, datagram.senderAddress(), datagram.senderPort());
    reply = QByteArray(24, '\0') + QByteArray::fromHex("0A0B0C0D0E0F");
    responder.writeDatagram(reply, datagram.senderAddress(), datagram.senderPort());
  });

  CUDPSocket discovery;
  QSignalSpy replies(&discovery, &CUDPSocket::ReplyReceived);
  ASSERT_TRUE(discovery.SendQueryTo(address, responder.localPort()));
  ASSERT_TRUE(replies.wait(5000));
  EXPECT_EQ(query, QByteArray::fromHex("000000F6"));
  ASSERT_EQ(replies.count(), 1);
  EXPECT_EQ(replies[0][1].toString(), QStringLiteral("0A-0B-0C-0D-0E-0F"));
}

TEST(NetlinkLookupTest, LoopbackRouteAndBroadcast) {
  // Lookups need no privilege; the loopback interface carries 127.0.0.0/8.
  NetlinkSetupHost host;
  const std::optional<Ipv4Address> target = ParseIpv4("127.31.7.9");
  int interface_index = 0;
  const AddressSetupHost::Status route = host.RouteInterface(*target, interface_index);
  ASSERT_TRUE(route.ok()) << route.detail;
  EXPECT_GT(interface_index, 0);
  Ipv4Address broadcast{};
  const AddressSetupHost::Status found =
      host.InterfaceBroadcast(interface_index, *target, broadcast);
  ASSERT_TRUE(found.ok()) << found.detail;
  EXPECT_EQ(FormatIpv4(broadcast), "127.255.255.255");
}

TEST(NetlinkLookupTest, UnusableAddressTextChangesNothing) {
  RecordingAlerts alerts;
  EXPECT_FALSE(SetStaticIpAddress(alerts, "00-20-4A-91-0B-2D", "10.0.0"));
  ASSERT_EQ(alerts.shown.size(), 1u);
  EXPECT_EQ(alerts.shown[0].caption, "FARNOBELL: Invalid Information Alert !");
}

}  // namespace
}  // namespace qv
