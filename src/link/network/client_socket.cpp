#include "link/network/client_socket.h"

#include <QNetworkProxy>

#include <array>

#include "core/link/command.h"
#include "link/app/console_messages.h"

namespace qv {

CClientSocket::CClientSocket(TimerFactory& timers, QObject* parent)
    : QObject(parent),
      deframer_([this](const uint8_t* data, size_t length) {
        pending_.emplace_back(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
      }),
      connect_timer_(timers.CreateTimer()) {
  connect_timer_->SetCallback([this] { OnConnectTimeout(); });
  connect(&socket_, &QTcpSocket::connected, this, &CClientSocket::OnConnected);
  connect(&socket_, &QTcpSocket::errorOccurred, this, &CClientSocket::OnError);
  connect(&socket_, &QTcpSocket::disconnected, this, &CClientSocket::OnDisconnected);
  connect(&socket_, &QTcpSocket::readyRead, this, &CClientSocket::OnReadyRead);
}

CClientSocket::~CClientSocket() {
  // No signals from a half-destroyed object.
  socket_.disconnect(this);
  socket_.abort();
}

void CClientSocket::ConnectToHost(const QString& address, quint16 port) {
  Close();
  connecting_ = true;
  connect_timer_->Start(kConnectTimeoutMs, true);
  // The Receiver sits on the local network: never route it through a system proxy.
  socket_.setProxy(QNetworkProxy::NoProxy);
  socket_.connectToHost(address, port);
}

bool CClientSocket::IsConnected() const {
  return socket_.state() == QAbstractSocket::ConnectedState;
}

bool CClientSocket::Send(const uint8_t* command, size_t length) {
  if (!IsConnected()) {
    TraceSend("tcp", command, length, false);
    return false;
  }
  const Bytes frame = FrameCommand(command, length, true);
  const qint64 written =
      socket_.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
  const bool sent = written == static_cast<qint64>(frame.size());
  if (sent) socket_.flush();
  TraceSend("tcp", frame.data(), frame.size(), sent);
  return sent;
}

void CClientSocket::Close() {
  ++session_;
  connecting_ = false;
  connect_timer_->Stop();
  pending_.clear();
  deframer_.Reset();
  if (socket_.state() != QAbstractSocket::UnconnectedState) {
    // Our own close is not a peer disconnect: keep it quiet.
    const QSignalBlocker blocker(socket_);
    socket_.abort();
  }
}

void CClientSocket::OnConnected() {
  if (!connecting_) return;
  connecting_ = false;
  connect_timer_->Stop();
  deframer_.Reset();
  emit Connected();
}

void CClientSocket::OnError(QAbstractSocket::SocketError) {
  if (connecting_) {
    const QString reason = socket_.errorString();
    connecting_ = false;
    connect_timer_->Stop();
    socket_.abort();
    emit ConnectFailed(reason);
  }
  // Errors on an open link show up as a disconnect.
}

void CClientSocket::OnDisconnected() {
  if (connecting_) return;  // reported through OnError
  pending_.clear();
  deframer_.Reset();
  emit Disconnected();
}

void CClientSocket::OnConnectTimeout() {
  if (!connecting_) return;
  connecting_ = false;
  {
    const QSignalBlocker blocker(socket_);
    socket_.abort();
  }
  emit ConnectFailed(QStringLiteral("Connection timed out"));
}

void CClientSocket::OnReadyRead() {
  // At most kNetworkBytesPerRead per read, repeated until nothing waits; Qt has already
  // buffered what the kernel had, so this loop ends.
  std::array<char, kNetworkBytesPerRead> chunk;
  const uint64_t session = session_;
  // Bytes that came in with the peer's close are still read: the state may already be closing.
  while (socket_.bytesAvailable() > 0) {
    const qint64 got = socket_.read(chunk.data(), static_cast<qint64>(chunk.size()));
    if (got <= 0) break;
    deframer_.Feed(reinterpret_cast<const uint8_t*>(chunk.data()), static_cast<size_t>(got));
    std::vector<QByteArray> messages;
    messages.swap(pending_);
    for (const QByteArray& message : messages) {
      emit MessageReceived(message);
      // A slot may have closed the link; what was still buffered belongs to the old link.
      if (session_ != session) return;
    }
  }
}

}  // namespace qv
