#include "gui/app/radio_alert_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app/app_settings.h"
#include "gui/app/qt_alerts.h"

namespace qv {

// The way to switch the radios off is the one of a Linux desktop.
const char* const CDisableRadioAlertDialog::kText =
    "Please disable the Wireless LAN Radio and the Bluetooth Transmitter on the Tablet PC to "
    "eliminate interference with the Quorvalin Receiver.\n\nThis can be done as:\n the "
    "desktop's network menu: Wi-Fi and Bluetooth off\n or in a terminal: rfkill block wifi; "
    "rfkill block bluetooth";

CDisableRadioAlertDialog::CDisableRadioAlertDialog(AppSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), value_(settings.RadioAlertValue()) {
  setWindowTitle(QString());
  setObjectName(QStringLiteral("radioAlertDialog"));
  // A message box waits for it rather than opening over it.
  QtAlerts::TreatAsAlert(*this);

  auto* group = new QGroupBox(QStringLiteral("Disable Radio Alert"), this);
  auto* text = new QLabel(QString::fromLatin1(kText), group);
  text->setWordWrap(true);
  check_box_ = new QCheckBox(QStringLiteral("Do not show this warning again"), group);
  check_box_->setChecked(value_ == AppSettings::kRadioAlertDisabled);
  auto* group_layout = new QVBoxLayout(group);
  group_layout->addWidget(text);
  group_layout->addWidget(check_box_);

  auto* buttons = new QDialogButtonBox(this);
  ok_button_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok_button_->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(buttons);

  connect(check_box_, &QCheckBox::clicked, this, &CDisableRadioAlertDialog::OnCheckBoxClicked);
  connect(ok_button_, &QPushButton::clicked, this, &CDisableRadioAlertDialog::OnOk);
}

void CDisableRadioAlertDialog::OnCheckBoxClicked() {
  // A value the program never writes stays as it is, whatever the box shows.
  if (value_ == 0) {
    value_ = 1;
  } else if (value_ == 1) {
    value_ = 0;
  }
}

void CDisableRadioAlertDialog::OnOk() {
  settings_.SetRadioAlertValue(value_);
  accept();
}

}  // namespace qv
