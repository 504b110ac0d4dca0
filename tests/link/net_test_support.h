#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <functional>
#include <random>

namespace qv::test {

// A loopback address of its own for each test, so that runs side by side never meet.
inline QHostAddress RandomLoopbackAddress() {
  std::random_device device;
  std::uniform_int_distribution<int> part(1, 254);
  return QHostAddress(
      QStringLiteral("127.%1.%2.%3").arg(part(device)).arg(part(device)).arg(part(device)));
}

// Runs the event loop until `done` holds or the deadline passes.
inline bool WaitUntil(const std::function<bool()>& done, int timeout_ms = 5000) {
  const QDeadlineTimer deadline(timeout_ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(1);
  }
  return true;
}

// Lets virtual time (20 ms a step) and the event loop (which sockets and pseudo-terminals need)
// run until `done` holds or the steps run out.
template <typename Clock>
bool RunWithClock(Clock& clock, const std::function<bool()>& done, int steps = 2000) {
  for (int i = 0; i < steps; ++i) {
    if (done()) return true;
    QTest::qWait(1);
    clock.Advance(20);
  }
  return done();
}

// A bare TCP peer that records what it receives and writes what the test tells it to.
class RawPeer {
 public:
  RawPeer() {
    address = RandomLoopbackAddress();
    listening = server.listen(address, 0);
    QObject::connect(&server, &QTcpServer::newConnection, [this] {
      socket = server.nextPendingConnection();
      QObject::connect(socket, &QTcpSocket::readyRead, [this] { received += socket->readAll(); });
    });
  }

  bool WaitForClient() {
    return WaitUntil([this] { return !socket.isNull(); });
  }

  QTcpServer server;
  QHostAddress address;
  bool listening = false;
  QPointer<QTcpSocket> socket;
  QByteArray received;
};

inline QByteArray Hex(const char* text) {
  return QByteArray::fromHex(text);
}

}  // namespace qv::test
