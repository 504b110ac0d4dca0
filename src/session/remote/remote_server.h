#pragma once

#include <QObject>
#include <QTcpServer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// One client's handling of its lines; made by the server's factory for each connection.
class RemoteClient {
 public:
  virtual ~RemoteClient() = default;
  // One complete line, without its LF (a CR before the LF is dropped too).
  virtual void OnLine(std::string_view line) = 0;
  // The line in progress passed the bound and was thrown away up to its LF.
  virtual void OnLineTooLong() = 0;
  // Answers were dropped because the client does not read them.
  virtual void OnAnswersDropped() = 0;
};

// Writes an answer to the client (the LF is the caller's); answers may come later, e.g. when a
// sweep completes. Safe to call after the client left (does nothing).
using RemoteWrite = std::function<void(std::string_view bytes)>;
using RemoteClientFactory = std::function<std::unique_ptr<RemoteClient>(RemoteWrite write)>;

// Line-based remote control over raw TCP, on the thread that owns it: each connection has its
// own bounded input and output, so a client that floods or never reads harms only itself.
class CRemoteServer : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxClients = 8;
  static constexpr qint64 kMaxLineBytes = 64 * 1024;
  static constexpr qint64 kMaxPendingAnswerBytes = 4 * 1024 * 1024;  // per client

  explicit CRemoteServer(RemoteClientFactory factory, QObject* parent = nullptr);
  ~CRemoteServer() override;
  CRemoteServer(const CRemoteServer&) = delete;
  CRemoteServer& operator=(const CRemoteServer&) = delete;

  // host "127.0.0.1" etc., port 0 = any free one; false with one line in `error` naming the
  // address.
  bool Listen(const std::string& host, uint16_t port, std::string* error);
  uint16_t Port() const;
  int ClientCount() const;

 signals:
  void ClientCountChanged(int count);

 private:
  struct Connection;

  void Accept();
  void Read(const std::shared_ptr<Connection>& connection);
  static void Write(Connection& connection, std::string_view bytes);
  void Drop(const std::shared_ptr<Connection>& connection);

  RemoteClientFactory factory_;
  QTcpServer server_;
  std::vector<std::shared_ptr<Connection>> connections_;
};

}  // namespace qv
