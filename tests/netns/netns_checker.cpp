// Runs inside a network namespace next to a simulated Receiver: finds it by broadcast, gives it
// a new address and talks to it there. Exit code 0 when every step worked.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>
#include <string>

#include "core/app/alerts.h"
#include "core/link/command.h"
#include "core/link/sweep_message.h"
#include "link/app/qt_timer.h"
#include "link/network/client_socket.h"
#include "link/network/netlink_setup_host.h"
#include "link/network/udp_socket.h"

namespace {

class PrintingAlerts : public qv::Alerts {
 public:
  void Show(const std::string& text, const std::string& caption) override {
    std::printf("message box \"%s\": %s\n", caption.c_str(), text.c_str());
    last_caption = caption;
  }
  std::string last_caption;
};

int Fail(const QString& what) {
  std::fprintf(stderr, "netns_checker: FAILED: %s\n", qPrintable(what));
  return 1;
}

constexpr int kAttempts = 20;
constexpr int kAttemptMs = 500;

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCommandLineParser parser;
  const QCommandLineOption mac_option("mac", "MAC address the module reports", "MAC");
  const QCommandLineOption expect_option("expect-address", "address the reply must come from",
                                         "ADDR");
  const QCommandLineOption new_option("new-address", "address to give the module", "ADDR");
  parser.addOptions({mac_option, expect_option, new_option});
  parser.addHelpOption();
  parser.process(app);
  const QString mac = parser.value(mac_option);
  const QString expected = parser.value(expect_option);
  const QString new_address = parser.value(new_option);
  if (mac.isEmpty() || expected.isEmpty() || new_address.isEmpty()) {
    return Fail("--mac, --expect-address and --new-address are all needed");
  }

  // 1. Discovery: the query goes to this host's a.b.c.255; the module may still be starting.
  qv::CUDPSocket discovery;
  QSignalSpy replies(&discovery, &qv::CUDPSocket::ReplyReceived);
  const auto broadcast = qv::CUDPSocket::HostBroadcastAddress();
  if (!broadcast) return Fail("no IPv4 address besides loopback");
  std::printf("discovery query to %s\n", qPrintable(broadcast->toString()));
  bool found = false;
  for (int attempt = 0; attempt < kAttempts && !found; ++attempt) {
    if (!discovery.SendQuery()) return Fail("discovery query could not be sent");
    replies.wait(kAttemptMs);
    for (const QList<QVariant>& reply : replies) {
      std::printf("reply: %s %s\n", qPrintable(reply[0].toString()),
                  qPrintable(reply[1].toString()));
      if (reply[0].toString() == expected && reply[1].toString() == mac) found = true;
    }
    replies.clear();
  }
  if (!found) return Fail("no discovery reply from " + expected + " with MAC " + mac);

  // 2. Address set-up through the route, ARP entry and broadcast of this namespace.
  PrintingAlerts alerts;
  if (!qv::SetStaticIpAddress(alerts, mac.toStdString(), new_address.toStdString())) {
    return Fail("address set-up failed");
  }
  if (alerts.last_caption != qv::kSetupDoneCaption) return Fail("no success message");

  // 3. TCP to the new address; the module starts serving there once it took the packet.
  qv::QtTimerFactory timers;
  qv::CClientSocket socket(timers);
  QSignalSpy connected(&socket, &qv::CClientSocket::Connected);
  QSignalSpy failed(&socket, &qv::CClientSocket::ConnectFailed);
  for (int attempt = 0; attempt < kAttempts && connected.isEmpty(); ++attempt) {
    failed.clear();
    socket.ConnectToHost(new_address);
    for (int waited = 0; waited < 2 * qv::CClientSocket::kConnectTimeoutMs / kAttemptMs &&
                         connected.isEmpty() && failed.isEmpty();
         ++waited) {
      connected.wait(kAttemptMs);
    }
    if (connected.isEmpty()) QTest::qWait(kAttemptMs);  // back off before the next attempt
  }
  if (connected.isEmpty()) return Fail("no TCP connection to " + new_address + ":10001");
  std::printf("connected to %s:10001\n", qPrintable(new_address));

  QSignalSpy messages(&socket, &qv::CClientSocket::MessageReceived);
  const qv::Bytes request = qv::BuildRequestFirmware();
  if (!socket.Send(request.data(), request.size())) return Fail("request could not be sent");
  for (int attempt = 0; attempt < kAttempts && messages.isEmpty(); ++attempt) {
    messages.wait(kAttemptMs);
  }
  if (messages.isEmpty()) return Fail("no answer to the firmware request");
  const QByteArray answer = messages[0][0].toByteArray();
  if (answer.isEmpty() || static_cast<uint8_t>(answer[0]) != qv::kMsgFirmware) {
    return Fail("the answer is not a type 1 message");
  }
  std::printf("firmware answer: %s\n", answer.mid(1, answer.size() - 2).constData());
  socket.Close();
  std::printf("netns_checker: all steps passed\n");
  return 0;
}
