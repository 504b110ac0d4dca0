#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace qv {

class CIpAddressEdit;

// The Static IP page: gives a network module a fixed address by its MAC address.
class CPPStaticIP : public QWidget {
  Q_OBJECT

 public:
  explicit CPPStaticIP(QWidget* parent = nullptr);

  QString AddressText() const;
  QString MacText() const;

  CIpAddressEdit* Address() const { return address_; }
  QLineEdit* Mac() const { return mac_; }
  QPushButton* SetButton() const { return set_button_; }

 signals:
  void SetAddressRequested();

 private:
  QLineEdit* mac_;
  CIpAddressEdit* address_;
  QPushButton* set_button_;
};

}  // namespace qv
