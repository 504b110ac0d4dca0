#pragma once

#include <QString>
#include <QWidget>

namespace qv {

class CIpAddressEdit;

// The Internet page: the address of a gateway that forwards the Receiver's port.
class CPPInternet : public QWidget {
  Q_OBJECT

 public:
  explicit CPPInternet(QWidget* parent = nullptr);

  QString AddressText() const;
  CIpAddressEdit* Address() const { return address_; }

 private:
  CIpAddressEdit* address_;
};

}  // namespace qv
