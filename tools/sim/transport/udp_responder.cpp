#include "sim/transport/udp_responder.h"

#include <QNetworkDatagram>
#include <QNetworkProxy>

namespace qv::sim {

UdpResponder::UdpResponder(const MacAddress& mac, QObject* parent) : QObject(parent), mac_(mac) {
  connect(&socket_, &QUdpSocket::readyRead, this, &UdpResponder::OnReadyRead);
}

bool UdpResponder::Bind(const QHostAddress& address, quint16 port, QString* error) {
  // Broadcast queries reach a socket bound to the any-address only.
  socket_.setProxy(QNetworkProxy::NoProxy);
  if (socket_.bind(address, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
    return true;
  }
  if (error) {
    *error = QStringLiteral("cannot bind UDP %1:%2: %3")
                 .arg(address.toString())
                 .arg(port)
                 .arg(socket_.errorString());
  }
  return false;
}

void UdpResponder::OnReadyRead() {
  while (socket_.hasPendingDatagrams()) {
    QNetworkDatagram datagram = socket_.receiveDatagram(2048);
    const QByteArray data = datagram.data();
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    const auto length = static_cast<size_t>(data.size());
    if (IsDiscoveryQuery(bytes, length)) {
      Bytes reply = BuildDiscoveryReply(mac_);
      socket_.writeDatagram(reinterpret_cast<const char*>(reply.data()),
                            static_cast<qint64>(reply.size()), datagram.senderAddress(),
                            static_cast<quint16>(datagram.senderPort()));
    } else if (auto address = ParseAddressSetup(bytes, length, mac_)) {
      emit AddressAssigned(QHostAddress(*address), static_cast<int>(datagram.interfaceIndex()));
    }
  }
}

}  // namespace qv::sim
