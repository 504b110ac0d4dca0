// quorvalin-sim: a simulated Receiver on TCP (with UDP discovery and address set-up) and on a
// pseudo-terminal.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <cstdio>
#include <memory>
#include <vector>

#include "link/app/qt_timer.h"
#include "sim/core/discovery.h"
#include "sim/core/option_text.h"
#include "sim/core/simulated_receiver.h"
#include "sim/transport/local_address.h"
#include "sim/transport/pty_transport.h"
#include "sim/transport/tcp_server.h"
#include "sim/transport/udp_responder.h"

namespace {

using qv::sim::SimOptions;

void Say(const QString& text) {
  std::fprintf(stdout, "%s\n", qPrintable(text));
  std::fflush(stdout);
}

int Fail(const QString& text) {
  std::fprintf(stderr, "quorvalin-sim: %s\n", qPrintable(text));
  return 2;
}

const char kDescription[] =
    "A simulated Quorvalin Receiver. It answers the firmware (0x01), serial number (0x02) and\n"
    "band list (0x08) requests, streams spectrum sweeps after set mode 0x01 and set spectrum,\n"
    "and power-trigger sweeps after set mode 0x02 and set trigger when the simulated power\n"
    "crosses the threshold. It never acknowledges a command; frames with a wrong check byte\n"
    "are ignored.\n"
    "\n"
    "Signal model (deterministic for a seed): a noise floor that rises with the resolution\n"
    "bandwidth; bursty Wi-Fi on channels 1, 6, 11 (2412/2437/2462 MHz) and 36 (5180 MHz); a\n"
    "narrowband frequency hopper over 2402-2480 MHz; a microwave oven cycling on and off near\n"
    "2450-2460 MHz; a steady carrier at 915 MHz.\n"
    "\n"
    "Transports: TCP (default 127.0.0.1:10001) with a UDP responder on port 30718 that answers\n"
    "discovery queries and takes address set-up packets for its MAC address, after which it\n"
    "also serves TCP on the new address; and, with --pty, a pseudo-terminal whose device path\n"
    "is printed (and linked to LINK when given). TCP runs unless only --pty is asked for.";

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("quorvalin-sim"));
  QCoreApplication::setApplicationVersion(QStringLiteral(QV_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromLatin1(kDescription));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption tcp(
      QStringLiteral("tcp"), QStringLiteral("Serve TCP on ADDR[:PORT] (default 127.0.0.1:10001)."),
      QStringLiteral("ADDR[:PORT]"));
  const QCommandLineOption udp_any(
      QStringLiteral("udp-any"),
      QStringLiteral("Bind the UDP responder to 0.0.0.0 instead of the TCP address, so that "
                     "broadcasts reach it."));
  const QCommandLineOption mac(QStringLiteral("mac"),
                               QStringLiteral("MAC address of the network module (default "
                                              "00-20-4A-91-0B-2D)."),
                               QStringLiteral("MAC"));
  const QCommandLineOption pty(
      QStringLiteral("pty"),
      QStringLiteral("Serve the serial link on a pseudo-terminal; print its device path and, "
                     "when the argument LINK is given, make LINK a symbolic link to it."));
  const QCommandLineOption seed(QStringLiteral("seed"),
                                QStringLiteral("Seed of the signal model (default 1)."),
                                QStringLiteral("N"));
  const QCommandLineOption block_size(
      QStringLiteral("block-size"),
      QStringLiteral("Points per sweep block, 1 to 1000 (default 250)."), QStringLiteral("N"));
  const QCommandLineOption rate(
      QStringLiteral("rate"),
      QStringLiteral("Bytes per second sent (default 11520, what a 115200-baud line carries)."),
      QStringLiteral("BYTES_PER_SECOND"));
  const QCommandLineOption firmware(QStringLiteral("firmware"),
                                    QStringLiteral("Firmware version text (default 1.05)."),
                                    QStringLiteral("TEXT"));
  const QCommandLineOption serial(QStringLiteral("serial"),
                                  QStringLiteral("Six-digit serial number (default 100123)."),
                                  QStringLiteral("DIGITS"));
  const QCommandLineOption bands(
      QStringLiteral("bands"),
      QStringLiteral("Band list as START-STOP,... in 50 kHz steps (default "
                     "18048-18560,48000-50000,98000-99800,103000-118000)."),
      QStringLiteral("LIST"));
  const QCommandLineOption silent(QStringLiteral("silent"),
                                  QStringLiteral("Fault: never answer and never send a sweep."));
  const QCommandLineOption drop_answer(
      QStringLiteral("drop-answer"),
      QStringLiteral("Fault: leave the request OPCODE (1, 2 or 8; 0x.. allowed) unanswered. "
                     "May be repeated."),
      QStringLiteral("OPCODE"));
  const QCommandLineOption garbage(
      QStringLiteral("garbage"),
      QStringLiteral("Fault: noise and bad escapes between frames, and a bad escape inside "
                     "about one sweep block in eight."));
  const QCommandLineOption disconnect_after(
      QStringLiteral("disconnect-after"),
      QStringLiteral("Fault: close the connection once N sweeps are sent."), QStringLiteral("N"));
  const QCommandLineOption disconnect_mid_frame(
      QStringLiteral("disconnect-mid-frame"),
      QStringLiteral("Fault, with --disconnect-after: send half of one more frame before "
                     "closing."));
  const QCommandLineOption low_battery(QStringLiteral("low-battery"),
                                       QStringLiteral("Fault: every sweep reports low battery."));
  const QCommandLineOption clipping(
      QStringLiteral("clipping"),
      QStringLiteral("Fault: a carrier 10 dB above the reference level at the sweep's centre, "
                     "so every sweep reports data clipping."));
  const QCommandLineOption quit_after(QStringLiteral("quit-after"),
                                      QStringLiteral("Exit after SECONDS."),
                                      QStringLiteral("SECONDS"));
  parser.addOptions({tcp, udp_any, mac, pty, seed, block_size, rate, firmware, serial, bands,
                     silent, drop_answer, garbage, disconnect_after, disconnect_mid_frame,
                     low_battery, clipping, quit_after});
  parser.addPositionalArgument(QStringLiteral("LINK"),
                               QStringLiteral("With --pty: symbolic link to the device."),
                               QStringLiteral("[LINK]"));
  parser.process(app);

  auto number = [&](const QCommandLineOption& option, uint32_t max, uint32_t fallback,
                    bool* ok) -> uint32_t {
    if (!parser.isSet(option)) return fallback;
    auto value = qv::sim::ParseNumber(parser.value(option).toStdString(), max);
    if (!value) *ok = false;
    return value.value_or(fallback);
  };
  bool ok = true;
  SimOptions options;
  options.seed = number(seed, UINT32_MAX, 1, &ok);
  if (!ok) return Fail(QStringLiteral("--seed wants a number"));
  options.block_size = static_cast<uint16_t>(number(block_size, qv::sim::kMaxBlockSize, 250, &ok));
  if (!ok || options.block_size == 0) return Fail(QStringLiteral("--block-size wants 1 to 1000"));
  options.bytes_per_second = number(rate, 100000000, 0, &ok);
  if (!ok) return Fail(QStringLiteral("--rate wants a number of bytes per second"));
  if (parser.isSet(firmware)) options.firmware = parser.value(firmware).toStdString();
  if (parser.isSet(serial)) {
    options.serial = parser.value(serial).toStdString();
    if (options.serial.size() != 6) return Fail(QStringLiteral("--serial wants six characters"));
  }
  if (parser.isSet(bands)) {
    auto list = qv::sim::ParseBands(parser.value(bands).toStdString());
    if (!list) return Fail(QStringLiteral("--bands wants START-STOP,... with START < STOP"));
    options.bands = *list;
  }
  options.silent = parser.isSet(silent);
  for (const QString& text : parser.values(drop_answer)) {
    auto op = qv::sim::ParseNumber(text.toStdString(), 255);
    if (!op) return Fail(QStringLiteral("--drop-answer wants an opcode such as 1, 2 or 8"));
    options.drop_answers.push_back(static_cast<uint8_t>(*op));
  }
  options.garbage = parser.isSet(garbage);
  options.disconnect_after_sweeps = number(disconnect_after, UINT32_MAX, 0, &ok);
  if (!ok) return Fail(QStringLiteral("--disconnect-after wants a number of sweeps"));
  options.disconnect_mid_frame = parser.isSet(disconnect_mid_frame);
  options.low_battery = parser.isSet(low_battery);
  options.clipping = parser.isSet(clipping);
  qv::sim::MacAddress mac_address = qv::sim::kDefaultMac;
  if (parser.isSet(mac)) {
    auto parsed = qv::sim::ParseMac(parser.value(mac).toStdString());
    if (!parsed) return Fail(QStringLiteral("--mac wants six hex pairs such as 00-20-4A-91-0B-2D"));
    mac_address = *parsed;
  }

  std::vector<std::unique_ptr<qv::sim::TcpServer>> servers;
  std::unique_ptr<qv::sim::UdpResponder> udp;
  std::unique_ptr<qv::sim::PtyTransport> pty_transport;
  QString error;
  // Every TCP address served gets a server of its own.
  auto serve_tcp_on = [&](const QHostAddress& address, quint16 at, QString* why) {
    auto server = std::make_unique<qv::sim::TcpServer>(options);
    if (!server->Listen(address, at, why)) return false;
    Say(QStringLiteral("serving TCP on %1:%2").arg(address.toString()).arg(server->Port()));
    servers.push_back(std::move(server));
    return true;
  };

  const bool serve_tcp = parser.isSet(tcp) || !parser.isSet(pty);
  quint16 port = qv::sim::kDefaultTcpPort;
  if (serve_tcp) {
    QString text = parser.isSet(tcp) ? parser.value(tcp) : QStringLiteral("127.0.0.1");
    QHostAddress address;
    int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
      auto value = qv::sim::ParseNumber(text.mid(colon + 1).toStdString(), 65535);
      if (!value) return Fail(QStringLiteral("--tcp wants ADDR[:PORT], not %1").arg(text));
      port = static_cast<quint16>(*value);
      text = text.left(colon);
    }
    if (!address.setAddress(text) || address.protocol() != QAbstractSocket::IPv4Protocol) {
      return Fail(QStringLiteral("--tcp wants an IPv4 address, not %1").arg(text));
    }
    if (!serve_tcp_on(address, port, &error)) return Fail(error);
    port = servers.back()->Port();

    QHostAddress udp_address =
        parser.isSet(udp_any) ? QHostAddress(QHostAddress::AnyIPv4) : address;
    udp = std::make_unique<qv::sim::UdpResponder>(mac_address);
    if (udp->Bind(udp_address, qv::sim::kDiscoveryPort, &error)) {
      Say(QStringLiteral("answering discovery on UDP %1:%2")
              .arg(udp_address.toString())
              .arg(qv::sim::kDiscoveryPort));
    } else {
      Say(QStringLiteral("warning: %1; discovery and address set-up are off").arg(error));
      udp.reset();
    }
  }
  if (udp) {
    QObject::connect(
        udp.get(), &qv::sim::UdpResponder::AddressAssigned, &app,
        [&](const QHostAddress& address, int interface_index) {
          Say(QStringLiteral("address set-up: %1").arg(address.toString()));
          QString message;
          if (!qv::sim::IsLocalAddress(address)) {
            bool added = qv::sim::AddLocalAddress(address, interface_index, &message);
            Say(message);
            if (!added) return;
          }
          for (const auto& s : servers) {
            if (s->Address() == address && s->Port() == port) return;
          }
          QString listen_error;
          if (!serve_tcp_on(address, port, &listen_error)) {
            Say(QStringLiteral("warning: %1").arg(listen_error));
          }
        });
  }

  if (parser.isSet(pty)) {
    pty_transport = std::make_unique<qv::sim::PtyTransport>(options);
    if (!pty_transport->Open(&error)) return Fail(error);
    Say(QStringLiteral("serial device: %1").arg(pty_transport->SlavePath()));
    const QStringList links = parser.positionalArguments();
    if (!links.isEmpty()) {
      if (!pty_transport->CreateLink(links.first(), &error)) return Fail(error);
      Say(QStringLiteral("linked %1 -> %2").arg(links.first(), pty_transport->SlavePath()));
    }
  } else if (!parser.positionalArguments().isEmpty()) {
    return Fail(QStringLiteral("LINK is only meaningful with --pty"));
  }

  qv::QtTimerFactory timers;
  std::unique_ptr<qv::Timer> quit_timer;
  if (parser.isSet(quit_after)) {
    auto seconds = qv::sim::ParseNumber(parser.value(quit_after).toStdString(), 86400 * 365);
    if (!seconds) return Fail(QStringLiteral("--quit-after wants a number of seconds"));
    quit_timer = timers.CreateTimer();
    quit_timer->SetCallback([] { QCoreApplication::quit(); });
    quit_timer->Start(static_cast<int>(std::min<uint32_t>(*seconds, INT32_MAX / 1000) * 1000),
                      true);
  }
  int rc = app.exec();
  udp.reset();
  servers.clear();
  return rc;
}
