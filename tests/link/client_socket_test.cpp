#include "link/network/client_socket.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <vector>

#include "core/app/manual_clock.h"
#include "link/app/qt_timer.h"
#include "link/net_test_support.h"

namespace qv {
namespace {

using test::Hex;
using test::RawPeer;
using test::WaitUntil;

// A socket connected to a bare peer, with every message it hands on collected.
class ClientSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.listening) << peer_.server.errorString().toStdString();
    QObject::connect(&socket_, &CClientSocket::MessageReceived,
                     [this](const QByteArray& message) { messages_.push_back(message); });
  }

  void ConnectToPeer() {
    QSignalSpy connected(&socket_, &CClientSocket::Connected);
    socket_.ConnectToHost(peer_.address.toString(), peer_.server.serverPort());
    ASSERT_TRUE(connected.wait(5000));
    ASSERT_TRUE(peer_.WaitForClient());
  }

  void PeerWrites(const QByteArray& bytes) {
    peer_.socket->write(bytes);
    peer_.socket->flush();
  }

  RawPeer peer_;
  QtTimerFactory timers_;
  CClientSocket socket_{timers_};
  std::vector<QByteArray> messages_;
};

TEST_F(ClientSocketTest, SendsFramesWithCheckByte) {
  ConnectToPeer();
  const uint8_t reference_level[] = {0x07, 0xEC, 0xFF};
  EXPECT_TRUE(socket_.Send(reference_level, sizeof reference_level));
  // Check byte 0x11 is escaped like data.
  const uint8_t escaped_check[] = {0x04, 0x15};
  EXPECT_TRUE(socket_.Send(escaped_check, sizeof escaped_check));
  const QByteArray expected = Hex("111207ECFF141113") + Hex("1112041511141113");
  EXPECT_TRUE(WaitUntil([&] { return peer_.received.size() >= expected.size(); }));
  EXPECT_EQ(peer_.received.toHex(), expected.toHex());
}

TEST_F(ClientSocketTest, SendFailsAtOnceWhenNotConnected) {
  const uint8_t request[] = {0x01};
  EXPECT_FALSE(socket_.Send(request, 1));  // never connected

  ConnectToPeer();
  socket_.Close();
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_FALSE(socket_.Send(request, 1));
}

TEST_F(ClientSocketTest, FrameWrittenByteByByteArrivesWhole) {
  ConnectToPeer();
  // A 1000-byte message with escaped data bytes, far larger than one read.
  QByteArray message(1000, '\0');
  for (int i = 0; i < message.size(); ++i) message[i] = static_cast<char>(i * 7 + 6);
  message[0] = 6;
  QByteArray frame = Hex("1112");
  for (char c : message) frame += c == 0x11 ? Hex("1114") : QByteArray(1, c);
  frame += Hex("1113");
  for (char c : frame) {
    PeerWrites(QByteArray(1, c));
    QTest::qWait(0);  // lets the bytes travel in separate reads
  }
  ASSERT_TRUE(WaitUntil([&] { return !messages_.empty(); }));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], message);
}

TEST_F(ClientSocketTest, BurstOfMessagesIsDeliveredInOrder) {
  ConnectToPeer();
  QByteArray burst;
  for (int i = 1; i <= 40; ++i) {
    burst += Hex("1112") + QByteArray(100, static_cast<char>(0x20 + i)) + Hex("1113");
  }
  PeerWrites(burst);  // 4 KiB at once: more than one 256-byte read per notification
  ASSERT_TRUE(WaitUntil([&] { return messages_.size() == 40; }));
  for (int i = 0; i < 40; ++i)
    EXPECT_EQ(messages_[i], QByteArray(100, static_cast<char>(0x21 + i)));
}

