#include "session/remote/remote_server.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>

namespace qv {
namespace {

// What one pass of the event loop takes from a client: a flooding client then waits its turn
// like the others instead of holding the loop.
constexpr qint64 kReadChunkBytes = 64 * 1024;

std::string Shown(const std::string& host, uint16_t port) {
  const std::string address = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  return address + ":" + std::to_string(port);
}

}  // namespace

struct CRemoteServer::Connection {
  QTcpSocket* socket = nullptr;  // a child of the server's QTcpServer
  std::unique_ptr<RemoteClient> client;
  std::string line;         // the line in progress, without its LF
  bool discarding = false;  // the line in progress was too long: skipped up to its LF
  bool dropping = false;    // answers are being dropped; reported once until one goes out again
  bool closed = false;
};

CRemoteServer::CRemoteServer(RemoteClientFactory factory, QObject* parent)
    : QObject(parent), factory_(std::move(factory)) {
  connect(&server_, &QTcpServer::newConnection, this, &CRemoteServer::Accept);
}

CRemoteServer::~CRemoteServer() {
  // The sockets die with server_, after this object's slots are gone: cut them loose first so
  // that their last signals reach nothing. The clients go now, their writes doing nothing.
  for (const std::shared_ptr<Connection>& connection : connections_) {
    connection->closed = true;
    QObject::disconnect(connection->socket, nullptr, this, nullptr);
  }
  connections_.clear();
}

bool CRemoteServer::Listen(const std::string& host, uint16_t port, std::string* error) {
  server_.close();
  QHostAddress address;
  if (host == "localhost") {
    address = QHostAddress(QHostAddress::LocalHost);
  } else if (!address.setAddress(QString::fromStdString(host))) {
    *error = "cannot listen on " + Shown(host, port) + ": not an IP address";
    return false;
  }
  if (!server_.listen(address, port)) {
    *error = "cannot listen on " + Shown(host, port) + ": " + server_.errorString().toStdString();
    return false;
  }
  return true;
}

uint16_t CRemoteServer::Port() const {
  return server_.serverPort();
}

int CRemoteServer::ClientCount() const {
  return static_cast<int>(connections_.size());
}

void CRemoteServer::Accept() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    if (ClientCount() >= kMaxClients) {
      // Closed at once rather than sent an error line: a line nobody asked for would be read as
      // the answer to the client's first query, while a closed connection says plainly that
      // there is no room. Not accepting at all would leave it hanging in the backlog instead.
      socket->close();
      socket->deleteLater();
      continue;
    }
    auto connection = std::make_shared<Connection>();
    connection->socket = socket;
    // Bounds what Qt reads ahead of us, whatever the client sends.
    socket->setReadBufferSize(kReadChunkBytes);
    const std::weak_ptr<Connection> weak = connection;
    connection->client = factory_([weak](std::string_view bytes) {
      if (const std::shared_ptr<Connection> alive = weak.lock(); alive && !alive->closed) {
        Write(*alive, bytes);
      }
    });
    if (!connection->client) {
      socket->close();
      socket->deleteLater();
      continue;
    }
    connections_.push_back(connection);
    connect(socket, &QTcpSocket::readyRead, this, [this, weak] {
      if (const std::shared_ptr<Connection> alive = weak.lock()) Read(alive);
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, weak] {
      if (const std::shared_ptr<Connection> alive = weak.lock()) Drop(alive);
    });
    emit ClientCountChanged(ClientCount());
    // Bytes that came with the connection raise no readyRead of their own.
    if (socket->bytesAvailable() > 0) Read(connection);
  }
}

void CRemoteServer::Read(const std::shared_ptr<Connection>& connection) {
  Connection& c = *connection;
  char chunk[16 * 1024];
  while (!c.closed && c.socket->bytesAvailable() > 0) {
    const qint64 count = c.socket->read(chunk, sizeof chunk);
    if (count <= 0) break;
    std::string_view data(chunk, static_cast<size_t>(count));
    while (!data.empty() && !c.closed) {
      const size_t lf = data.find('\n');
      if (!c.discarding) {
        const std::string_view piece = data.substr(0, lf);
        // One byte over the bound is room for a CR the LF will drop.
        if (c.line.size() + piece.size() > static_cast<size_t>(kMaxLineBytes) + 1) {
          c.line.clear();
          c.line.shrink_to_fit();
          c.discarding = true;
          c.client->OnLineTooLong();
          if (c.closed) break;
        } else {
          c.line.append(piece);
        }
      }
      if (lf == std::string_view::npos) break;
      data.remove_prefix(lf + 1);
      if (c.discarding) {
        c.discarding = false;
        continue;
      }
      if (!c.line.empty() && c.line.back() == '\r') c.line.pop_back();
      if (c.line.size() > static_cast<size_t>(kMaxLineBytes)) {
        c.line.clear();
        c.client->OnLineTooLong();
        continue;
      }
      std::string line;
      line.swap(c.line);
      c.client->OnLine(line);
    }
  }
}

void CRemoteServer::Write(Connection& connection, std::string_view bytes) {
  // An answer larger than the bound still goes out when nothing waits before it; otherwise what
  // waits stays within the bound, so a client that never reads cannot make the program grow.
  const qint64 pending = connection.socket->bytesToWrite();
  if (pending > 0 && pending + static_cast<qint64>(bytes.size()) > kMaxPendingAnswerBytes) {
    if (!connection.dropping) {
      connection.dropping = true;
      if (connection.client) connection.client->OnAnswersDropped();
    }
    return;
  }
  connection.dropping = false;
  connection.socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void CRemoteServer::Drop(const std::shared_ptr<Connection>& connection) {
  if (connection->closed) return;
  connection->closed = true;
  QObject::disconnect(connection->socket, nullptr, this, nullptr);
  connection->socket->deleteLater();
  // The client goes with the last hold on its connection: now, or when a read under way ends.
  std::erase(connections_, connection);
  emit ClientCountChanged(ClientCount());
}

}  // namespace qv
