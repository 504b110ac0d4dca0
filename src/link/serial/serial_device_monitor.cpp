#include "link/serial/serial_device_monitor.h"

namespace qv {

// Out of line so that the signals are generated with this file.
SerialDeviceMonitor::~SerialDeviceMonitor() = default;

}  // namespace qv
