#pragma once

#include <QHostAddress>
#include <QString>

namespace qv::sim {

// True when some interface of this host already carries the address.
bool IsLocalAddress(const QHostAddress& address);

// Puts the address on the interface (by index) so that TCP can be served on it. Needs
// CAP_NET_ADMIN; without it, or on failure, returns false and explains in `message`.
bool AddLocalAddress(const QHostAddress& address, int interface_index, QString* message);

}  // namespace qv::sim
