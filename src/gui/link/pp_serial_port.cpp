#include "gui/link/pp_serial_port.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {
namespace {

const char kNotFoundText[] =
    "CF Card not found connected,\n Please check the CF card connection and then click \"Find "
    "CF Card\" Button";

}  // namespace

CPPSerialPort::CPPSerialPort(QWidget* parent)
    : QWidget(parent),
      status_(new QLabel(this)),
      port_box_(new QComboBox(this)),
      find_button_(new QPushButton(QStringLiteral("Find CF Card"), this)) {
  status_->setObjectName(QStringLiteral("serialStatus"));
  status_->setWordWrap(true);
  port_box_->setObjectName(QStringLiteral("serialPort"));
  port_box_->setEditable(true);
  port_box_->setInsertPolicy(QComboBox::NoInsert);
  port_box_->setMinimumContentsLength(24);

  connect(find_button_, &QPushButton::clicked, this, &CPPSerialPort::FindRequested);
  connect(port_box_, &QComboBox::activated, this, &CPPSerialPort::OnPortPicked);
  connect(port_box_->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& text) { user_choice_ = text.trimmed(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addWidget(new QLabel(QStringLiteral("Port:"), this));
  layout->addWidget(port_box_);
  layout->addWidget(find_button_, 0, Qt::AlignLeft);
  layout->addStretch();
}

void CPPSerialPort::ShowPorts(const std::vector<SSerInfo>& ports) {
  ports_ = ports;
  port_box_->clear();
  for (const SSerInfo& port : ports_) {
    port_box_->addItem(QString::fromStdString(port.device_path));
  }
  if (ports_.empty()) {
    SetStatus(QString::fromLatin1(kNotFoundText));
  } else {
    SetStatus(QString::fromStdString(ports_.back().friendly_name));
    port_box_->setCurrentIndex(static_cast<int>(ports_.size()) - 1);
  }
  if (!user_choice_.isEmpty()) {
    const int index = port_box_->findText(user_choice_);
    if (index >= 0) {
      port_box_->setCurrentIndex(index);
      SetStatus(QString::fromStdString(ports_[static_cast<size_t>(index)].friendly_name));
    } else {
      port_box_->setEditText(user_choice_);
    }
  }
}

void CPPSerialPort::OnPortPicked(int index) {
  if (index < 0 || index >= static_cast<int>(ports_.size())) return;
  user_choice_ = port_box_->itemText(index);
  SetStatus(QString::fromStdString(ports_[static_cast<size_t>(index)].friendly_name));
}

void CPPSerialPort::SetStatus(const QString& text) {
  status_->setText(text);
}

QString CPPSerialPort::Status() const {
  return status_->text();
}

void CPPSerialPort::PreferPath(const QString& path) {
  user_choice_ = path.trimmed();
  port_box_->setEditText(user_choice_);
}

QString CPPSerialPort::DevicePath() const {
  return port_box_->currentText().trimmed();
}

}  // namespace qv
