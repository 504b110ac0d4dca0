#include "link/network/udp_socket.h"

#include <sys/socket.h>

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QNetworkProxy>

#include "core/link/network_setup.h"

namespace qv {

CUDPSocket::CUDPSocket(QObject* parent) : QObject(parent) {
  connect(&socket_, &QUdpSocket::readyRead, this, &CUDPSocket::OnReadyRead);
}

std::optional<QHostAddress> CUDPSocket::HostBroadcastAddress() {
  for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
    if (address.protocol() != QAbstractSocket::IPv4Protocol || address.isLoopback()) continue;
    const quint32 ip = address.toIPv4Address();
    const Ipv4Address host = {static_cast<uint8_t>(ip >> 24), static_cast<uint8_t>(ip >> 16),
                              static_cast<uint8_t>(ip >> 8), static_cast<uint8_t>(ip)};
    return QHostAddress(QString::fromStdString(BroadcastAddressText(host)));
  }
  return std::nullopt;
}

bool CUDPSocket::EnsureBound() {
  if (socket_.state() == QAbstractSocket::BoundState) return true;
  // Discovery is a local broadcast; a system proxy has no part in it.
  socket_.setProxy(QNetworkProxy::NoProxy);
  return socket_.bind(QHostAddress::AnyIPv4, 0);
}

bool CUDPSocket::SendQuery() {
  const std::optional<QHostAddress> target = HostBroadcastAddress();
  return target && SendQueryTo(*target, kDiscoveryPort);
}

bool CUDPSocket::SendQueryTo(const QHostAddress& target, quint16 port) {
  if (!EnsureBound()) return false;
  // The target is a broadcast address; make sure the socket may send to one.
  const int yes = 1;
  ::setsockopt(static_cast<int>(socket_.socketDescriptor()), SOL_SOCKET, SO_BROADCAST, &yes,
               sizeof yes);
  const Bytes query = BuildDiscoveryQuery();
  return socket_.writeDatagram(reinterpret_cast<const char*>(query.data()),
                               static_cast<qint64>(query.size()), target,
                               port) == static_cast<qint64>(query.size());
}

void CUDPSocket::OnReadyRead() {
  while (socket_.hasPendingDatagrams()) {
    const QNetworkDatagram datagram =
        socket_.receiveDatagram(static_cast<qint64>(kDiscoveryReplyMaxLength));
    const QByteArray data = datagram.data();
    const std::optional<std::string> mac = ParseDiscoveryReply(
        reinterpret_cast<const uint8_t*>(data.constData()), static_cast<size_t>(data.size()));
    if (!mac) continue;  // too short to carry a MAC: not a module's reply
    bool ok = false;
    const quint32 ip = datagram.senderAddress().toIPv4Address(&ok);
    const QString address = ok ? QHostAddress(ip).toString() : datagram.senderAddress().toString();
    emit ReplyReceived(address, QString::fromStdString(*mac));
  }
}

}  // namespace qv
