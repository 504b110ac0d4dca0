#pragma once

#include <QString>

#include "link/serial/serial_device_monitor.h"

namespace qv {

// Device notifications on demand, for code that reacts to serial devices coming and going.
class FakeSerialMonitor : public SerialDeviceMonitor {
 public:
  using SerialDeviceMonitor::SerialDeviceMonitor;

  void Arrive(const QString& device_path) { emit DeviceArrived(device_path); }
  void Remove(const QString& device_path) { emit DeviceRemoved(device_path); }
};

}  // namespace qv
