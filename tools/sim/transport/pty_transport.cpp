#include "sim/transport/pty_transport.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace qv::sim {

PtyTransport::PtyTransport(SimOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

PtyTransport::~PtyTransport() {
  receiver_.reset();
  notifier_.reset();
  if (!link_.isEmpty()) QFile::remove(link_);
  if (slave_keep_ >= 0) ::close(slave_keep_);
  if (master_ >= 0) ::close(master_);
}

bool PtyTransport::Open(QString* error) {
  auto fail = [&](const char* what) {
    if (error) *error = QStringLiteral("pseudo-terminal: %1: %2").arg(what, strerror(errno));
    return false;
  };
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) return fail("posix_openpt");
  if (grantpt(master_) != 0) return fail("grantpt");
  if (unlockpt(master_) != 0) return fail("unlockpt");
  const char* name = ptsname(master_);
  if (name == nullptr) return fail("ptsname");
  slave_path_ = QString::fromLocal8Bit(name);
  slave_keep_ = ::open(name, O_RDWR | O_NOCTTY);
  if (slave_keep_ < 0) return fail("open slave");
  // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
  termios tio{};
  if (tcgetattr(slave_keep_, &tio) != 0) return fail("tcgetattr");
  cfmakeraw(&tio);
  cfsetspeed(&tio, B115200);
  if (tcsetattr(slave_keep_, TCSANOW, &tio) != 0) return fail("tcsetattr");
  int flags = fcntl(master_, F_GETFL);
  if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) return fail("fcntl");

  receiver_ = std::make_unique<SimulatedReceiver>(timers_, Transport::kSerial, options_,
                                                  [this](const uint8_t* data, size_t n) {
                                                    // A line nobody reads loses what it cannot
                                                    // hold, as a real one would.
                                                    while (n > 0) {
                                                      ssize_t written = ::write(master_, data, n);
                                                      if (written <= 0) return;
                                                      data += written;
                                                      n -= static_cast<size_t>(written);
                                                    }
                                                  });
  notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &PtyTransport::OnReadable);
  return true;
}

bool PtyTransport::CreateLink(const QString& link, QString* error) {
  QFile::remove(link);
  if (!QFile::link(slave_path_, link)) {
    if (error) *error = QStringLiteral("cannot create the link %1 to %2").arg(link, slave_path_);
    return false;
  }
  link_ = link;
  return true;
}

void PtyTransport::OnReadable() {
  uint8_t buffer[1024];
  ssize_t n = ::read(master_, buffer, sizeof buffer);
  if (n > 0) receiver_->Feed(buffer, static_cast<size_t>(n));
}

}  // namespace qv::sim
