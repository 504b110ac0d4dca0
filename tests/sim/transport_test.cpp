#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QUdpSocket>

#include "core/link/command.h"
#include "core/link/deframer.h"
#include "link/net_test_support.h"
#include "sim/transport/pty_transport.h"
#include "sim/transport/tcp_server.h"
#include "sim/transport/udp_responder.h"

namespace qv::sim {
namespace {

// A generous deadline: the simulator paces its stream in real time here.
constexpr int kWaitMs = 10000;

bool WaitUntil(const std::function<bool()>& done) {
  return test::WaitUntil(done, kWaitMs);
}

struct Collector {
  std::vector<Bytes> messages;
  NetworkDeframer deframer{[this](const uint8_t* d, size_t n) { messages.emplace_back(d, d + n); }};
  void Feed(const QByteArray& bytes) {
    deframer.Feed(reinterpret_cast<const uint8_t*>(bytes.constData()),
                  static_cast<size_t>(bytes.size()));
  }
};

QByteArray Framed(const Bytes& command) {
  Bytes f = FrameCommand(command, true);
  return QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size()));
}

TEST(SimTcpServer, AnswersAndStreamsOverLoopbackThenDisconnectsOnFault) {
  SimOptions options;
  options.bytes_per_second = 200000;
  options.disconnect_after_sweeps = 3;
  TcpServer server(options);
  QHostAddress address = test::RandomLoopbackAddress();
  QString error;
  ASSERT_TRUE(server.Listen(address, 0, &error)) << error.toStdString();

  QTcpSocket client;
  Collector got;
  QObject::connect(&client, &QTcpSocket::readyRead, [&] { got.Feed(client.readAll()); });
  client.connectToHost(address, server.Port());
  ASSERT_TRUE(client.waitForConnected(5000));
  // Split across writes, check byte included.
  QByteArray request = Framed(BuildRequestSerial());
  client.write(request.left(3));
  client.flush();
  ASSERT_TRUE(WaitUntil([&] { return server.SessionCount() == 1; }));
  client.write(request.mid(3));
  ASSERT_TRUE(WaitUntil([&] { return got.messages.size() == 1; }));
  EXPECT_EQ(got.messages[0], (Bytes{0x02, 0x31, 0x30, 0x30, 0x31, 0x32, 0x33}));

  client.write(Framed(BuildSetMode(kSpectrumMode)) +
               Framed(BuildSetSpectrum(SpectrumSettings{48000, 1000, 1, 1600})));
  ASSERT_TRUE(WaitUntil([&] { return client.state() == QAbstractSocket::UnconnectedState; }));
  size_t blocks = 0;
  for (const Bytes& m : got.messages) blocks += m[0] == 6;
  EXPECT_EQ(blocks, 12u);  // three sweeps of four blocks, then the server closed
  EXPECT_TRUE(WaitUntil([&] { return server.SessionCount() == 0; }));
}

TEST(SimTcpServer, ReportsAnAddressItCannotListenOn) {
  TcpServer first({});
  QHostAddress address = test::RandomLoopbackAddress();
  QString error;
  ASSERT_TRUE(first.Listen(address, 0, &error));
  TcpServer second({});
  EXPECT_FALSE(second.Listen(address, first.Port(), &error));
  EXPECT_TRUE(error.contains(address.toString()));
}

TEST(SimUdpResponder, AnswersDiscoveryAndTakesSetupForItsMacOnly) {
  UdpResponder responder(kDefaultMac);
  QHostAddress address = test::RandomLoopbackAddress();
  QString error;
  ASSERT_TRUE(responder.Bind(address, 0, &error)) << error.toStdString();
  QSignalSpy assigned(&responder, &UdpResponder::AddressAssigned);

  QUdpSocket client;
  ASSERT_TRUE(client.bind(address, 0));
  client.writeDatagram(QByteArray("\x00\x00\x00\xF6", 4), address, responder.Port());
  ASSERT_TRUE(WaitUntil([&] { return client.hasPendingDatagrams(); }));
  QByteArray reply = client.receiveDatagram().data();
  ASSERT_GE(reply.size(), 30);
  EXPECT_EQ(reply.mid(24, 6), QByteArray("\x00\x20\x4A\x91\x0B\x2D", 6));

  const char wrong[] = "\x00\x00\x00\xFCIP-SETUP\x00\x00\x0B\x2E\x0A\x00\x00\x08";
  const char right[] = "\x00\x00\x00\xFCIP-SETUP\x00\x00\x0B\x2D\x0A\x00\x00\x07";
  client.writeDatagram(QByteArray(wrong, 20), address, responder.Port());
  client.writeDatagram(QByteArray(right, 20), address, responder.Port());
  ASSERT_TRUE(assigned.wait(5000) || assigned.count() > 0);
  ASSERT_EQ(assigned.count(), 1);
  EXPECT_EQ(assigned.at(0).at(0).value<QHostAddress>(), QHostAddress("10.0.0.7"));
}

TEST(SimPtyTransport, AnswersARequestWrittenToTheSlaveDevice) {
  PtyTransport pty({});
  QString error;
  ASSERT_TRUE(pty.Open(&error)) << error.toStdString();
  int fd = ::open(pty.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  QByteArray request = Framed(BuildRequestFirmware());
  ASSERT_EQ(::write(fd, request.constData(), static_cast<size_t>(request.size())), request.size());
  Collector got;
  bool answered = WaitUntil([&] {
    char buffer[256];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) got.Feed(QByteArray(buffer, static_cast<qsizetype>(n)));
    return !got.messages.empty();
  });
  ::close(fd);
  ASSERT_TRUE(answered);
  EXPECT_EQ(got.messages[0], (Bytes{0x01, 0x31, 0x2E, 0x30, 0x35, 0x00}));
}

}  // namespace
}  // namespace qv::sim
