#pragma once

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

#include "link/net_test_support.h"
#include "link/serial/serial_port.h"

namespace qv::test {

// A pseudo-terminal pair the test drives byte by byte from the master side; the link under
// test opens the slave as its serial port.
class PtyPair {
 public:
  PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    const char* name = ptsname(master_);
    if (name != nullptr) slave_path_ = QString::fromLocal8Bit(name);
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Valid() const { return master_ >= 0 && !slave_path_.isEmpty(); }
  QString SlavePath() const { return slave_path_; }

  // Writes everything, waiting (bounded) while the line is full.
  bool Write(const QByteArray& bytes) {
    qsizetype done = 0;
    return WaitUntil([&] {
      while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += n;
      }
      return true;
    });
  }

  // Everything the link has written so far.
  QByteArray ReadAvailable() {
    QByteArray all;
    char buffer[4096];
    ssize_t n;
    while (master_ >= 0 && (n = ::read(master_, buffer, sizeof buffer)) > 0) all.append(buffer, n);
    return all;
  }

  // Reads until `expected_size` bytes have come (bounded).
  QByteArray Read(qsizetype expected_size) {
    QByteArray all;
    WaitUntil([&] {
      all += ReadAvailable();
      return all.size() >= expected_size;
    });
    return all;
  }

  // The far end goes away: the slave sees a hang-up.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  QString slave_path_;
};

// Opens the port and runs the event loop until the worker has answered (bounded).
inline bool OpenAndWait(CSerialPort& port, const QString& device_path) {
  auto opened = std::make_shared<std::optional<bool>>();
  port.Open(device_path, [opened](bool ok) { *opened = ok; });
  return WaitUntil([&] { return opened->has_value(); }) && **opened;
}

}  // namespace qv::test
