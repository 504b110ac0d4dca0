#include "session/remote/remote_server.h"

#include <gtest/gtest.h>

#include <QTcpSocket>
#include <memory>
#include <string>
#include <vector>

#include "link/net_test_support.h"

namespace qv {
namespace {

using test::WaitUntil;

constexpr qint64 kAnswerBytes = 1024 * 1024;
constexpr int kFloodAnswers = 64;

// What one fake client saw; kept by the test past the client's end.
struct Seen {
  RemoteWrite write;
  std::vector<std::string> lines;
  int too_long = 0;
  int dropped = 0;
  bool destroyed = false;
};

// Echoes each line; "flood" answers far more than a client that does not read may hold.
class EchoClient : public RemoteClient {
 public:
  EchoClient(RemoteWrite write, std::shared_ptr<Seen> seen)
      : write_(std::move(write)), seen_(std::move(seen)) {}
  ~EchoClient() override { seen_->destroyed = true; }

  void OnLine(std::string_view line) override {
    seen_->lines.emplace_back(line);
    if (line == "flood") {
      const std::string answer = std::string(kAnswerBytes - 1, 'x') + "\n";
      for (int i = 0; i < kFloodAnswers; ++i) write_(answer);
      return;
    }
    write_(std::string(line) + "\n");
  }
  void OnLineTooLong() override {
    ++seen_->too_long;
    write_("too long\n");
  }
  void OnAnswersDropped() override { ++seen_->dropped; }

 private:
  RemoteWrite write_;
  std::shared_ptr<Seen> seen_;
};

// A client of the test's; it reads only when told to.
struct Peer {
  QTcpSocket socket;
  QByteArray received;

