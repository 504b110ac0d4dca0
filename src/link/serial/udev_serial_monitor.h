#pragma once

#include <QSocketNotifier>
#include <QString>
#include <memory>

#include "link/serial/serial_device_monitor.h"

struct udev;
struct udev_monitor;

namespace qv {

// Watches the tty devices through udev, on the GUI thread. Virtual consoles and
// pseudo-terminals are not reported.
class CUdevSerialMonitor : public SerialDeviceMonitor {
  Q_OBJECT

 public:
  explicit CUdevSerialMonitor(QObject* parent = nullptr);
  ~CUdevSerialMonitor() override;

  // Starts watching. Where udev is not running (a container without /run/udev) this returns
  // false with the reason, warns once, and the program simply gets no notifications.
  bool Start(QString* reason = nullptr);
  bool IsRunning() const { return notifier_ != nullptr; }

 private:
  void OnReadable();
  void Stop();

  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
  bool warned_ = false;
};

}  // namespace qv
