#include "link/serial/udev_serial_monitor.h"

#include <libudev.h>
#include <unistd.h>

#include <cstring>

#include "core/link/serial_ports.h"
#include "link/app/console_messages.h"

namespace qv {

namespace {

// udevd creates this when it runs; without it a monitor would be set up but never hear a thing.
constexpr const char* kUdevControl = "/run/udev/control";

}  // namespace

CUdevSerialMonitor::CUdevSerialMonitor(QObject* parent) : SerialDeviceMonitor(parent) {}

CUdevSerialMonitor::~CUdevSerialMonitor() {
  Stop();
}

bool CUdevSerialMonitor::Start(QString* reason) {
  if (IsRunning()) return true;
  // Without udev at all (a container) there is nothing to fix, so that goes to the trace only;
  // a udev that runs but cannot be heard is a real warning.
  auto fail = [&](const QString& why, bool expected = false) {
    Stop();
    if (reason != nullptr) *reason = why;
    if (!warned_) {
      warned_ = true;
      if (expected) {
        qCInfo(lcLink).noquote() << "Serial device notifications are off:" << why;
      } else {
        qCWarning(lcLink).noquote() << "Serial device notifications are off:" << why;
      }
    }
    return false;
  };
  if (::access(kUdevControl, F_OK) != 0) {
    return fail(QStringLiteral("udev is not running here (no %1)").arg(kUdevControl), true);
  }
  udev_ = udev_new();
  if (udev_ == nullptr) return fail(QStringLiteral("udev_new failed"));
  monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  if (monitor_ == nullptr) return fail(QStringLiteral("cannot open the udev monitor"));
  if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor_) < 0) {
    return fail(QStringLiteral("cannot listen to udev"));
  }
  const int fd = udev_monitor_get_fd(monitor_);
  if (fd < 0) return fail(QStringLiteral("the udev monitor has no descriptor"));
  notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &CUdevSerialMonitor::OnReadable);
  return true;
}

void CUdevSerialMonitor::Stop() {
  notifier_.reset();
  if (monitor_ != nullptr) udev_monitor_unref(monitor_);
  if (udev_ != nullptr) udev_unref(udev_);
  monitor_ = nullptr;
  udev_ = nullptr;
}

void CUdevSerialMonitor::OnReadable() {
  // The descriptor is non-blocking: take every event waiting.
  while (udev_device* device = udev_monitor_receive_device(monitor_)) {
    const char* action = udev_device_get_action(device);
    const char* node = udev_device_get_devnode(device);
    const char* sys_path = udev_device_get_syspath(device);
    if (action != nullptr && node != nullptr && sys_path != nullptr &&
        IsHardwareSerialDevice(sys_path)) {
      const QString path = QString::fromLocal8Bit(node);
      if (std::strcmp(action, "add") == 0) emit DeviceArrived(path);
      if (std::strcmp(action, "remove") == 0) emit DeviceRemoved(path);
    }
    udev_device_unref(device);
  }
}

}  // namespace qv