  void Send(const QByteArray& bytes) {
    socket.write(bytes);
    socket.flush();
    // Lets the server take this part before the next comes.
    WaitUntil([this] { return socket.bytesToWrite() == 0; });
    QTest::qWait(5);
  }
  bool WaitFor(const QByteArray& tail) {
    return WaitUntil(
        [&] {
          received += socket.readAll();
          return received.endsWith(tail);
        },
        20000);
  }
};

TEST(RemoteServerTest, ClientsAreServedApartAndNoneCanFloodOrStallTheServer) {
  std::vector<std::shared_ptr<Seen>> seen;  // in the order the clients came
  CRemoteServer server([&](RemoteWrite write) {
    auto client_seen = std::make_shared<Seen>();
    client_seen->write = write;
    seen.push_back(client_seen);
    return std::make_unique<EchoClient>(std::move(write), client_seen);
  });
  int signalled_count = -1;
  QObject::connect(&server, &CRemoteServer::ClientCountChanged,
                   [&](int count) { signalled_count = count; });

  const QHostAddress address = test::RandomLoopbackAddress();
  const std::string host = address.toString().toStdString();
  std::string error;
  EXPECT_FALSE(server.Listen("no-such-host", 0, &error));
  EXPECT_NE(error.find("no-such-host:0"), std::string::npos) << error;
  ASSERT_TRUE(server.Listen(host, 0, &error)) << error;
  ASSERT_NE(server.Port(), 0);
  CRemoteServer taken([](RemoteWrite) { return nullptr; });
  EXPECT_FALSE(taken.Listen(host, server.Port(), &error));
  EXPECT_NE(error.find(host + ":" + std::to_string(server.Port())), std::string::npos) << error;

  std::vector<std::unique_ptr<Peer>> peers;
  auto connect_peer = [&] {
    peers.push_back(std::make_unique<Peer>());
    const size_t expected = peers.size();
    peers.back()->socket.connectToHost(address, server.Port());
    return WaitUntil([&] { return static_cast<size_t>(server.ClientCount()) == expected; });
  };
  ASSERT_TRUE(connect_peer());
  ASSERT_TRUE(connect_peer());
  Peer& a = *peers[0];
  Peer& b = *peers[1];

  // Lines split across writes, several in one write, CRLF and a binary zero, on two clients.
  a.Send("ME");
  b.Send("b1\nb2\r\n");
  a.Send("AS?\r");
  a.Send("\n*IDN?\nx");
  a.Send(QByteArray("\0y\n", 3));
  ASSERT_TRUE(a.WaitFor(QByteArray("MEAS?\n*IDN?\nx\0y\n", 16))) << a.received.toStdString();
  ASSERT_TRUE(b.WaitFor("b1\nb2\n")) << b.received.toStdString();
  EXPECT_EQ(seen[0]->lines.back(), std::string("x\0y", 3));

  // A line at the bound passes whole; one past it, short or far longer, is thrown away and said
  // once, and the next line is served.
  a.received.clear();
  a.Send(QByteArray(CRemoteServer::kMaxLineBytes, 'z') + "\r\n");
  ASSERT_TRUE(a.WaitFor("z\n"));
  EXPECT_EQ(a.received, QByteArray(CRemoteServer::kMaxLineBytes, 'z') + "\n");
  a.received.clear();
  a.Send(QByteArray(CRemoteServer::kMaxLineBytes + 1, 'y') + "\n");
  for (int i = 0; i < 3; ++i) a.Send(QByteArray(CRemoteServer::kMaxLineBytes, 'y'));
  a.Send("y\nafter\n");
  ASSERT_TRUE(a.WaitFor("after\n")) << a.received.left(100).toStdString();
  EXPECT_EQ(a.received, "too long\ntoo long\nafter\n");
  EXPECT_EQ(seen[0]->too_long, 2);

  // A client that does not read: its answers past the bound are dropped, said once, while the
  // others are served.
  ASSERT_TRUE(connect_peer());
  Peer& stuck = *peers[2];
  stuck.socket.setReadBufferSize(1);
  stuck.Send("flood\n");
  ASSERT_TRUE(WaitUntil([&] { return seen[2]->dropped == 1; }));
  stuck.Send("ping\n");
  b.Send("still\n");
  ASSERT_TRUE(b.WaitFor("still\n"));
  ASSERT_TRUE(WaitUntil([&] { return seen[2]->lines.size() == 2; }));
  EXPECT_EQ(seen[2]->dropped, 1);
  // Read at last, it gets whole answers, no more than the bound held, and is served again.
  stuck.socket.setReadBufferSize(0);
  stuck.Send("pong\n");
  ASSERT_TRUE(stuck.WaitFor("pong\n"));
  QByteArray answers = stuck.received.chopped(5);
  if (answers.endsWith("ping\n")) answers.chop(5);
  EXPECT_GT(answers.size(), 0);
  EXPECT_LE(answers.size(), CRemoteServer::kMaxPendingAnswerBytes);
  EXPECT_EQ(answers.size() % kAnswerBytes, 0);
  EXPECT_EQ(answers.count('\n'), answers.size() / kAnswerBytes);
  EXPECT_EQ(answers.count('x'), answers.size() - answers.size() / kAnswerBytes);

  // Eight at most: the ninth is closed without a client made for it.
  while (peers.size() < CRemoteServer::kMaxClients) ASSERT_TRUE(connect_peer());
  EXPECT_EQ(signalled_count, CRemoteServer::kMaxClients);
  QTcpSocket ninth;
  bool ninth_connected = false;
  QObject::connect(&ninth, &QTcpSocket::connected, [&] { ninth_connected = true; });
  ninth.connectToHost(address, server.Port());
  ASSERT_TRUE(WaitUntil(
      [&] { return ninth_connected && ninth.state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_EQ(server.ClientCount(), CRemoteServer::kMaxClients);
  EXPECT_EQ(seen.size(), static_cast<size_t>(CRemoteServer::kMaxClients));

  // A client that leaves is deleted; an answer written for it later goes nowhere, and its place
  // is free again.
  b.socket.disconnectFromHost();
  ASSERT_TRUE(WaitUntil([&] { return seen[1]->destroyed; }));
  EXPECT_EQ(server.ClientCount(), CRemoteServer::kMaxClients - 1);
  EXPECT_EQ(signalled_count, CRemoteServer::kMaxClients - 1);
  seen[1]->write("late\n");
  peers.erase(peers.begin() + 1);
  ASSERT_TRUE(connect_peer());
  peers.back()->Send("newcomer\n");
  EXPECT_TRUE(peers.back()->WaitFor("newcomer\n"));
  a.Send("last\n");
  EXPECT_TRUE(a.WaitFor("last\n"));
}

}  // namespace
}  // namespace qv
