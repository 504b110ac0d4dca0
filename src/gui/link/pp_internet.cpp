#include "gui/link/pp_internet.h"

#include <QLabel>
#include <QVBoxLayout>

#include "gui/link/ip_address_edit.h"

namespace qv {

CPPInternet::CPPInternet(QWidget* parent) : QWidget(parent), address_(new CIpAddressEdit(this)) {
  address_->setObjectName(QStringLiteral("gatewayAddress"));
  auto* note = new QLabel(
      QStringLiteral("IMPORTANT NOTE: This application connects to \nTCP/IP Port # 10001. Make "
                     "sure that the Destination Gateway has been configured to allow anonymous "
                     "internet requests on TCP/IP Port # 10001 for a successful connection"),
      this);
  note->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel(QStringLiteral("Enter the IP Address of the Destination Gateway:"), this));
  layout->addWidget(address_);
  layout->addWidget(note);
  layout->addStretch();
}

QString CPPInternet::AddressText() const {
  return address_->Text();
}

}  // namespace qv
