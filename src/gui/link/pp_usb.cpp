#include "gui/link/pp_usb.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qv {

CPPUSB::CPPUSB(QWidget* parent)
    : QWidget(parent),
      list_(new QTreeWidget(this)),
      status_(new QLabel(this)),
      refresh_(new QPushButton(QStringLiteral("Refresh"), this)) {
  list_->setObjectName(QStringLiteral("usbDevices"));
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setHeaderLabels(
      {QStringLiteral("USB Device"), QStringLiteral("Product"), QStringLiteral("Vendor")});
  list_->setColumnWidth(0, 100);
  list_->setColumnWidth(1, 100);
  list_->setColumnWidth(2, 70);
  status_->setObjectName(QStringLiteral("usbStatus"));
  status_->setWordWrap(true);
  connect(refresh_, &QPushButton::clicked, this, &CPPUSB::RefreshRequested);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(status_);
  layout->addWidget(refresh_, 0, Qt::AlignLeft);
}

void CPPUSB::Clear() {
  list_->clear();
}

void CPPUSB::ShowDevices(const std::vector<UsbDeviceRecord>& devices) {
  list_->clear();
  for (const UsbDeviceRecord& device : devices) {
    list_->addTopLevelItem(new QTreeWidgetItem({QString::fromStdString(device.serial),
                                                QString::fromStdString(device.product),
                                                QString::fromStdString(device.vendor)}));
  }
}

int CPPUSB::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.first());
}

void CPPUSB::SelectRow(int row) {
  if (QTreeWidgetItem* item = list_->topLevelItem(row)) list_->setCurrentItem(item);
}

QString CPPUSB::SelectedSerial() const {
  const int row = SelectedRow();
  return row < 0 ? QString() : list_->topLevelItem(row)->text(0);
}

QString CPPUSB::SelectedProduct() const {
  const int row = SelectedRow();
  return row < 0 ? QString() : list_->topLevelItem(row)->text(1);
}

void CPPUSB::SetStatus(const QString& text) {
  status_->setText(text);
}

QString CPPUSB::Status() const {
  return status_->text();
}

}  // namespace qv
