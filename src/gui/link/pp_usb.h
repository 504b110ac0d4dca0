#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "link/usb/usb_link.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace qv {

// The USB page: the attached converters, one row each (serial number, product, vendor), and
// below them what is missing when there are none.
class CPPUSB : public QWidget {
  Q_OBJECT

 public:
  explicit CPPUSB(QWidget* parent = nullptr);

  void Clear();
  void ShowDevices(const std::vector<UsbDeviceRecord>& devices);

  // The selected row, -1 when none; its "USB Device" (serial number) and "Product" texts.
  int SelectedRow() const;
  void SelectRow(int row);
  QString SelectedSerial() const;
  QString SelectedProduct() const;
  void SetStatus(const QString& text);
  QString Status() const;

  QTreeWidget* List() const { return list_; }
  QPushButton* RefreshButton() const { return refresh_; }

 signals:
  void RefreshRequested();

 private:
  QTreeWidget* list_;
  QLabel* status_;
  QPushButton* refresh_;
};

}  // namespace qv
