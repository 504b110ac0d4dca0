#pragma once

#include <vector>

#include "core/link/serial_ports.h"

namespace qv {

// The serial ports the system knows, in the order it lists them. Pseudo-terminals are not
// among them; the user types their path instead.
std::vector<SSerInfo> EnumerateSerialPorts();

}  // namespace qv
