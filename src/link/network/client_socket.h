#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <memory>

#include "core/app/timer.h"
#include "core/link/deframer.h"
#include "core/link/network_setup.h"
#include "core/link/receiver_link.h"

namespace qv {

// The TCP link to a Receiver's network module, on the GUI thread. Connecting is asynchronous
// and bounded; received bytes are de-framed as they arrive and each message is handed on as
// one MessageReceived signal.
class CClientSocket : public QObject, public ReceiverLink {
  Q_OBJECT

 public:
  // Longest a connection attempt may take before it counts as failed.
  static constexpr int kConnectTimeoutMs = 5000;

  explicit CClientSocket(TimerFactory& timers, QObject* parent = nullptr);
  ~CClientSocket() override;

  // Starts connecting (dropping any earlier connection); the outcome arrives as Connected or
  // ConnectFailed.
  void ConnectToHost(const QString& address, quint16 port = kReceiverTcpPort);
  bool IsConnected() const;

  // Frames the command with its check byte and writes the whole frame; fails at once when
  // not connected.
  bool Send(const uint8_t* command, size_t length) override;
  void Close() override;

 signals:
  void Connected();
  void ConnectFailed(const QString& reason);
  // One de-framed message, type byte first.
  void MessageReceived(const QByteArray& message);
  // The peer went away while connected; the link is closed.
  void Disconnected();

 private:
  void OnConnected();
  void OnError(QAbstractSocket::SocketError error);
  void OnDisconnected();
  void OnReadyRead();
  void OnConnectTimeout();

  QTcpSocket socket_;
  NetworkDeframer deframer_;
  std::unique_ptr<Timer> connect_timer_;
  bool connecting_ = false;
  uint64_t session_ = 0;  // bumped by Close, so a read loop notices it was closed
  // Messages completed by one Feed, handed on after it returns so that a slot may close us.
  std::vector<QByteArray> pending_;
};

// The network pages' socket; it adds nothing.
using CSockets = CClientSocket;

}  // namespace qv
