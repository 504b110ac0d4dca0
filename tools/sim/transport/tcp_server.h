#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <map>
#include <memory>

#include "link/app/qt_timer.h"
#include "sim/core/simulated_receiver.h"

class QTcpSocket;

namespace qv::sim {

inline constexpr quint16 kDefaultTcpPort = 10001;

// Serves the network link: every connection gets a receiver of its own.
class TcpServer : public QObject {
  Q_OBJECT

 public:
  explicit TcpServer(SimOptions options, QObject* parent = nullptr);
  ~TcpServer() override;

  // On failure `error` says what went wrong, e.g. the address is in use.
  bool Listen(const QHostAddress& address, quint16 port, QString* error);
  QHostAddress Address() const { return server_.serverAddress(); }
  quint16 Port() const { return server_.serverPort(); }
  int SessionCount() const { return static_cast<int>(sessions_.size()); }

 signals:
  void SessionStarted();
  void SessionEnded();

 private:
  void OnNewConnection();
  void EndSession(QTcpSocket* socket);

  SimOptions options_;
  QtTimerFactory timers_;
  QElapsedTimer clock_;  // paces every session's stream in real time
  QTcpServer server_;
  std::map<QTcpSocket*, std::unique_ptr<SimulatedReceiver>> sessions_;
};

}  // namespace qv::sim
