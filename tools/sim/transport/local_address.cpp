#include "sim/transport/local_address.h"

#include <QFile>
#include <QNetworkInterface>
#include <QProcess>

namespace qv::sim {
namespace {

constexpr int kCapNetAdmin = 12;

bool HasNetAdmin() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (!line.startsWith("CapEff:")) continue;
    bool ok = false;
    qulonglong caps = line.mid(7).trimmed().toULongLong(&ok, 16);
    return ok && (caps >> kCapNetAdmin) & 1;
  }
  return false;
}

}  // namespace

bool IsLocalAddress(const QHostAddress& address) {
  const auto all = QNetworkInterface::allAddresses();
  return all.contains(address);
}

bool AddLocalAddress(const QHostAddress& address, int interface_index, QString* message) {
  QNetworkInterface interface = QNetworkInterface::interfaceFromIndex(interface_index);
  if (!interface.isValid()) {
    *message = QStringLiteral(
                   "cannot add %1: the interface the set-up packet came in on is "
                   "unknown; add the address by hand")
                   .arg(address.toString());
    return false;
  }
  if (!HasNetAdmin()) {
    *message = QStringLiteral(
                   "cannot add %1 to %2: CAP_NET_ADMIN is missing (run as root or "
                   "with that capability, or add the address by hand)")
                   .arg(address.toString(), interface.name());
    return false;
  }
  QProcess ip;
  ip.start(QStringLiteral("ip"),
           {QStringLiteral("addr"), QStringLiteral("add"),
            address.toString() + QStringLiteral("/32"), QStringLiteral("dev"), interface.name()});
  if (!ip.waitForFinished(5000) || ip.exitStatus() != QProcess::NormalExit || ip.exitCode() != 0) {
    *message = QStringLiteral("cannot add %1 to %2: %3")
                   .arg(address.toString(), interface.name(),
                        QString::fromLocal8Bit(ip.readAllStandardError()).trimmed());
    return false;
  }
  *message = QStringLiteral("added %1 to %2").arg(address.toString(), interface.name());
  return true;
}

}  // namespace qv::sim
