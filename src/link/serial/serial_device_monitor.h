#pragma once

#include <QObject>
#include <QString>

namespace qv {

// Tells the GUI when a serial device appears or goes away (a CF card inserted or pulled, a
// USB adapter plugged in), by device path.
class SerialDeviceMonitor : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
  ~SerialDeviceMonitor() override;

 signals:
  void DeviceArrived(const QString& device_path);
  void DeviceRemoved(const QString& device_path);
};

}  // namespace qv