TEST_F(ClientSocketTest, OversizedFrameIsDroppedAndNextOneDelivered) {
  ConnectToPeer();
  // 4096 data bytes is one too many; 4095 still fits.
  PeerWrites(Hex("1112") + QByteArray(4096, 6) + Hex("1113") + Hex("1112") + QByteArray(4095, 7) +
             Hex("1113") + Hex("1112020102031113"));
  ASSERT_TRUE(WaitUntil([&] { return messages_.size() == 2; }));
  EXPECT_EQ(messages_[0], QByteArray(4095, 7));
  EXPECT_EQ(messages_[1], Hex("02010203"));
}

TEST_F(ClientSocketTest, PeerLeavingMidFrameClosesLink) {
  ConnectToPeer();
  QSignalSpy disconnected(&socket_, &CClientSocket::Disconnected);
  PeerWrites(Hex("111201312E") + Hex("1112063132"));
  peer_.socket->disconnectFromHost();
  ASSERT_TRUE(WaitUntil([&] { return disconnected.count() == 1; }));
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_TRUE(messages_.empty());
  const uint8_t request[] = {0x01};
  EXPECT_FALSE(socket_.Send(request, 1));

  // The half frame is forgotten: a new connection starts clean.
  RawPeer second;
  ASSERT_TRUE(second.listening);
  QSignalSpy connected(&socket_, &CClientSocket::Connected);
  socket_.ConnectToHost(second.address.toString(), second.server.serverPort());
  ASSERT_TRUE(connected.wait(5000));
  ASSERT_TRUE(second.WaitForClient());
  second.socket->write(Hex("33341113") + Hex("11120135001113"));
  ASSERT_TRUE(WaitUntil([&] { return !messages_.empty(); }));
  EXPECT_EQ(messages_[0], Hex("013500"));
}

TEST_F(ClientSocketTest, ClosingFromMessageSlotStopsDelivery) {
  ConnectToPeer();
  int seen = 0;
  QObject::connect(&socket_, &CClientSocket::MessageReceived, [&](const QByteArray&) {
    ++seen;
    socket_.Close();
  });
  QSignalSpy disconnected(&socket_, &CClientSocket::Disconnected);
  PeerWrites(Hex("11120101131113") + Hex("11120102131113") + Hex("11120103131113"));
  ASSERT_TRUE(WaitUntil([&] { return seen > 0; }));
  QTest::qWait(0);
  EXPECT_EQ(seen, 1);
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_EQ(disconnected.count(), 0);  // our own close is not the peer leaving
}

TEST(ClientSocketConnectTest, RefusedConnectionReportsFailure) {
  // Listen, note the port, stop listening: nothing answers there now.
  RawPeer peer;
  ASSERT_TRUE(peer.listening);
  const quint16 port = peer.server.serverPort();
  peer.server.close();
  QtTimerFactory timers;
  CClientSocket socket(timers);
  QSignalSpy failed(&socket, &CClientSocket::ConnectFailed);
  QSignalSpy connected(&socket, &CClientSocket::Connected);
  socket.ConnectToHost(peer.address.toString(), port);
  ASSERT_TRUE(failed.wait(5000));
  EXPECT_EQ(connected.count(), 0);
  EXPECT_FALSE(socket.IsConnected());
}

TEST(ClientSocketConnectTest, AttemptEndsWhenTimeOutFires) {
  RawPeer peer;
  ASSERT_TRUE(peer.listening);
  ManualClock clock;
  CClientSocket socket(clock);
  QSignalSpy failed(&socket, &CClientSocket::ConnectFailed);
  QSignalSpy connected(&socket, &CClientSocket::Connected);
  socket.ConnectToHost(peer.address.toString(), peer.server.serverPort());
  clock.Advance(CClientSocket::kConnectTimeoutMs - 1);
  EXPECT_EQ(failed.count(), 0);
  clock.Advance(1);  // before the event loop ever ran the connect
  EXPECT_EQ(failed.count(), 1);
  QTest::qWait(0);
  EXPECT_EQ(connected.count(), 0);
  EXPECT_FALSE(socket.IsConnected());
}

}  // namespace
}  // namespace qv
