#include "gui/link/pp_static_ip.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/link/ip_address_edit.h"

namespace qv {

CPPStaticIP::CPPStaticIP(QWidget* parent)
    : QWidget(parent),
      mac_(new QLineEdit(this)),
      address_(new CIpAddressEdit(this)),
      set_button_(new QPushButton(QStringLiteral("Set IP address"), this)) {
  mac_->setObjectName(QStringLiteral("macAddress"));
  address_->setObjectName(QStringLiteral("staticAddress"));
  auto* mac_prompt = new QLabel(
      QStringLiteral("Enter the MAC address of the Ethernet port on the Triskadeon/Quorvalin "
                     "module,\nas six two-digit hexadecimal numbers separated by dashes\n"
                     "(for example 00-20-4A-91-0B-2D):"),
      this);
  mac_prompt->setWordWrap(true);
  connect(set_button_, &QPushButton::clicked, this, &CPPStaticIP::SetAddressRequested);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(mac_prompt);
  layout->addWidget(mac_);
  layout->addWidget(new QLabel(QStringLiteral("Enter the appropriate IP address:-"), this));
  layout->addWidget(address_);
  layout->addWidget(set_button_, 0, Qt::AlignLeft);
  layout->addStretch();
}

QString CPPStaticIP::AddressText() const {
  return address_->Text();
}

QString CPPStaticIP::MacText() const {
  return mac_->text();
}

}  // namespace qv
