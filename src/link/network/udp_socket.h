#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QUdpSocket>
#include <optional>

namespace qv {

// Finds Receiver network modules: broadcasts the discovery query and reports every reply
// that carries a MAC address.
class CUDPSocket : public QObject {
  Q_OBJECT

 public:
  explicit CUDPSocket(QObject* parent = nullptr);

  // The query goes to "a.b.c.255" built from the host's first non-loopback IPv4 address.
  // False when there is no such address or the datagram could not be sent.
  bool SendQuery();
  // The query to a given address, e.g. a loopback address in tests.
  bool SendQueryTo(const QHostAddress& target, quint16 port);

  // "a.b.c.255" for the host's first non-loopback IPv4 address, if it has one.
  static std::optional<QHostAddress> HostBroadcastAddress();

 signals:
  // One module answered: its address text and its MAC text "00-20-4A-91-0B-2D".
  void ReplyReceived(const QString& address, const QString& mac);

 private:
  bool EnsureBound();
  void OnReadyRead();

  QUdpSocket socket_;
};

}  // namespace qv
