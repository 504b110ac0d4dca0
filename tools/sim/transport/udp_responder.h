#pragma once

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

#include "sim/core/discovery.h"

namespace qv::sim {

// The network module's UDP side: answers discovery queries with its MAC address and takes
// address set-up packets meant for it.
class UdpResponder : public QObject {
  Q_OBJECT

 public:
  explicit UdpResponder(const MacAddress& mac, QObject* parent = nullptr);

  bool Bind(const QHostAddress& address, quint16 port, QString* error);
  quint16 Port() const { return socket_.localPort(); }

 signals:
  // A set-up packet gave this module a new address; the packet came in on that interface
  // (0 when unknown).
  void AddressAssigned(const QHostAddress& address, int interface_index);

 private:
  void OnReadyRead();

  MacAddress mac_;
  QUdpSocket socket_;
};

}  // namespace qv::sim
