#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "core/link/serial_ports.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace qv {

// The serial page: which port to open. Ports found on the machine can be picked, and any
// device path (a pseudo-terminal, say) can be typed.
class CPPSerialPort : public QWidget {
  Q_OBJECT

 public:
  explicit CPPSerialPort(QWidget* parent = nullptr);

  // Lists the ports found. The last one is the default, unless the user chose or typed a path
  // earlier, which is kept.
  void ShowPorts(const std::vector<SSerInfo>& ports);
  void SetStatus(const QString& text);
  QString Status() const;
  // The device path to open.
  QString DevicePath() const;
  // Starts with this path, as if the user had typed it (the one remembered from the last run).
  void PreferPath(const QString& path);

  QComboBox* PortBox() const { return port_box_; }

 signals:
  void FindRequested();

 private:
  void OnPortPicked(int index);

  QLabel* status_;
  QComboBox* port_box_;
  QPushButton* find_button_;
  std::vector<SSerInfo> ports_;
  QString user_choice_;  // picked or typed by the user; survives each new search
};

}  // namespace qv
