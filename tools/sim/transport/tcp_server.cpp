#include "sim/transport/tcp_server.h"

#include <QNetworkProxy>
#include <QTcpSocket>

namespace qv::sim {

TcpServer::TcpServer(SimOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
  clock_.start();
  connect(&server_, &QTcpServer::newConnection, this, &TcpServer::OnNewConnection);
}

TcpServer::~TcpServer() {
  // Receivers first: their send functions point at the sockets.
  sessions_.clear();
}

bool TcpServer::Listen(const QHostAddress& address, quint16 port, QString* error) {
  server_.setProxy(QNetworkProxy::NoProxy);
  if (server_.listen(address, port)) return true;
  if (error) {
    *error = QStringLiteral("cannot listen on %1:%2: %3")
                 .arg(address.toString())
                 .arg(port)
                 .arg(server_.errorString());
  }
  return false;
}

void TcpServer::OnNewConnection() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    auto receiver = std::make_unique<SimulatedReceiver>(
        timers_, Transport::kNetwork, options_, [socket](const uint8_t* data, size_t n) {
          socket->write(reinterpret_cast<const char*>(data), static_cast<qint64>(n));
        });
    receiver->SetBacklog([socket] { return static_cast<size_t>(socket->bytesToWrite()); });
    receiver->SetWallClock([this] { return clock_.elapsed(); });
    // The fault fires inside the receiver's own tick; close the socket after it returns.
    receiver->SetDisconnectHandler([this, socket] {
      QMetaObject::invokeMethod(
          this, [socket] { socket->disconnectFromHost(); }, Qt::QueuedConnection);
    });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
      auto it = sessions_.find(socket);
      if (it == sessions_.end()) return;
      char buffer[4096];
      qint64 n;
      while ((n = socket->read(buffer, sizeof buffer)) > 0) {
        it->second->Feed(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(n));
      }
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { EndSession(socket); });
    sessions_.emplace(socket, std::move(receiver));
    emit SessionStarted();
  }
}

void TcpServer::EndSession(QTcpSocket* socket) {
  // May be reached from inside a send; drop the receiver once the stack has unwound.
  QMetaObject::invokeMethod(
      this,
      [this, socket] {
        if (sessions_.erase(socket) == 0) return;
        socket->deleteLater();
        emit SessionEnded();
      },
      Qt::QueuedConnection);
}

}  // namespace qv::sim
